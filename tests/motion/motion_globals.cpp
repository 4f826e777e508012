// The motion globals' record: capture and restore, and the static start taken at load.
#include "tests/motion/motion_globals.h"

#include "motion/motion_state.h"

MotionGlobals CaptureMotion()
{
    return {::wx, ::wy, ::wz, ::vect_x, ::vect_y, ::vect_z, ::crsAngleX, ::crsAngleY,
            ::crsAngleZ, ::carAngleX, ::carAngleY, ::carAngleZ, ::crsRadX, ::crsRadY,
            ::crsRadZ, ::carRadX, ::carRadY, ::carRadZ, ::fPosX, ::fPosY, ::fPosZ,
            ::plate_pos, ::stepLength};
}

void RestoreMotion(const MotionGlobals& s)
{
    ::wx = s.wx, ::wy = s.wy, ::wz = s.wz, ::vect_x = s.vect_x, ::vect_y = s.vect_y;
    ::vect_z = s.vect_z, ::crsAngleX = s.crsAngleX, ::crsAngleY = s.crsAngleY;
    ::crsAngleZ = s.crsAngleZ, ::carAngleX = s.carAngleX, ::carAngleY = s.carAngleY;
    ::carAngleZ = s.carAngleZ, ::crsRadX = s.crsRadX, ::crsRadY = s.crsRadY;
    ::crsRadZ = s.crsRadZ, ::carRadX = s.carRadX, ::carRadY = s.carRadY, ::carRadZ = s.carRadZ;
    ::fPosX = s.fPosX, ::fPosY = s.fPosY, ::fPosZ = s.fPosZ, ::plate_pos = s.plate_pos;
    ::stepLength = s.stepLength;
}

const MotionGlobals& StaticMotionStart()
{
    static const MotionGlobals start = CaptureMotion();
    return start;
}

// Taken while the program loads, before any test can have pressed.
[[maybe_unused]] static const MotionGlobals& kTakenAtLoad = StaticMotionStart();
