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

CommandResult Drive(const std::vector<std::string>& args)
{
    return RunCommand(CRS_DRIVE_PATH, args);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The motion computed again from the course table with the library's sine and plain integer
// arithmetic, written without the motion code, for comparison row by row.
struct ReferenceDrive {
    long wx = -4000, wy = 13000, wz = 0;
    int vect_x = 0, vect_y = 0;

    static long Table(int angle)
    {
        return std::lround(4096.0 * std::sin(2.0 * M_PI * angle / 4096.0));
    }
    static long Scale(long x, long s)
    {
        const long product = x * s;
        return product < 0 ? -(-product / 4096) : product / 4096;
    }
    static double Shown(long thousandths) { return float(double(thousandths) / 1000.0); }
    std::string Step(int press)
    {
        const int plate = (press - 1) % 1072;
        const CoursePlate p = CoursePlateAt(plate);
        vect_y = (vect_y + p.heading_delta + 4096) % 4096;
        vect_x = (vect_x + p.pitch_delta + 4096) % 4096;
        wx += Scale(Scale(p.length, -Table(vect_y + 1024)), Table(vect_x + 1024));
        wy += Scale(p.length, Table(vect_y));
        wz += Scale(p.length, Table(vect_x));
        char row[200];
        std::snprintf(row, sizeof row, "%d,%d,%ld,%ld,%ld,%d,%d,%d,%d,%f,%f,%f", press, plate, wx,
                      wy, wz, vect_x, vect_y, (4096 - vect_x) % 4096, (1024 - vect_y + 4096) % 4096,
                      Shown(-wx), Shown(wz), Shown(-wy));
        return row;
    }
};

TEST(CrsDrivePath, TwoLapsMatchAnIndependentComputation)
{
    const CommandResult r = Drive({"--path", "2144"});
    ASSERT_EQ(r.status, 0);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2145u);
    EXPECT_EQ(lines[0], "press,plate,wx,wy,wz,vect_x,vect_y,crsAngleX,crsAngleY,fPosX,fPosY,fPosZ");
    ReferenceDrive reference;
    for (int press = 1; press <= 2144; ++press)
        ASSERT_EQ(lines[press], reference.Step(press)) << "press " << press;
    EXPECT_EQ(lines[1072], "1072,1071,-4000,13000,0,0,0,0,1024,4.000000,0.000000,-13.000000");
}

TEST(PressCount, TakesPlainWholeNumbersUpToTheLargest32BitValue)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0", nullptr},
        {"2147483647", nullptr},
        {"-5", "N must not be negative"},
        {"-x", "N is not a whole number"},
        {"ten", "N is not a whole number"},
        {"12x", "N is not a whole number"},
        {"1.5", "N is not a whole number"},
        {"+5", "N is not a whole number"},
        {" 5", "N is not a whole number"},
        {"", "N is not a whole number"},
        {"2147483648", "N is too large"},
        {"99999999999999999999999", "N is too large"},
    };
    for (const auto& [text, reason] : cases) {
        std::int32_t presses = -1;
        const char* error = ParsePresses(text, presses);
        EXPECT_STREQ(error, reason) << "'" << text << "'";
        if (reason == nullptr)
            EXPECT_EQ(presses, std::atoll(text));
        else
            EXPECT_EQ(presses, -1) << "'" << text << "'";
    }
}

}  // namespace
