// The motion state: start-up derivation, the whole lap's path as one digest, the lap closing, and
// the overlay line's bound; crs_drive_test.cpp holds the path to an independent computation.
#include <gtest/gtest.h>

#include <cstring>

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

// Every press of a lap as one digest of the state the viewer draws from, floats to the last bit,
// so that a slip anywhere shows; then the lap closes exactly, and the next lap repeats it.
TEST_F(MotionState, WholeLapPathAndTheLapClosing)
{
    MotionGlobals start = CaptureMotion();
    std::uint64_t hash = 14695981039346656037ull;
    for (int press = 1; press <= 1072; ++press) {
        Press();
        std::int32_t values[13] = {wx, wy, wz, vect_x, vect_y, crsAngleX, crsAngleY, plate_pos};
        const float floats[5] = {crsRadX, crsRadY, fPosX, fPosY, fPosZ};
        std::memcpy(values + 8, floats, sizeof floats);
        for (std::int32_t value : values)
            hash = (hash ^ static_cast<std::uint32_t>(value)) * 1099511628211ull;
    }
    EXPECT_EQ(hash, 0x06e423fb59e3ddcbull);
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
