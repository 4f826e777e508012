// The motion state's globals as one record, for the tests of the motion core and of the viewer:
// each test puts back the start state, and two whole states compare as one value.
#pragma once

#include <cstdint>
#include <cstring>

struct MotionGlobals {
    std::int32_t wx, wy, wz, vect_x, vect_y, vect_z;
    std::int32_t crsAngleX, crsAngleY, crsAngleZ, carAngleX, carAngleY, carAngleZ;
    float crsRadX, crsRadY, crsRadZ, carRadX, carRadY, carRadZ, fPosX, fPosY, fPosZ;
    std::int32_t plate_pos, stepLength;
};

// Every field, floats to the last bit.
inline bool operator==(const MotionGlobals& a, const MotionGlobals& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

MotionGlobals CaptureMotion();
void RestoreMotion(const MotionGlobals& state);
// The globals as they stood before any code ran: they are constant-initialised.
const MotionGlobals& StaticMotionStart();
