// The portable backend against the reference: crs-probe (the platform probe built for this
// backend) must draw what the same source showed when built with mingw-w64 and run under Wine in
// Xvfb (tests/reference/wine_probe*.png, taken by scripts/compare-platform --update): the mean
// absolute difference of each channel over the client area at most 2 of 255. Once with the
// course drawing's light, once with a white specular light, and once with the window made smaller
// after the device was created, so that Present stretches the back buffer. Also the frame
// comparison that reports these figures, and the probe's load counts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/reference/frame_diff.h"
#include "tests/tools/run_command.h"

namespace fs = std::filesystem;

namespace {

const double kTolerance = 2.0;   // of 255, per channel

// Runs crs-probe headless in tests/reference/, where its X files and textures lie.
CommandResult RunProbe(const std::vector<std::string>& args)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    const fs::path previous = fs::current_path();
    fs::current_path(CRS_REFERENCE_DIR);
    CommandResult result = RunCommand(CRS_PROBE_PATH, args);
    fs::current_path(previous);
    return result;
}

class ReferenceProbe : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(folder_); }

    void ExpectMatchesWine(const std::string& reference, std::vector<std::string> args)
    {
        FrameImage wine, portable;
        ASSERT_TRUE(LoadFrameImage(std::string(CRS_REFERENCE_DIR) + "/" + reference, wine));
        const std::string captured = (folder_ / "frame.png").string();
        args.insert(args.end(), {"capture", captured});
        const CommandResult run = RunProbe(args);
        ASSERT_EQ(run.status, 0) << run.err;
        ASSERT_TRUE(LoadFrameImage(captured, portable));
        ASSERT_EQ(portable.width, wine.width);
        ASSERT_EQ(portable.height, wine.height);
        const FrameDifference d = CompareFrames(wine, portable);
        std::printf("%s: mean absolute difference per channel (of 255): red %.3f green %.3f "
                    "blue %.3f; within %d levels: %.3f%%; worst %d at (%d, %d)\n",
                    reference.c_str(), d.meanAbsolute[0], d.meanAbsolute[1], d.meanAbsolute[2],
                    kCloseLevels, 100.0 * d.closeShare, d.worst, d.worstX, d.worstY);
        for (int c = 0; c < 3; ++c) EXPECT_LE(d.meanAbsolute[c], kTolerance) << "channel " << c;
    }

    fs::path folder_ = fs::temp_directory_path() / ("crs-probe-test-" + std::to_string(getpid()));
};

// The course drawing's light, a white specular light, and the window made smaller after the
// device was created, so that Present stretches the back buffer.
TEST_F(ReferenceProbe, EachSceneMatchesWineWithinTwoLevelsPerChannel)
{
    fs::create_directories(folder_);
    ExpectMatchesWine("wine_probe.png", {});
    ExpectMatchesWine("wine_probe_specular.png", {"specular"});
    ExpectMatchesWine("wine_probe_stretch.png", {"stretch"});
}

// The same lines under Wine are what scripts/compare-platform compares these with.
TEST(ReferenceProbeCounts, OneLinePerFileWithMaterialsFacesSubsetsAndTextures)
{
    const CommandResult run = RunProbe({"counts", "probe_course.x", "missing.x", "probe_car.x"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "probe_course.x: 2 materials, 6 faces (2/4), 1 of 1 textures\n"
              "missing.x: load failed 0x88760b59\n"
              "probe_car.x: 2 materials, 10 faces (8/2), 0 of 0 textures\n");
}

FrameImage Plain(int width, int height, std::uint8_t grey)
{
    FrameImage image;
    image.width = width;
    image.height = height;
    image.rgba.assign(static_cast<std::size_t>(width) * height * 4, grey);
    return image;
}

TEST(FrameDiff, MeansPerChannelCloseShareAndTheWorstPixel)
{
    const FrameImage reference = Plain(4, 2, 100);
    EXPECT_EQ(LargestMean(CompareFrames(reference, reference)), 0.0);

    FrameImage candidate = reference;
    candidate.rgba[(1 * 4 + 2) * 4 + 1] = 130;   // pixel (2, 1), green, 30 levels off
    candidate.rgba[(0 * 4 + 3) * 4 + 0] = 90;    // pixel (3, 0), red, 10 levels off
    candidate.rgba[(0 * 4 + 0) * 4 + 3] = 0;     // alpha is not compared
    const FrameDifference d = CompareFrames(reference, candidate);
    EXPECT_DOUBLE_EQ(d.meanAbsolute[0], 10.0 / 8);
    EXPECT_DOUBLE_EQ(d.meanAbsolute[1], 30.0 / 8);
    EXPECT_DOUBLE_EQ(d.meanAbsolute[2], 0.0);
    EXPECT_DOUBLE_EQ(LargestMean(d), 30.0 / 8);
    EXPECT_DOUBLE_EQ(d.closeShare, 7.0 / 8);
    EXPECT_EQ(d.differing, 2);
    EXPECT_EQ(d.worst, 30);
    EXPECT_EQ(d.worstX, 2);
    EXPECT_EQ(d.worstY, 1);
}

TEST(FrameDiff, ProgramExitsByTheToleranceAndRefusesFramesOfDifferentSizes)
{
    const std::string dir = CRS_REFERENCE_DIR;
    CommandResult same = RunCommand(CRS_FRAME_DIFF_PATH, {dir + "/wine_probe.png", dir + "/wine_probe.png"});
    EXPECT_EQ(same.status, 0);
    EXPECT_NE(same.out.find("summary: PASS"), std::string::npos) << same.out;

    // The specular light changes part of the picture: beyond a tolerance of 0, within 255.
    const std::vector<std::string> pair = {dir + "/wine_probe.png", dir + "/wine_probe_specular.png"};
    CommandResult strict = RunCommand(CRS_FRAME_DIFF_PATH, {pair[0], pair[1], "0"});
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.out.find("summary: FAIL"), std::string::npos) << strict.out;
    EXPECT_EQ(RunCommand(CRS_FRAME_DIFF_PATH, {pair[0], pair[1], "255"}).status, 0);

    EXPECT_EQ(RunCommand(CRS_FRAME_DIFF_PATH, {dir + "/wine_probe.png", dir + "/wine_probe_stretch.png"}).status, 2);
    EXPECT_EQ(RunCommand(CRS_FRAME_DIFF_PATH, {dir + "/wine_probe.png", dir + "/none.png"}).status, 2);
}

}  // namespace
