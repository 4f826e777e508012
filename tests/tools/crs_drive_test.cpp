// crs-drive as a user runs it: the overlay after N presses, the path as CSV checked against an
// independent computation of the motion, and the argument errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include <sys/wait.h>

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

// A thousand laps later the car is back at the start, and the counter shows a full lap.
TEST(CrsDriveOverlay, ShowsTheStartStateAfterWholeLapsWithTheCounterAtAFullLap)
{
    const CommandResult r = Drive({"1072000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "wx = -4000\nwy = 13000\nwz = 0\nvect_x = 0\nvect_y = 0\nvect_z = 0\n"
              "fPosX = 4.000000\nfPosY = 0.000000\nfPosZ = -13.000000\nplate_pos = 1072\n");
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> next = Lines(Drive({"1072001"}).out);
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next.back(), "plate_pos = 1");
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

TEST(CrsDriveArguments, BadArgumentsSayWhatIsWrongThenTheUsageAndExitTwo)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "crs-drive: missing N"},
        {{"--path"}, "crs-drive: missing N"},
        {{"--path", "-1"}, "crs-drive: N must not be negative: '-1'"},
        {{"--fast", "3"}, "crs-drive: unknown option: '--fast'"},
        {{"3", "4"}, "crs-drive: more than one N given: '4'"},
    };
    for (const auto& [args, message] : cases) {
        const CommandResult r = Drive(args);
        SCOPED_TRACE(message);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        const std::vector<std::string> err = Lines(r.err);
        ASSERT_GE(err.size(), 2u);
        EXPECT_EQ(err[0], message);
        EXPECT_EQ(err[1].rfind("usage: crs-drive N", 0), 0u);
    }
    const CommandResult help = Drive({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: crs-drive N", 0), 0u);
}

TEST(CrsDriveOutput, AFullDiskIsToldAndEndsWithStatusOne)
{
    for (const std::string args : {"300", "--path 2144"}) {
        // Standard error into the pipe, standard output onto the full device.
        std::FILE* run = popen((CRS_DRIVE_PATH " " + args + " 2>&1 >/dev/full").c_str(), "r");
        ASSERT_NE(run, nullptr);
        char said[200] = {};
        const std::size_t length = std::fread(said, 1, sizeof said - 1, run);
        EXPECT_EQ(WEXITSTATUS(pclose(run)), 1) << args;
        EXPECT_EQ(std::string(said, length),
                  "crs-drive: could not write the output: No space left on device\n");
    }
}

}  // namespace
