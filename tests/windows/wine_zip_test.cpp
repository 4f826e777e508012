// The Windows zip as a user meets it (scripts/package-windows): unpacked into an empty folder it
// holds the viewer, the course, the car, their textures and a readme with Windows line ends, and
// the viewer started there under Wine shows the course and the car and ends with status 0 on
// Escape.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "x_session.h"

namespace {

namespace fs = std::filesystem;

// The generated car's red body, and the road's asphalt: near grey, darker than the clear colour.
bool IsCarRed(Rgb p) { return p.r > 150 && p.g < 60 && p.b < 60; }
bool IsAsphalt(Rgb p)
{
    return std::abs(p.r - p.g) < 6 && std::abs(p.g - p.b) < 6 && p.r > 75 && p.r < 97;
}

class WindowsZip : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(WINDOWS_ZIP)) << WINDOWS_ZIP
                                             << " is missing: make it with scripts/package-windows";
        char name[] = "/tmp/crs-zip-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        scratch_ = name;
        int status = -1;
        const pid_t unpack = StartProcess({"cmake", "-E", "tar", "xf", WINDOWS_ZIP}, scratch_);
        ASSERT_TRUE(WaitForExit(unpack, 60.0, &status));
        ASSERT_EQ(status, 0) << "the zip does not unpack";
        folder_ = scratch_ + "/crs-move-pos";
    }

    void TearDown() override
    {
        StopProcess(viewer_);
        if (xvfb_ > 0) RunProgram({"wineserver", "-k"}, 30.0);
        StopProcess(xvfb_);
        if (!scratch_.empty()) fs::remove_all(scratch_);
    }

    std::string scratch_, folder_;
    pid_t xvfb_ = -1;
    pid_t viewer_ = -1;
};

TEST_F(WindowsZip, HoldsTheViewerItsFilesAndAReadmeInOneFolder)
{
    for (const char* file : {"crs-move-pos.exe", "crs.x", "F1.x", "README.txt"})
        EXPECT_TRUE(fs::is_regular_file(fs::path(folder_) / file)) << file << " is missing";
    int textures = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_))
        textures += entry.path().extension() == ".png" ? 1 : 0;
    EXPECT_GE(textures, 7) << "the meshes' textures are missing";

    std::ifstream readme(fs::path(folder_) / "README.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(readme)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("crs-move-pos.exe"), std::string::npos);
    // Notepad of older Windows shows one long line otherwise.
    std::size_t lineEnds = 0, bareLineEnds = 0;
    for (std::size_t at = 0; at < text.size(); at++) {
        if (text[at] != '\n') continue;
        lineEnds++;
        bareLineEnds += (at == 0 || text[at - 1] != '\r') ? 1 : 0;
    }
    EXPECT_GT(lineEnds, 10u);
    EXPECT_EQ(bareLineEnds, 0u) << "line ends without a carriage return";
}

TEST_F(WindowsZip, ViewerRunsUnderWineFromTheUnpackedFolderAndEndsWithZeroOnEscape)
{
    xvfb_ = StartXvfb();
    ASSERT_GT(xvfb_, 0) << "Xvfb did not start";
    ASSERT_TRUE(UseWinePrefix(WINE_PREFIX)) << "wineboot failed";

    viewer_ = StartProcess({"wine", "crs-move-pos.exe"}, folder_);
    const std::string window = FindWindow("^crs move pos$", 90.0);
    ASSERT_NE(window, "") << "no window titled \"crs move pos\"";

    // The first frame: the grey clear colour above the horizon, the car on the road.
    Image frame;
    for (int attempt = 0; attempt < 150; attempt++) {
        frame = CaptureWindow(window);
        if (!frame.rgb.empty()) {
            const Rgb sky = Pixel(frame, frame.width - 10, 10);
            if (sky.r == 100 && sky.g == 100 && sky.b == 100 && CountPixels(frame, IsCarRed) > 0)
                break;
        }
        usleep(200000);
    }
    ASSERT_FALSE(frame.rgb.empty()) << "no capture of the window";
    EXPECT_GT(CountPixels(frame, IsCarRed), 5000) << "no car";
    EXPECT_GT(CountPixels(frame, IsAsphalt), 50000) << "no road";

    PressKeys(window, {"Escape"});
    int status = -2;
    EXPECT_TRUE(WaitForExit(viewer_, 30.0, &status)) << "the viewer did not end";
    EXPECT_EQ(status, 0);
}

}  // namespace
