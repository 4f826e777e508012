// crs-snapshot's own part: its arguments, how it ends when the device, a mesh, a texture or the
// output file fails. Its pictures are held to the Windows build's by golden_frames_test.sh.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/tools/run_command.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder holding the named files of the viewer's test data, where the tool runs.
class CrsSnapshot : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }
    void Use(std::initializer_list<const char*> files)
    {
        for (const char* file : files) fs::copy_file(fs::path(VIEWER_DATA_DIR) / file, dir_ / file);
    }
    CommandResult Snapshot(const std::vector<std::string>& args)
    {
        const fs::path previous = fs::current_path();
        fs::current_path(dir_);
        CommandResult result = RunCommand(SNAPSHOT_PATH, args);
        fs::current_path(previous);
        return result;
    }
    bool Written() { return fs::exists(dir_ / "snapshot.png"); }

    const fs::path dir_ = fs::temp_directory_path() / ("crs-snapshot-" + std::to_string(getpid()));
};

TEST_F(CrsSnapshot, BadArgumentsGiveOneLineThenTheUsageAndStatusTwo)
{
    Use({"crs.x", "F1.x", "ground.png", "roof.png"});
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--presses"}, "missing value after"},
        {{"--presses", "3x"}, "N is not a whole number"},
        {{"--presses", "1", "--presses", "2"}, "given twice"},
        {{"--out", ""}, "empty file name after"},
        {{"26"}, "unknown argument"},
    };
    for (const auto& [args, reason] : cases) {
        const CommandResult result = Snapshot(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind("crs-snapshot: " + reason, 0), 0u) << result.err;
        EXPECT_NE(result.err.find("\nusage: crs-snapshot "), std::string::npos) << result.err;
        EXPECT_FALSE(Written());
    }
    const CommandResult help = Snapshot({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: crs-snapshot", 0), 0u);
}

TEST_F(CrsSnapshot, AMissingCourseEndsItWithoutAPictureAndAMissingTextureOnlyWarns)
{
    Use({"F1.x", "roof.png"});
    CommandResult result = Snapshot({});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("crs.x: Xファイルの読み込みに失敗しました\n"), std::string::npos)
        << result.err;
    EXPECT_FALSE(Written());

    Use({"crs.x"});
    result = Snapshot({"--presses", "1"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "Error: テクスチャの読み込みに失敗しました\n");
    EXPECT_TRUE(Written());
}

TEST_F(CrsSnapshot, NoDeviceIsToldForBothDeviceTypesAndEndsWithStatusOne)
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

TEST_F(CrsSnapshot, AnOutputThatCannotBeWrittenIsToldAndEndsWithStatusOne)
{
    Use({"crs.x", "F1.x", "ground.png", "roof.png"});
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/full", "/dev/full: No space left on device"},
        {"missing/snapshot.png", "missing/snapshot.png: No such file or directory"},
    };
    for (const auto& [out, reason] : cases) {
        const CommandResult result = Snapshot({"--out", out});
        EXPECT_EQ(result.status, 1) << out;
        EXPECT_EQ(result.err, "crs-snapshot: cannot write the snapshot: " + reason + "\n");
    }
}

}  // namespace
