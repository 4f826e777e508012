// The motion globals' record: capture, restore and print, and the static start taken at load.
#include "tests/motion/motion_globals.h"

#include <cstdio>

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

std::string Describe(const MotionGlobals& s)
{
    char text[400];
    std::snprintf(text, sizeof text,
                  "w=(%d,%d,%d) vect=(%d,%d,%d) crs=(%d,%d,%d) car=(%d,%d,%d) "
                  "crsRad=(%a,%a,%a) carRad=(%a,%a,%a) fPos=(%a,%a,%a) plate_pos=%d step=%d",
                  s.wx, s.wy, s.wz, s.vect_x, s.vect_y, s.vect_z, s.crsAngleX, s.crsAngleY,
                  s.crsAngleZ, s.carAngleX, s.carAngleY, s.carAngleZ, double(s.crsRadX),
                  double(s.crsRadY), double(s.crsRadZ), double(s.carRadX), double(s.carRadY),
                  double(s.carRadZ), double(s.fPosX), double(s.fPosY), double(s.fPosZ),
                  s.plate_pos, s.stepLength);
    return text;
}

const MotionGlobals& StaticMotionStart()
{
    static const MotionGlobals start = CaptureMotion();
    return start;
}

namespace {
// Taken while the program loads, before any test can have pressed.
const MotionGlobals& kTakenAtLoad = StaticMotionStart();
}  // namespace
