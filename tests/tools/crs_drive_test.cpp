// crs-drive's path as CSV, checked against an independent computation of the motion, and the
// press counts its arguments take (tool_commands_test.sh runs the rest of it).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "motion/course_table.h"
#include "run_command.h"
#include "tools/press_count.h"

namespace {

// The motion computed again from the course table with the library's sine and plain integer
// arithmetic (division truncates toward zero), written without the motion code.
struct ReferenceDrive {
    long wx = -4000, wy = 13000, wz = 0;
    int vect_x = 0, vect_y = 0;

    static long Sin(int angle) { return std::lround(4096 * std::sin(2 * M_PI * angle / 4096)); }
    static double Shown(long thousandths) { return float(double(thousandths) / 1000.0); }
    std::string Step(int press)
    {
        const int plate = (press - 1) % 1072;
        const CoursePlate p = CoursePlateAt(plate);
        vect_y = (vect_y + p.heading_delta + 4096) % 4096;
        vect_x = (vect_x + p.pitch_delta + 4096) % 4096;
        wx += p.length * -Sin(vect_y + 1024) / 4096 * Sin(vect_x + 1024) / 4096;
        wy += p.length * Sin(vect_y) / 4096;
        wz += p.length * Sin(vect_x) / 4096;
        char row[200];
        std::snprintf(row, sizeof row, "%d,%d,%ld,%ld,%ld,%d,%d,%d,%d,%f,%f,%f", press, plate, wx,
                      wy, wz, vect_x, vect_y, (4096 - vect_x) % 4096, (1024 - vect_y + 4096) % 4096,
                      Shown(-wx), Shown(wz), Shown(-wy));
        return row;
    }
};

TEST(CrsDrivePath, TwoLapsMatchAnIndependentComputation)
{
    const CommandResult r = RunCommand(CRS_DRIVE_PATH, {"--path", "2144"});
    ASSERT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "press,plate,wx,wy,wz,vect_x,vect_y,crsAngleX,crsAngleY,fPosX,fPosY,fPosZ");
    ReferenceDrive reference;
    for (int press = 1; press <= 2144; ++press) {
        ASSERT_TRUE(std::getline(lines, line)) << "press " << press;
        ASSERT_EQ(line, reference.Step(press)) << "press " << press;
    }
    EXPECT_FALSE(std::getline(lines, line));
}

TEST(PressCount, TakesPlainWholeNumbersUpToTheLargest32BitValue)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0", nullptr}, {"2147483647", nullptr}, {"-5", "N must not be negative"},
        {"-x", "N is not a whole number"}, {"12x", "N is not a whole number"},
        {"1.5", "N is not a whole number"}, {"+5", "N is not a whole number"},
        {" 5", "N is not a whole number"}, {"", "N is not a whole number"},
        {"2147483648", "N is too large"}, {"99999999999999999999999", "N is too large"},
    };
    for (const auto& [text, reason] : cases) {
        std::int32_t presses = -1;
        EXPECT_STREQ(ParsePresses(text, presses), reason) << "'" << text << "'";
        EXPECT_EQ(presses, reason ? -1 : std::atoll(text)) << "'" << text << "'";
    }
}

}  // namespace
