// The motion state: where the car stands on the course in fixed point, and how the course must be
// moved and turned to be drawn around the car, which itself never moves. Plain globals, written
// only by InitPosition (once, at start-up) and AdvancePlate (once per Up-arrow press).
#pragma once

#include <cstdint>

// Car position in thousandths of a world unit; wz is the vertical axis.
extern std::int32_t wx, wy, wz;
// Direction of travel: pitch, heading and a bank that never changes. Angles are 0..4095.
extern std::int32_t vect_x, vect_y, vect_z;
// Course and car model angles for drawing, and their radians.
extern std::int32_t crsAngleX, crsAngleY, crsAngleZ;
extern std::int32_t carAngleX, carAngleY, carAngleZ;
extern float crsRadX, crsRadY, crsRadZ;
extern float carRadX, carRadY, carRadZ;
// Course translation in world units, derived from wx, wy, wz.
extern float fPosX, fPosY, fPosZ;
// Plates passed in the current lap (0 before the first press, then 1..1072); the next advance
// reduces it modulo the plate count and uses it as the plate index.
extern std::int32_t plate_pos;
// Length of the plate used by the latest advance.
extern std::int32_t stepLength;

// Masks the angles and derives the radians and the course translation from the state as found.
void InitPosition();

// Drives over plate (plate_pos mod plate count): turns by its deltas, then travels its length.
// Leaves plate_pos at the index it used; one press is AdvancePlate followed by ++plate_pos.
void AdvancePlate();
