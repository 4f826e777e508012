// The motion state: start-up derivation, the worked presses and checkpoints of the lap, the lap
// closing, and the path's extent. Each test starts from the static start state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "motion/motion_state.h"
#include "motion/overlay_lines.h"

namespace {

// Every global of the motion state, so a test can restore the start state and compare states.
struct MotionSnapshot {
    std::int32_t wx, wy, wz, vect_x, vect_y, vect_z;
    std::int32_t crsAngleX, crsAngleY, crsAngleZ, carAngleX, carAngleY, carAngleZ;
    float crsRadX, crsRadY, crsRadZ, carRadX, carRadY, carRadZ, fPosX, fPosY, fPosZ;
    std::int32_t plate_pos, stepLength;

    static MotionSnapshot Capture()
    {
        return {::wx, ::wy, ::wz, ::vect_x, ::vect_y, ::vect_z, ::crsAngleX, ::crsAngleY,
                ::crsAngleZ, ::carAngleX, ::carAngleY, ::carAngleZ, ::crsRadX, ::crsRadY,
                ::crsRadZ, ::carRadX, ::carRadY, ::carRadZ, ::fPosX, ::fPosY, ::fPosZ,
                ::plate_pos, ::stepLength};
    }
    void Restore() const
    {
        ::wx = wx, ::wy = wy, ::wz = wz, ::vect_x = vect_x, ::vect_y = vect_y, ::vect_z = vect_z;
        ::crsAngleX = crsAngleX, ::crsAngleY = crsAngleY, ::crsAngleZ = crsAngleZ;
        ::carAngleX = carAngleX, ::carAngleY = carAngleY, ::carAngleZ = carAngleZ;
        ::crsRadX = crsRadX, ::crsRadY = crsRadY, ::crsRadZ = crsRadZ;
        ::carRadX = carRadX, ::carRadY = carRadY, ::carRadZ = carRadZ;
        ::fPosX = fPosX, ::fPosY = fPosY, ::fPosZ = fPosZ;
        ::plate_pos = plate_pos, ::stepLength = stepLength;
    }
    std::string Describe() const
    {
        char text[400];
        std::snprintf(text, sizeof text,
                      "w=(%d,%d,%d) vect=(%d,%d,%d) crs=(%d,%d,%d) car=(%d,%d,%d) "
                      "crsRad=(%.9g,%.9g,%.9g) carRad=(%.9g,%.9g,%.9g) fPos=(%.9g,%.9g,%.9g) "
                      "plate_pos=%d stepLength=%d",
                      wx, wy, wz, vect_x, vect_y, vect_z, crsAngleX, crsAngleY, crsAngleZ,
                      carAngleX, carAngleY, carAngleZ, double(crsRadX), double(crsRadY),
                      double(crsRadZ), double(carRadX), double(carRadY), double(carRadZ),
                      double(fPosX), double(fPosY), double(fPosZ), plate_pos, stepLength);
        return text;
    }
};

// Taken before any test runs: the globals are constant-initialised.
const MotionSnapshot kStaticStart = MotionSnapshot::Capture();

class MotionState : public ::testing::Test {
protected:
    void SetUp() override
    {
        kStaticStart.Restore();
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

TEST_F(MotionState, StartUpDerivesRadiansAndTranslation)
{
    EXPECT_EQ(wx, -4000);
    EXPECT_EQ(wy, 13000);
    EXPECT_EQ(wz, 0);
    EXPECT_EQ(crsAngleY, 1024);
    EXPECT_EQ(carAngleY, 2048);
    EXPECT_EQ(double(crsRadY), 1.5707963705062866);
    EXPECT_EQ(double(carRadY), 3.1415927410125732);
    EXPECT_EQ(crsRadX, 0.0f);
    EXPECT_EQ(crsRadZ, 0.0f);
    EXPECT_EQ(carRadX, 0.0f);
    EXPECT_EQ(carRadZ, 0.0f);
    EXPECT_EQ(fPosX, 4.0f);
    EXPECT_EQ(fPosY, 0.0f);
    EXPECT_EQ(fPosZ, -13.0f);
    EXPECT_EQ(plate_pos, 0);
}

TEST_F(MotionState, InitPositionMasksAndDerivesButResetsNothing)
{
    Press(300);
    const MotionSnapshot after = MotionSnapshot::Capture();
    InitPosition();
    EXPECT_EQ(MotionSnapshot::Capture().Describe(), after.Describe());

    vect_y = -11;
    crsAngleY = 1024 + 11;
    wx = 1234;
    InitPosition();
    EXPECT_EQ(vect_y, 4085);
    EXPECT_EQ(crsAngleY, 1035);
    EXPECT_EQ(double(crsRadY), 1.587670087814331);
    EXPECT_EQ(fPosX, -1.234f);
    EXPECT_EQ(wx, 1234);
}

TEST_F(MotionState, FirstPressUsesPlateZero)
{
    AdvancePlate();
    EXPECT_EQ(plate_pos, 0);   // the increment is the caller's
    EXPECT_EQ(stepLength, 200);
    EXPECT_EQ(wx, -4200);
    EXPECT_EQ(double(fPosX), 4.19999980926513671875);
}

TEST_F(MotionState, PitchAndNegativeHeadingPresses)
{
    Press(26);
    EXPECT_EQ(vect_x, 22);
    EXPECT_EQ(crsAngleX, 4074);
    EXPECT_EQ(double(crsRadX), 6.2494378089904785);
    EXPECT_EQ(wx, -9199);   // -199 added, not -200
    EXPECT_EQ(wz, 6);

    Press(10);
    EXPECT_EQ(vect_y, 4085);
    EXPECT_EQ(crsAngleY, 1035);
    EXPECT_EQ(double(crsRadY), 1.587670087814331);
    EXPECT_EQ(wx, -11190);
    EXPECT_EQ(wy, 12997);   // -3 added, not -4
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
        EXPECT_EQ(Printed(fPosX), c.fPosX);
        EXPECT_EQ(Printed(fPosY), c.fPosY);
        EXPECT_EQ(Printed(fPosZ), c.fPosZ);
    }
}

TEST_F(MotionState, PressNUsesPlateNMinusOneModuloTheCount)
{
    Press(988);
    AdvancePlate();
    EXPECT_EQ(plate_pos, 988);
    EXPECT_EQ(stepLength, 104);
    ++plate_pos;
    Press(1071 - 989);
    AdvancePlate();
    EXPECT_EQ(plate_pos, 1071);
    EXPECT_EQ(stepLength, 187);
    ++plate_pos;
    AdvancePlate();   // the 1073rd press wraps the counter and uses plate 0 again
    EXPECT_EQ(plate_pos, 0);
    EXPECT_EQ(stepLength, 200);
}

TEST_F(MotionState, LapClosesExactlyAndTheStateIsPeriodic)
{
    MotionSnapshot start = MotionSnapshot::Capture();
    Press(1072);
    MotionSnapshot lap = MotionSnapshot::Capture();
    EXPECT_EQ(lap.plate_pos, 1072);
    EXPECT_EQ(lap.stepLength, 187);
    start.plate_pos = 1072;
    start.stepLength = 187;
    EXPECT_EQ(lap.Describe(), start.Describe());
    Press(1072);
    EXPECT_EQ(MotionSnapshot::Capture().Describe(), lap.Describe());
}

TEST_F(MotionState, PathStaysInsideItsExtentAndCrossesItself)
{
    std::int32_t minX = wx, maxX = wx, minY = wy, maxY = wy, minZ = wz, maxZ = wz;
    for (int press = 1; press <= 1072; ++press) {
        Press();
        minX = std::min(minX, wx), maxX = std::max(maxX, wx);
        minY = std::min(minY, wy), maxY = std::max(maxY, wy);
        minZ = std::min(minZ, wz), maxZ = std::max(maxZ, wz);
        if (press == 765) {
            EXPECT_EQ(wz, -3726);   // plate 764, the upper road of the crossing
        }
        if (press == 1006) {
            EXPECT_EQ(wz, -3194);   // plate 1005, the lower one
        }
    }
    EXPECT_EQ(minX, -27089);
    EXPECT_EQ(maxX, 24590);
    EXPECT_EQ(minY, -22471);
    EXPECT_EQ(maxY, 21139);
    EXPECT_EQ(minZ, -3726);
    EXPECT_EQ(maxZ, 54);
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
