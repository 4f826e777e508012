// crs-snapshot: its arguments, the frame it writes (the window's size, the scene, the overlay of
// the press asked for), and how it ends when the device, a mesh or a texture cannot be made.
#include <gtest/gtest.h>

#include <stb_image.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "app/app.h"
#include "tests/platform/d3d_test_support.h"
#include "tests/tools/run_command.h"

namespace {

namespace fs = std::filesystem;

struct Png {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    test::Rgb At(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
        return {rgba[at], rgba[at + 1], rgba[at + 2]};
    }
};

Png ReadPng(const std::string& path)
{
    Png png;
    int channels = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels(
        stbi_load(path.c_str(), &png.width, &png.height, &channels, 4), stbi_image_free);
    if (pixels) png.rgba.assign(pixels.get(), pixels.get() + png.width * png.height * 4);
    return png;
}

// A scratch folder holding the named files of the viewer's test data, made current.
class SnapshotTest : public ::testing::Test {
protected:
    void Use(std::initializer_list<const char*> files)
    {
        for (const char* file : files)
            fs::copy_file(fs::path(VIEWER_DATA_DIR) / file, fs::path(folder_.path) / file);
    }
    CommandResult Snapshot(const std::vector<std::string>& args)
    {
        test::ScopedCurrentFolder inFolder(folder_.path);
        return RunCommand(SNAPSHOT_PATH, args);
    }
    bool Written(const char* name = "snapshot.png") { return fs::exists(fs::path(folder_.path) / name); }

    test::TempFolder folder_;
};

TEST_F(SnapshotTest, BadArgumentsGiveOneLineThenTheUsageAndStatusTwo)
{
    Use({"crs.x", "F1.x", "ground.png", "roof.png"});
    const std::vector<std::vector<std::string>> bad = {
        {"--presses"}, {"--presses", "-1"}, {"--presses", "3x"}, {"--presses", "2147483648"},
        {"--presses", "1", "--presses", "2"}, {"--out"}, {"--out", ""}, {"--frames", "3"}, {"26"},
    };
    for (const auto& args : bad) {
        const CommandResult result = Snapshot(args);
        const std::string shown = args.front() + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(result.err.rfind("crs-snapshot: ", 0), 0u) << shown;
        const std::size_t lineEnd = result.err.find('\n');
        EXPECT_EQ(result.err.compare(lineEnd + 1, 20, "usage: crs-snapshot "), 0) << result.err;
        EXPECT_FALSE(Written()) << shown;
    }
    const CommandResult help = Snapshot({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: crs-snapshot", 0), 0u);
}

TEST_F(SnapshotTest, WritesTheClientAreaWithTheSceneAndTheOverlayOfTheLastPress)
{
    Use({"crs.x", "F1.x", "ground.png", "roof.png"});
    const CommandResult result = Snapshot({"--presses", "26", "--out", "after-26.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const Png snapshot = ReadPng(folder_.path + "/after-26.png");
    // The client area that an 800 by 600 window leaves.
    ASSERT_EQ(snapshot.width, 792);
    ASSERT_EQ(snapshot.height, 573);
    const test::Rgb sky = snapshot.At(781, 10);
    EXPECT_EQ(sky.r, 100);
    EXPECT_EQ(sky.g, 100);
    EXPECT_EQ(sky.b, 100);

    // The ten lines of press 26 drawn alone over the clear colour, as the window's DC draws them:
    // every pixel of their text cells must be in the snapshot as it is here.
    const char* lines[] = {"wx = -9199",        "wy = 13000",       "wz = 6",
                           "vect_x = 22",       "vect_y = 0",       "vect_z = 0",
                           "fPosX = 9.199000",  "fPosY = 0.006000", "fPosZ = -13.000000",
                           "plate_pos = 26"};
    test::InitOffscreenVideo();
    HWND window = CreateMainWindow(nullptr);
    auto made = test::MakeDevice(window);
    ASSERT_NE(made->device, nullptr);
    made->device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF646464, 1.0f, 0);
    for (int i = 0; i < 10; i++)
        TextOutA(GetDC(window), 0, 18 * i, lines[i], static_cast<int>(std::strlen(lines[i])));
    made->device->Present(nullptr, nullptr, nullptr, nullptr);
    const test::Frame text = test::Capture(window);
    ASSERT_EQ(text.width, snapshot.width);
    ASSERT_EQ(text.height, snapshot.height);
    int compared = 0, differing = 0;
    for (int y = 0; y < 180; y++)
        for (int x = 0; x < 200; x++) {
            const test::Rgb t = text.At(x, y);
            if (t.r == 100 && t.g == 100 && t.b == 100) continue;
            const test::Rgb s = snapshot.At(x, y);
            compared++;
            differing += (s.r != t.r || s.g != t.g || s.b != t.b) ? 1 : 0;
        }
    EXPECT_GT(compared, 10 * 16 * 40);
    EXPECT_EQ(differing, 0);
    made.reset();
    DestroyWindow(window);
}

TEST_F(SnapshotTest, MissingCourseIsToldOnStderrAndWritesNothing)
{
    Use({"F1.x", "roof.png"});
    const CommandResult result = Snapshot({});
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.err.find("crs.x: Xファイルの読み込みに失敗しました\n"), std::string::npos)
        << result.err;
    EXPECT_FALSE(Written());
}

TEST_F(SnapshotTest, MissingTextureIsToldOnStderrAndItsMaterialDrawsUntextured)
{
    Use({"crs.x", "F1.x", "roof.png"});
    const CommandResult result = Snapshot({"--presses", "1"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "Error: テクスチャの読み込みに失敗しました\n");
    EXPECT_TRUE(Written());
}

TEST_F(SnapshotTest, NoDeviceIsToldForBothDeviceTypesAndEndsWithStatusOne)
{
    Use({"crs.x", "F1.x", "ground.png", "roof.png"});
    // An OpenGL below 3.3 gets no device.
    setenv("MESA_GL_VERSION_OVERRIDE", "3.0", 1);
    const CommandResult result = Snapshot({});
    unsetenv("MESA_GL_VERSION_OVERRIDE");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "Error: HALモードでDIRECT3Dデバイスを作成できません\nREFモードで再試行します\n"
              "Error: DIRECT3Dデバイスの作成に失敗しました\n");
    EXPECT_FALSE(Written());
}

}  // namespace
