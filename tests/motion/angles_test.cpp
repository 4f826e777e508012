// Sine table, fixed-point scaling, masking and the radians path.
#include <gtest/gtest.h>

#include <cmath>

#include "motion/angles.h"

namespace {

constexpr double kPi = 3.141592653589793;

TEST(SinTable, EveryEntryIsTheRoundedScaledSine)
{
    for (int i = 0; i < kSinTableSize; ++i) {
        const double exact = 4096.0 * std::sin(2.0 * kPi * i / 4096.0);
        EXPECT_EQ(sinTable[i], static_cast<std::int32_t>(std::lround(exact))) << "entry " << i;
    }
}

TEST(SinTable, CharacteristicEntriesAndSymmetries)
{
    const std::pair<int, int> entries[] = {
        {0, 0},      {1, 6},         {2, 13},    {3, 19},       {11, 69},     {22, 138},
        {45, 283},   {113, 706},     {512, 2896}, {1024, 4096}, {2048, 0},    {2560, -2896},
        {3072, -4096}, {4095, -6},   {4096, 0},   {5119, 4096}, {5120, 4096}};
    for (auto [index, value] : entries) EXPECT_EQ(sinTable[index], value) << "entry " << index;
    for (int i = 1014; i <= 1034; ++i) EXPECT_EQ(sinTable[i], 4096) << i;
    for (int i = 3062; i <= 3082; ++i) EXPECT_EQ(sinTable[i], -4096) << i;
    for (int i = 1; i < 4096; ++i) EXPECT_EQ(sinTable[4096 - i], -sinTable[i]) << i;
    for (int i = 0; i < 2048; ++i) EXPECT_EQ(sinTable[i + 2048], -sinTable[i]) << i;
    for (int i = 0; i <= 1024; ++i) EXPECT_EQ(sinTable[4096 + i], sinTable[i]) << i;
}

TEST(FixedPoint, MaskingWrapsNegativeAndLargeAngles)
{
    EXPECT_EQ(MaskAngle(-11), 4085);
    EXPECT_EQ(MaskAngle(-22), 4074);
    EXPECT_EQ(MaskAngle(1024 + 11), 1035);
    EXPECT_EQ(MaskAngle(4096), 0);
    EXPECT_EQ(MaskAngle(-4096), 0);
    EXPECT_EQ(MaskAngle(4117), 21);
}

TEST(FixedPoint, SinAndCosLookups)
{
    EXPECT_EQ(FixedCos(0), 4096);
    EXPECT_EQ(FixedCos(1024), 0);
    EXPECT_EQ(FixedCos(2048), -4096);
    EXPECT_EQ(FixedSin(4085), -69);
    EXPECT_EQ(FixedCos(4085), 4095);
    EXPECT_EQ(FixedCos(22), 4094);
    EXPECT_EQ(FixedCos(4095), 4096);   // the last cosine read, entry 5119
}

TEST(FixedPoint, ScaleTruncatesTowardZeroNotDown)
{
    EXPECT_EQ(FixedScale(200, -4096), -200);
    EXPECT_EQ(FixedScale(-200, 4094), -199);   // a shift right by 12 gives -200
    EXPECT_EQ(FixedScale(200, -69), -3);       // floor gives -4
    EXPECT_EQ(FixedScale(200, 138), 6);        // round to nearest gives 7
    EXPECT_EQ(FixedScale(-1, 1), 0);
    EXPECT_EQ(FixedScale(200, 4096), 200);
    EXPECT_EQ(FixedScale(-200, -4096), 200);
}

TEST(Radians, ListedAnglesGiveTheExactFloats)
{
    const std::pair<int, double> angles[] = {
        {0, 0.0},
        {1, 0.0015339808305725455},
        {1024, 1.5707963705062866},
        {1035, 1.587670087814331},
        {2048, 3.1415927410125732},
        {3072, 4.71238899230957},
        {4074, 6.2494378089904785},
        {4085, 6.2663116455078125},
        {4095, 6.281651496887207}};
    for (auto [angle, radians] : angles)
        EXPECT_EQ(static_cast<double>(AngleToRadians(angle)), radians) << "angle " << angle;
}

TEST(Radians, AllAnglesMatchTheDoublePathAndNotTheSinglePath)
{
    int singlePathDiffers = 0;
    for (int a = 0; a < 4096; ++a) {
        const float viaDouble = static_cast<float>(2.0 * kPi * a / 4096.0);
        EXPECT_EQ(AngleToRadians(a), viaDouble) << "angle " << a;
        const float viaSingle = static_cast<float>(a) * 2.0f * 3.14159265f / 4096.0f;
        if (viaSingle != AngleToRadians(a)) ++singlePathDiffers;
    }
    EXPECT_EQ(singlePathDiffers, 1327);
}

}  // namespace
