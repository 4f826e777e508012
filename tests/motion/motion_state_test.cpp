// The motion state: start-up derivation, checkpoints of the lap and the whole lap's path as one
// digest, the lap closing, and the overlay line's bound. Each test starts from the static start.
#include <gtest/gtest.h>

#include <array>
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

TEST_F(MotionState, InitPositionMasksAndDerivesButResetsNothing)
{
    EXPECT_EQ(double(carRadY), 3.1415927410125732);
    vect_y = -11;
    crsAngleY = 1024 + 11;
    wx = 1234;
    wy = -2000;
    wz = 7;
    InitPosition();
    EXPECT_EQ(vect_y, 4085);
    EXPECT_EQ(double(crsRadY), 1.587670087814331);
    EXPECT_EQ(fPosX, -1.234f);
    EXPECT_EQ(fPosY, 0.007f);
    EXPECT_EQ(fPosZ, 2.0f);
    EXPECT_EQ(wx, 1234);
}

struct Checkpoint {
    int presses;
    std::int32_t wx, wy, wz, vect_x, vect_y, crsAngleX, crsAngleY, plate_pos;
    const char *fPosX, *fPosY, *fPosZ;
};

// Where the pitch starts, where the heading first turns, both turned, high on the bridge, and the
// counter wrapping after a lap.
const Checkpoint kCheckpoints[] = {
    {26, -9199, 13000, 6, 22, 0, 4074, 1024, 26, "9.199000", "0.006000", "-13.000000"},
    {36, -11190, 12997, 54, 0, 4085, 0, 1035, 36, "11.190000", "0.054000", "-12.997000"},
    {300, -13846, -17481, -587, 4001, 2349, 95, 2771, 300, "13.846000", "-0.587000", "17.481001"},
    {700, 9180, 257, -3720, 4040, 891, 56, 133, 700, "-9.180000", "-3.720000", "-0.257000"},
    {1073, -4200, 13000, 0, 0, 0, 0, 1024, 1, "4.200000", "0.000000", "-13.000000"},
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
        EXPECT_EQ((std::array<int, 9>{wx, wy, wz, vect_x, vect_y, vect_z, crsAngleX, crsAngleY,
                                      plate_pos}),
                  (std::array<int, 9>{c.wx, c.wy, c.wz, c.vect_x, c.vect_y, 0, c.crsAngleX,
                                      c.crsAngleY, c.plate_pos}));
        EXPECT_EQ(crsRadX, AngleToRadians(crsAngleX));
        EXPECT_EQ(crsRadY, AngleToRadians(crsAngleY));
        EXPECT_EQ(Printed(fPosX) + " " + Printed(fPosY) + " " + Printed(fPosZ),
                  std::string(c.fPosX) + " " + c.fPosY + " " + c.fPosZ);
    }
}

// Every press of a lap as one digest of the integer state, so that a slip anywhere shows; then the
// lap closes exactly, and the next lap repeats it.
TEST_F(MotionState, WholeLapPathAndTheLapClosing)
{
    MotionGlobals start = CaptureMotion();
    std::uint64_t hash = 14695981039346656037ull;
    for (int press = 1; press <= 1072; ++press) {
        Press();
        for (std::int32_t value : {wx, wy, wz, vect_x, vect_y, crsAngleX, crsAngleY, plate_pos})
            hash = (hash ^ static_cast<std::uint32_t>(value)) * 1099511628211ull;
    }
    EXPECT_EQ(hash, 0x8b18a854c1c152d7ull);
    const MotionGlobals lap = CaptureMotion();
    start.plate_pos = 1072;
    start.stepLength = 187;
    EXPECT_TRUE(lap == start);
    Press(1072);
    EXPECT_TRUE(CaptureMotion() == lap);
}

TEST_F(MotionState, OverlayLineIsBoundedByItsBuffer)
{
    fPosX = -3.4028235e38f;   // the longest line any float can make
    char line[80];
    EXPECT_EQ(FormatOverlayLine(6, line, sizeof line), 55);
    char small[8];
    EXPECT_EQ(FormatOverlayLine(6, small, sizeof small), 55);
    EXPECT_STREQ(small, "fPosX =");
}

}  // namespace
