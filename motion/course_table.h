// The course: a constant 13,008-byte block of little-endian data compiled into the program, a
// short header and 1072 plates of 12 bytes. One plate is one Up-arrow press; the plate advance
// reads the plate count and three fields of one plate, and the asset generator reads the rest.
#pragma once

#include <array>
#include <cstdint>

// Byte layout of the block.
constexpr int kCourseTableSize = 13008;
constexpr int kPlateCountOffset = 0;       // int32, 1072; the advance reads its low 16 bits
constexpr int kHeaderAuxOffset = 4;        // int32, 25; carried, never read
constexpr int kStartPositionOffset = 8;    // four int16: -4000, 13000, 0, 0; never read
constexpr int kPlacementsOffset = 16;      // eight records of eight int16; never read
constexpr int kPlacementCount = 8;
constexpr int kPlacementSize = 16;
constexpr int kPlatesOffset = 144;
constexpr int kCoursePlateSize = 12;
constexpr int kCoursePlateTotal = 1072;

extern const std::array<std::uint8_t, kCourseTableSize> CourseTable;

// One plate, its six signed 16-bit fields in table order.
struct CoursePlate {
    std::int16_t length;          // thousandths of a world unit travelled on this plate
    std::int16_t span_a;          // road half-widths, 150 or 300
    std::int16_t span_b;
    std::int16_t heading_delta;   // angle steps added to vect_y
    std::int16_t pitch_delta;     // angle steps added to vect_x
    std::int16_t flags;           // low and high byte each 0, 1 or 3 (kerbs on the two sides)
};

// A signed 16-bit little-endian value at a byte offset of the block.
inline std::int16_t CourseTableRead16(int offset)
{
    return static_cast<std::int16_t>(CourseTable[offset] | (CourseTable[offset + 1] << 8));
}

// The plate count as the advance reads it: the first two bytes, sign-extended.
inline std::int32_t CoursePlateCount() { return CourseTableRead16(kPlateCountOffset); }

// Plate `index`, which the caller has already reduced modulo the plate count.
inline CoursePlate CoursePlateAt(std::int32_t index)
{
    const int base = kPlatesOffset + index * kCoursePlateSize;
    return CoursePlate{CourseTableRead16(base), CourseTableRead16(base + 2),
                       CourseTableRead16(base + 4), CourseTableRead16(base + 6),
                       CourseTableRead16(base + 8), CourseTableRead16(base + 10)};
}
