// The Linux viewer as a user meets it, in a virtual X server of each test's own: its window and
// title, Up presses then Escape ending it with status 0, the close button and Alt+F4 doing the
// same, and a screenshot after N presses matching what crs-snapshot renders for N presses without
// a display.
#include <gtest/gtest.h>

#include <stb_image.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/windows/x_session.h"

namespace {

namespace fs = std::filesystem;

const std::string kViewerTitle = "^crs move pos$";

struct Difference {
    bool sameSize = false;
    long differing = 0;   // pixels with a channel more than kChannelTolerance apart
    int largest = 0;      // largest difference of any channel
};

// llvmpipe may round a few pixels differently on the two paths (GLX on the X server, EGL
// offscreen): a pixel counts as different when a channel is more than 2 of 255 off, and at most
// one pixel in a thousand may be. Measured: no pixel differs at all.
constexpr int kChannelTolerance = 2;
constexpr long kMaxDifferingPerMille = 1;

Difference Compare(const Image& screen, const std::string& png)
{
    Difference d;
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels(
        stbi_load(png.c_str(), &width, &height, &channels, 3), stbi_image_free);
    if (!pixels || width != screen.width || height != screen.height) return d;
    d.sameSize = true;
    for (std::size_t p = 0; p < static_cast<std::size_t>(width) * height; p++) {
        int worst = 0;
        for (std::size_t c = 0; c < 3; c++)
            worst = std::max(worst, std::abs(int(screen.rgb[p * 3 + c]) - int(pixels.get()[p * 3 + c])));
        d.largest = std::max(d.largest, worst);
        d.differing += worst > kChannelTolerance ? 1 : 0;
    }
    return d;
}

bool WithinTolerance(const Difference& d, const Image& screen)
{
    return d.sameSize && d.differing * 1000 <= kMaxDifferingPerMille * screen.width * screen.height;
}

class LinuxViewer : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(VIEWER_PATH));
        xvfb_ = StartXvfb();
        ASSERT_GT(xvfb_, 0) << "Xvfb did not start";
        char name[] = "/tmp/crs-viewer-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        scratch_ = name;
    }

    void TearDown() override
    {
        StopProcess(viewer_);
        StopProcess(xvfb_);
        if (!scratch_.empty()) fs::remove_all(scratch_);
    }

    // The viewer started in `dir`; its window once the first frame shows: the clear colour above
    // the horizon at the top right, away from the overlay.
    std::string StartViewer(const std::string& dir)
    {
        viewer_ = StartProcess({VIEWER_PATH}, dir);
        const std::string window = FindWindow(kViewerTitle, 30.0);
        if (window.empty()) return window;
        for (int attempt = 0; attempt < 100; attempt++) {
            const Image image = CaptureWindow(window);
            if (!image.rgb.empty()) {
                const std::size_t at = (10 * static_cast<std::size_t>(image.width) + image.width - 10) * 3;
                if (image.rgb[at] == 100 && image.rgb[at + 1] == 100 && image.rgb[at + 2] == 100)
                    break;
            }
            usleep(200000);
        }
        return window;
    }

    int ExitStatus()
    {
        int status = -2;
        EXPECT_TRUE(WaitForExit(viewer_, 30.0, &status)) << "the viewer did not end";
        return status;
    }

    // crs-snapshot's frame after `presses`, rendered in `dir`.
    std::string Snapshot(const std::string& dir, int presses)
    {
        const std::string out = scratch_ + "/snapshot-" + std::to_string(presses) + ".png";
        pid_t snapshot = StartProcess(
            {SNAPSHOT_PATH, "--presses", std::to_string(presses), "--out", out}, dir);
        int status = -1;
        EXPECT_TRUE(WaitForExit(snapshot, 60.0, &status));
        EXPECT_EQ(status, 0);
        return out;
    }

    pid_t xvfb_ = -1;
    pid_t viewer_ = -1;
    std::string scratch_;
};

TEST_F(LinuxViewer, TitledWindowTakesUpPressesAndEscapeEndsItWithZero)
{
    const std::string window = StartViewer(VIEWER_DATA_DIR);
    ASSERT_NE(window, "") << "no window titled \"crs move pos\"";
    EXPECT_EQ(WindowTitle(window), "crs move pos");
    const Image before = CaptureWindow(window);
    PressKeys(window, std::vector<std::string>(5, "Up"));
    usleep(500000);
    // The course has moved under the car.
    EXPECT_NE(CaptureWindow(window).rgb, before.rgb);
    PressKeys(window, {"Escape"});
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(LinuxViewer, CloseButtonEndsItWithZero)
{
    const std::string window = StartViewer(VIEWER_DATA_DIR);
    ASSERT_NE(window, "");
    ASSERT_TRUE(SendCloseRequest(window));
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(LinuxViewer, AltF4EndsItWithZero)
{
    const std::string window = StartViewer(VIEWER_DATA_DIR);
    ASSERT_NE(window, "");
    PressKeys(window, {"alt+F4"});
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(LinuxViewer, ScreenshotAfterPressesMatchesTheSnapshotOfAsManyPresses)
{
    constexpr int kPresses = 26;
    const std::string window = StartViewer(COURSE_DATA_DIR);
    ASSERT_NE(window, "");
    PressKeys(window, std::vector<std::string>(kPresses, "Up"));

    const std::string snapshot = Snapshot(COURSE_DATA_DIR, kPresses);
    // The loop keeps rendering; give the last key a moment to show.
    Image screen;
    Difference difference;
    for (int attempt = 0; attempt < 25; attempt++) {
        screen = CaptureWindow(window);
        difference = Compare(screen, snapshot);
        if (WithinTolerance(difference, screen)) break;
        usleep(200000);
    }
    ASSERT_TRUE(difference.sameSize) << "screen " << screen.width << " by " << screen.height;
    EXPECT_TRUE(WithinTolerance(difference, screen))
        << difference.differing << " pixels differ, by up to " << difference.largest;
    // One press fewer is told apart: the overlay and the course differ.
    EXPECT_FALSE(WithinTolerance(Compare(screen, Snapshot(COURSE_DATA_DIR, kPresses - 1)), screen));

    PressKeys(window, {"Escape"});
    EXPECT_EQ(ExitStatus(), 0);
}

}  // namespace
