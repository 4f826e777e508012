// The motion state's globals as one record, for the tests of the motion core and of the viewer:
// each test puts back the start state.
#pragma once

#include <cstdint>

struct MotionGlobals {
    std::int32_t wx, wy, wz, vect_x, vect_y, vect_z;
    std::int32_t crsAngleX, crsAngleY, crsAngleZ, carAngleX, carAngleY, carAngleZ;
    float crsRadX, crsRadY, crsRadZ, carRadX, carRadY, carRadZ, fPosX, fPosY, fPosZ;
    std::int32_t plate_pos, stepLength;
};

MotionGlobals CaptureMotion();
void RestoreMotion(const MotionGlobals& state);
// The globals as they stood before any code ran: they are constant-initialised.
const MotionGlobals& StaticMotionStart();
