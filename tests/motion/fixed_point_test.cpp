// The fixed-point ground the motion stands on: the sine table, masking, the scaling that
// truncates toward zero, the one radians path, and the compiled course block as one digest.
#include <gtest/gtest.h>

#include <cmath>

#include "motion/angles.h"
#include "motion/course_table.h"

namespace {

// The radians are the product with pi in double, rounded once: a single-precision path differs for
// a third of the angles, and the lap's picture with it.
TEST(FixedPoint, SineTableAndRadiansOfEveryAngle)
{
    for (int i = 0; i < kSinTableSize; ++i)
        EXPECT_EQ(sinTable[i], std::lround(4096.0 * std::sin(2.0 * M_PI * i / 4096.0))) << i;
    for (int a = 0; a < 4096; ++a)
        EXPECT_EQ(AngleToRadians(a), static_cast<float>(2.0 * M_PI * a / 4096.0)) << a;
}

TEST(FixedPoint, MaskingLookupsAndScaling)
{
    const struct {
        const char* what;
        std::int32_t got, expected;
    } rows[] = {
        {"MaskAngle(-11)", MaskAngle(-11), 4085},
        {"MaskAngle(-4096)", MaskAngle(-4096), 0},
        {"MaskAngle(4117)", MaskAngle(4117), 21},
        {"FixedSin(4085)", FixedSin(4085), -69},
        {"FixedCos(1024)", FixedCos(1024), 0},
        {"FixedCos(2048)", FixedCos(2048), -4096},
        {"FixedCos(4095), the last entry read", FixedCos(4095), 4096},
        // Truncation toward zero: a shift gives -200, floor -4, rounding 7.
        {"FixedScale(-200, 4094)", FixedScale(-200, 4094), -199},
        {"FixedScale(200, -69)", FixedScale(200, -69), -3},
        {"FixedScale(200, 138)", FixedScale(200, 138), 6},
        {"FixedScale(-200, -4096)", FixedScale(-200, -4096), 200},
    };
    for (const auto& row : rows) EXPECT_EQ(row.got, row.expected) << row.what;
}

TEST(CourseTable, WholeBlockDigestAndThePlateReader)
{
    std::uint64_t hash = 14695981039346656037ull;   // 64-bit FNV-1a
    for (std::uint8_t byte : CourseTable) hash = (hash ^ byte) * 1099511628211ull;
    EXPECT_EQ(hash, 0x295e33043b83fc09ull);
    EXPECT_EQ(CoursePlateCount(), 1072);
    // Plate 121: six different values, two negative, so a reader taking fields out of order shows.
    const CoursePlate p = CoursePlateAt(121);
    EXPECT_EQ((std::array<int, 6>{p.length, p.span_a, p.span_b, p.heading_delta, p.pitch_delta,
                                  p.flags}),
              (std::array<int, 6>{200, 150, 300, -56, -25, 771}));
}

}  // namespace
