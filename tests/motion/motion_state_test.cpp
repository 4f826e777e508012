// The motion state: start-up derivation, the worked presses and checkpoints of the lap, the lap
// closing, and the whole lap's path. Each test starts from the static start state.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "motion/angles.h"
#include "motion/motion_state.h"
#include "motion/overlay_lines.h"
#include "tests/motion/motion_globals.h"

namespace {

class MotionState : public ::testing::Test {
protected:
    void SetUp() override
    {
        RestoreMotion(StaticMotionStart());
        InitPosition();
    }
    static void Press(int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            AdvancePlate();
            ++plate_pos;
        }
    }
};

TEST_F(MotionState, StartUpDerivesRadiansAndTranslationFromTheStaticState)
{
    EXPECT_EQ(double(crsRadY), 1.5707963705062866);
    EXPECT_EQ(double(carRadY), 3.1415927410125732);
    EXPECT_EQ(crsRadX + crsRadZ + carRadX + carRadZ, 0.0f);
    EXPECT_EQ(fPosX, 4.0f);
    EXPECT_EQ(fPosZ, -13.0f);
}

TEST_F(MotionState, InitPositionMasksAndDerivesButResetsNothing)
{
    Press(300);
    const std::string after = Describe(CaptureMotion());
    InitPosition();
    EXPECT_EQ(Describe(CaptureMotion()), after);

    vect_y = -11;
    crsAngleY = 1024 + 11;
    wx = 1234;
    InitPosition();
    EXPECT_EQ(vect_y, 4085);
    EXPECT_EQ(double(crsRadY), 1.587670087814331);
    EXPECT_EQ(fPosX, -1.234f);
    EXPECT_EQ(wx, 1234);
}

// Press n drives over plate n - 1 modulo the count; plate_pos counts 1..1072 and then wraps.
TEST_F(MotionState, EachPressUsesTheNextPlateAndItsLength)
{
    const struct {
        int presses, plate, length;
    } rows[] = {{1, 0, 200}, {989, 988, 104}, {1072, 1071, 187}, {1073, 0, 200}};
    int done = 0;
    for (const auto& row : rows) {
        Press(row.presses - 1 - done);
        AdvancePlate();
        EXPECT_EQ(plate_pos, row.plate) << "press " << row.presses;
        EXPECT_EQ(stepLength, row.length) << "press " << row.presses;
        ++plate_pos;
        done = row.presses;
    }
}

struct Checkpoint {
    int presses;
    std::int32_t wx, wy, wz, vect_x, vect_y, crsAngleX, crsAngleY, plate_pos;
    const char *fPosX, *fPosY, *fPosZ;
};

const Checkpoint kCheckpoints[] = {
    {1, -4200, 13000, 0, 0, 0, 0, 1024, 1, "4.200000", "0.000000", "-13.000000"},
    {25, -9000, 13000, 0, 0, 0, 0, 1024, 25, "9.000000", "0.000000", "-13.000000"},
    {26, -9199, 13000, 6, 22, 0, 4074, 1024, 26, "9.199000", "0.006000", "-13.000000"},
    {35, -10991, 13000, 54, 0, 0, 0, 1024, 35, "10.991000", "0.054000", "-13.000000"},
    {36, -11190, 12997, 54, 0, 4085, 0, 1035, 36, "11.190000", "0.054000", "-12.997000"},
    {100, -23179, 11102, 54, 0, 206, 0, 818, 100, "23.179001", "0.054000", "-11.102000"},
    {200, -20990, -3764, -487, 0, 3052, 0, 2068, 200, "20.990000", "-0.487000", "3.764000"},
    {300, -13846, -17481, -587, 4001, 2349, 95, 2771, 300, "13.846000", "-0.587000", "17.481001"},
    {500, -4439, 2280, -57, 0, 2197, 0, 2923, 500, "4.439000", "-0.057000", "-2.280000"},
    {700, 9180, 257, -3720, 4040, 891, 56, 133, 700, "-9.180000", "-3.720000", "-0.257000"},
    {1000, 9588, 12922, -3166, 4076, 114, 20, 910, 1000, "-9.588000", "-3.166000", "-12.922000"},
    {1071, -3813, 13000, 0, 0, 0, 0, 1024, 1071, "3.813000", "0.000000", "-13.000000"},
    {1072, -4000, 13000, 0, 0, 0, 0, 1024, 1072, "4.000000", "0.000000", "-13.000000"},
    {1073, -4200, 13000, 0, 0, 0, 0, 1024, 1, "4.200000", "0.000000", "-13.000000"},
    {2144, -4000, 13000, 0, 0, 0, 0, 1024, 1072, "4.000000", "0.000000", "-13.000000"},
};

std::string Printed(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

TEST_F(MotionState, Checkpoints)
{
    int done = 0;
    for (const Checkpoint& c : kCheckpoints) {
        Press(c.presses - done);
        done = c.presses;
        SCOPED_TRACE("after press " + std::to_string(c.presses));
        EXPECT_EQ(wx, c.wx);
        EXPECT_EQ(wy, c.wy);
        EXPECT_EQ(wz, c.wz);
        EXPECT_EQ(vect_x, c.vect_x);
        EXPECT_EQ(vect_y, c.vect_y);
        EXPECT_EQ(vect_z, 0);
        EXPECT_EQ(crsAngleX, c.crsAngleX);
        EXPECT_EQ(crsAngleY, c.crsAngleY);
        EXPECT_EQ(plate_pos, c.plate_pos);
        EXPECT_EQ(crsRadX, AngleToRadians(crsAngleX));
        EXPECT_EQ(crsRadY, AngleToRadians(crsAngleY));
        EXPECT_EQ(Printed(fPosX), c.fPosX);
        EXPECT_EQ(Printed(fPosY), c.fPosY);
        EXPECT_EQ(Printed(fPosZ), c.fPosZ);
    }
}

TEST_F(MotionState, LapClosesExactlyAndTheStateIsPeriodic)
{
    MotionGlobals start = CaptureMotion();
    Press(1072);
    const MotionGlobals lap = CaptureMotion();
    start.plate_pos = 1072;
    start.stepLength = 187;
    EXPECT_EQ(Describe(lap), Describe(start));
    Press(1072);
    EXPECT_EQ(Describe(CaptureMotion()), Describe(lap));
}

// Every press of a lap as one digest of the integer state, so that a slip anywhere shows.
TEST_F(MotionState, WholeLapPathDigest)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (int press = 1; press <= 1072; ++press) {
        Press();
        for (std::int32_t value : {wx, wy, wz, vect_x, vect_y, crsAngleX, crsAngleY, plate_pos})
            hash = (hash ^ static_cast<std::uint32_t>(value)) * 1099511628211ull;
    }
    EXPECT_EQ(hash, 0x8b18a854c1c152d7ull);
}

TEST_F(MotionState, OverlayLinesOfTheStartState)
{
    const char* expected[kOverlayLineCount] = {
        "wx = -4000",         "wy = 13000",      "wz = 0",           "vect_x = 0",
        "vect_y = 0",         "vect_z = 0",      "fPosX = 4.000000", "fPosY = 0.000000",
        "fPosZ = -13.000000", "plate_pos = 0"};
    char line[80];
    for (int i = 0; i < kOverlayLineCount; ++i) {
        const int length = FormatOverlayLine(i, line, sizeof line);
        EXPECT_STREQ(line, expected[i]);
        EXPECT_EQ(length, static_cast<int>(std::string(expected[i]).size()));
    }
}

TEST_F(MotionState, OverlayLineIsBoundedByItsBuffer)
{
    fPosX = -3.4028235e38f;   // the longest line any float can make
    char line[80];
    const int length = FormatOverlayLine(6, line, sizeof line);
    EXPECT_EQ(length, 55);
    char small[8];
    EXPECT_EQ(FormatOverlayLine(6, small, sizeof small), 55);
    EXPECT_STREQ(small, "fPosX =");
}

}  // namespace
