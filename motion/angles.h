// Fixed-point angles: 4096 steps to a full turn, sines scaled by 4096, and the one way an
// integer angle becomes float radians for drawing. Pure integer code apart from the radians;
// no platform header, so the motion runs headless and bit-identical on every build.
#pragma once

#include <cstdint>

constexpr int kSinTableSize = 5121;
constexpr std::int32_t kAngleMask = 0xFFF;   // angles live in 0..4095
constexpr std::int32_t kFixedOne = 4096;     // 1.0 in table values
constexpr std::int32_t kQuarterTurn = 1024;

// round(4096 * sin(2*pi*i/4096)) for i in 0..5120: one and a quarter turns, so that the cosine
// of a masked angle never wraps.
extern const std::int32_t sinTable[kSinTableSize];

// Brings any angle back into 0..4095; two's complement makes this a true modulo for negatives.
inline std::int32_t MaskAngle(std::int32_t angle) { return angle & kAngleMask; }

inline std::int32_t FixedSin(std::int32_t maskedAngle) { return sinTable[maskedAngle]; }

inline std::int32_t FixedCos(std::int32_t maskedAngle) { return sinTable[maskedAngle + kQuarterTurn]; }

// (x * s) / 4096 with the 32-bit product and C++'s division, which truncates toward zero.
// A plain shift would round negative products toward minus infinity and the lap would not close.
inline std::int32_t FixedScale(std::int32_t x, std::int32_t s) { return (x * s) / kFixedOne; }

// 2*pi*a/4096 rounded once to float: the doubling happens in float (exact), the product with pi
// and the division in double. A single-precision path gives other floats for a third of the angles.
float AngleToRadians(std::int32_t maskedAngle);
