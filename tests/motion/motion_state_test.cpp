// The motion state: the start and the whole lap's path as one digest, the lap closing, and the
// overlay line's bound; crs_drive_test.cpp holds the path to an independent computation.
#include <gtest/gtest.h>

#include <cstring>

#include "motion/motion_state.h"
#include "motion/overlay_lines.h"
#include "tests/motion/motion_globals.h"

namespace {

void Press(int times = 1)
{
    for (int i = 0; i < times; ++i, ++plate_pos) AdvancePlate();
}

class MotionState : public ::testing::Test {
protected:
    void SetUp() override { RestoreMotion(StaticMotionStart()), InitPosition(); }
};

// The start that InitPosition derives and every press of a lap as one digest of the state the
// viewer draws from, floats to the last bit, so that a slip anywhere shows; then the lap closes
// exactly, and the next lap repeats it.
TEST_F(MotionState, WholeLapPathAndTheLapClosing)
{
    MotionGlobals start = CaptureMotion();
    std::uint64_t hash = 14695981039346656037ull;
    for (int press = 0; press < 1072; ++press, Press()) {
        std::int32_t values[14] = {wx, wy, wz, vect_x, vect_y, crsAngleX, crsAngleY, plate_pos};
        const float floats[6] = {crsRadX, crsRadY, carRadY, fPosX, fPosY, fPosZ};
        std::memcpy(values + 8, floats, sizeof floats);
        for (std::int32_t value : values)
            hash = (hash ^ static_cast<std::uint32_t>(value)) * 1099511628211ull;
    }
    EXPECT_EQ(hash, 0x97c3b26d17fea4ffull);
    const MotionGlobals lap = CaptureMotion();
    start.plate_pos = 1072;
    start.stepLength = 187;
    EXPECT_EQ(std::memcmp(&lap, &start, sizeof lap), 0);   // every field, floats to the last bit
    Press(1072);
    const MotionGlobals next = CaptureMotion();
    EXPECT_EQ(std::memcmp(&next, &lap, sizeof lap), 0);
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
