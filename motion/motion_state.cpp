// The motion state with its static initial values, the start-up derivation and the plate advance.
// All integer arithmetic is signed 32-bit; floats are derived in double and rounded once.
#include "motion/motion_state.h"

#include "motion/angles.h"
#include "motion/course_table.h"

std::int32_t wx = -4000;
std::int32_t wy = 13000;
std::int32_t wz = 0;
std::int32_t vect_x = 0;
std::int32_t vect_y = 0;
std::int32_t vect_z = 0;
std::int32_t crsAngleX = 0;
std::int32_t crsAngleY = 1024;
std::int32_t crsAngleZ = 0;
std::int32_t carAngleX = 0;
std::int32_t carAngleY = 2048;   // the car model faces the other way
std::int32_t carAngleZ = 0;
float crsRadX = 0.0f;
float crsRadY = 0.0f;
float crsRadZ = 0.0f;
float carRadX = 0.0f;
float carRadY = 0.0f;
float carRadZ = 0.0f;
float fPosX = 4.0f;
float fPosY = 0.0f;
float fPosZ = -13.0f;
std::int32_t plate_pos = 0;
std::int32_t stepLength = 0;

namespace {

void MaskMotionAngles()
{
    vect_x = MaskAngle(vect_x);
    vect_y = MaskAngle(vect_y);
    vect_z = MaskAngle(vect_z);
}

// Brings an angle triple back into 0..4095 and derives its radians.
void UpdateRadians(std::int32_t& x, std::int32_t& y, std::int32_t& z, float& radX, float& radY,
                   float& radZ)
{
    x = MaskAngle(x);
    y = MaskAngle(y);
    z = MaskAngle(z);
    radX = AngleToRadians(x);
    radY = AngleToRadians(y);
    radZ = AngleToRadians(z);
}

void UpdateCourseRadians()
{
    UpdateRadians(crsAngleX, crsAngleY, crsAngleZ, crsRadX, crsRadY, crsRadZ);
}

void UpdateCarRadians()
{
    UpdateRadians(carAngleX, carAngleY, carAngleZ, carRadX, carRadY, carRadZ);
}

// The course moves opposite to the car: X and Z are negated, the height is not.
void UpdateCourseTranslation()
{
    fPosX = static_cast<float>(static_cast<double>(-wx) / 1000.0);
    fPosY = static_cast<float>(static_cast<double>(wz) / 1000.0);
    fPosZ = static_cast<float>(static_cast<double>(-wy) / 1000.0);
}

}  // namespace

void InitPosition()
{
    MaskMotionAngles();
    UpdateCourseRadians();
    UpdateCarRadians();
    UpdateCourseTranslation();
}

void AdvancePlate()
{
    plate_pos %= CoursePlateCount();
    const CoursePlate plate = CoursePlateAt(plate_pos);
    stepLength = plate.length;

    // The plate's deltas apply before its length is travelled.
    vect_y += plate.heading_delta;
    vect_x += plate.pitch_delta;
    MaskMotionAngles();
    crsAngleX -= plate.pitch_delta;
    crsAngleY -= plate.heading_delta;
    UpdateCourseRadians();
    UpdateCarRadians();

    // Only the wx term carries the pitch's cosine; the course closes under exactly these terms.
    wx += FixedScale(FixedScale(stepLength, -FixedCos(vect_y)), FixedCos(vect_x));
    wy += FixedScale(stepLength, FixedSin(vect_y));
    wz += FixedScale(stepLength, FixedSin(vect_x));
    UpdateCourseTranslation();
}
