// The Windows build as a user meets it, under Wine in a virtual X server: its window and picture,
// Up moving the course, Escape and the close button ending it with status 0, a missing course or
// texture reported while the rest still shows, and a machine without 3D ending it with status 1.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "x_session.h"

namespace {

namespace fs = std::filesystem;

const std::string kViewerTitle = "^crs move pos$";

// The car's roof texture: yellow, lit to full strength.
bool IsRoofYellow(Rgb p) { return p.r > 200 && p.g > 180 && p.b < 100; }
// The green squares of the ground's checker texture.
bool IsGroundGreen(Rgb p) { return p.g > p.r + 25 && p.g > p.b + 25; }

class WineViewer : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(VIEWER_EXE))
            << VIEWER_EXE << " is missing: build it with scripts/build-windows";
        xvfb_ = StartXvfb();
        ASSERT_GT(xvfb_, 0) << "Xvfb did not start";
        ASSERT_TRUE(UseWinePrefix(WINE_PREFIX)) << "wineboot failed";
    }

    void TearDown() override
    {
        StopProcess(viewer_);
        // Wine's own helper processes belong to this X server; end them with it.
        RunProgram({"wineserver", "-k"}, 30.0);
        StopProcess(xvfb_);
        if (!scratch_.empty()) fs::remove_all(scratch_);
    }

    void StartViewer(const std::string& dir) { viewer_ = StartProcess({"wine", VIEWER_EXE}, dir); }

    // The viewer's window once its first frame is on the screen: the clear colour shows above the
    // horizon, at the top right, away from where the overlay would be.
    Image FirstFrame(const std::string& window)
    {
        Image image;
        for (int attempt = 0; attempt < 100; attempt++) {
            image = CaptureWindow(window);
            if (!image.rgb.empty()) {
                const Rgb sky = Pixel(image, image.width - 10, 10);
                if (sky.r == 100 && sky.g == 100 && sky.b == 100) break;
            }
            usleep(200000);
        }
        return image;
    }

    int ExitStatus()
    {
        int status = -2;
        EXPECT_TRUE(WaitForExit(viewer_, 30.0, &status)) << "the viewer did not end";
        return status;
    }

    // A directory of its own for a test, removed afterwards.
    std::string MakeScratchDir()
    {
        char name[] = "/tmp/crs-wine-XXXXXX";
        if (mkdtemp(name) == nullptr) return "";
        scratch_ = name;
        return scratch_;
    }

    pid_t xvfb_ = -1;
    pid_t viewer_ = -1;
    std::string scratch_;
};

TEST_F(WineViewer, ShowsTheSceneMovesTheCourseOnUpAndEndsWithZeroOnEscape)
{
    StartViewer(TEST_DATA_DIR);
    const std::string window = FindWindow(kViewerTitle, 60.0);
    ASSERT_NE(window, "") << "no window titled \"crs move pos\"";
    EXPECT_EQ(WindowTitle(window), "crs move pos");

    // 800 by 600 outside at the top-left corner leaves this client area under Wine's metrics.
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(WindowGeometry(window, &x, &y, &width, &height));
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 23);
    EXPECT_EQ(width, 792);
    EXPECT_EQ(height, 573);

    const Image before = FirstFrame(window);
    ASSERT_FALSE(before.rgb.empty()) << "no capture of the window";
    const Rgb sky = Pixel(before, before.width - 10, 10);
    EXPECT_EQ(sky.r, 100);
    EXPECT_EQ(sky.g, 100);
    EXPECT_EQ(sky.b, 100);
    // Both meshes are drawn with their textures: the car's roof and the ground's squares.
    EXPECT_GT(CountPixels(before, IsRoofYellow), 2000);
    EXPECT_GT(CountPixels(before, IsGroundGreen), 20000);

    PressKeys(window, std::vector<std::string>(10, "Up"));
    usleep(1000000);
    const Image after = CaptureWindow(window);
    ASSERT_EQ(after.rgb.size(), before.rgb.size());
    // The course has come towards the camera; the car stays where it was.
    int changed = 0;
    for (int py = 0; py < after.height; py++)
        for (int px = 0; px < after.width; px++) {
            const Rgb a = Pixel(before, px, py), b = Pixel(after, px, py);
            changed += (a.r != b.r || a.g != b.g || a.b != b.b) ? 1 : 0;
        }
    EXPECT_GT(changed, 20000);
    EXPECT_NEAR(CountPixels(after, IsRoofYellow), CountPixels(before, IsRoofYellow), 50);

    PressKeys(window, {"Escape"});
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(WineViewer, CloseButtonEndsWithZero)
{
    StartViewer(TEST_DATA_DIR);
    const std::string window = FindWindow(kViewerTitle, 60.0);
    ASSERT_NE(window, "");
    ASSERT_FALSE(FirstFrame(window).rgb.empty());
    ASSERT_TRUE(SendCloseRequest(window));
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(WineViewer, MissingCourseIsReportedWithItsNameAndTheCarStillShows)
{
    const std::string dir = MakeScratchDir();
    ASSERT_NE(dir, "");
    for (const char* file : {"F1.x", "roof.png"})
        fs::copy_file(fs::path(TEST_DATA_DIR) / file, fs::path(dir) / file);
    StartViewer(dir);

    const std::string box = FindWindow("^crs\\.x$", 60.0);
    ASSERT_NE(box, "") << "no message box captioned \"crs.x\"";
    PressKeys(box, {"Return"});

    // The car loads after the failed course, so no second box comes.
    const std::string window = FindWindow(kViewerTitle, 30.0);
    ASSERT_NE(window, "");
    const Image frame = FirstFrame(window);
    ASSERT_FALSE(frame.rgb.empty());
    EXPECT_EQ(FindWindow("^F1\\.x$", 0.0), "");
    EXPECT_GT(CountPixels(frame, IsRoofYellow), 2000);
    EXPECT_EQ(CountPixels(frame, IsGroundGreen), 0);

    PressKeys(window, {"Escape"});
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(WineViewer, MissingTextureIsReportedAndItsMaterialDrawsUntextured)
{
    const std::string dir = MakeScratchDir();
    ASSERT_NE(dir, "");
    for (const char* file : {"crs.x", "F1.x", "roof.png"})
        fs::copy_file(fs::path(TEST_DATA_DIR) / file, fs::path(dir) / file);
    StartViewer(dir);

    // No caption is given, so the box shows the system's default one.
    const std::string box = FindWindow("^Error$", 60.0);
    ASSERT_NE(box, "") << "no message box for the missing ground.png";
    PressKeys(box, {"Return"});

    const std::string window = FindWindow(kViewerTitle, 30.0);
    ASSERT_NE(window, "");
    const Image frame = FirstFrame(window);
    ASSERT_FALSE(frame.rgb.empty());
    // The ground is drawn in its white material, lit: an even grey brighter than the clear colour.
    EXPECT_EQ(CountPixels(frame, IsGroundGreen), 0);
    const Rgb ground = Pixel(frame, 10, frame.height - 10);
    EXPECT_EQ(ground.r, ground.g);
    EXPECT_EQ(ground.g, ground.b);
    EXPECT_GT(ground.r, 120);
    EXPECT_GT(CountPixels(frame, IsRoofYellow), 2000);

    PressKeys(window, {"Escape"});
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(WineViewer, NoDeviceIsReportedForBothDeviceTypesAndEndsWithNonZeroStatus)
{
    // Wine's Direct3D without any 3D renderer: the object exists, but no device can be made.
    setenv("WINE_D3D_CONFIG", "renderer=no3d", 1);
    StartViewer(TEST_DATA_DIR);
    const std::string window = FindWindow(kViewerTitle, 60.0);
    ASSERT_NE(window, "");

    // First the two-line retry message, then the one-line failure; neither has a caption.
    const std::string retry = FindWindow("^Error$", 60.0);
    ASSERT_NE(retry, "");
    int x = 0, y = 0, width = 0, retryHeight = 0, failureHeight = 0;
    ASSERT_TRUE(WindowGeometry(retry, &x, &y, &width, &retryHeight));
    PressKeys(retry, {"Return"});
    std::string failure;
    for (int attempt = 0; attempt < 100 && (failure.empty() || failure == retry); attempt++) {
        failure = FindWindow("^Error$", 1.0);
        usleep(100000);
    }
    ASSERT_NE(failure, "");
    ASSERT_NE(failure, retry);
    ASSERT_TRUE(WindowGeometry(failure, &x, &y, &width, &failureHeight));
    EXPECT_GT(retryHeight, failureHeight);

    // No frame was drawn: nothing of the clear colour is on the window.
    const Image image = CaptureWindow(window);
    ASSERT_FALSE(image.rgb.empty());
    EXPECT_EQ(CountPixels(image, [](Rgb p) { return p.r == 100 && p.g == 100 && p.b == 100; }), 0);

    PressKeys(failure, {"Return"});
    EXPECT_EQ(ExitStatus(), 1);
}

}  // namespace
