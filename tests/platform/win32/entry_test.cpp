// Whole programs on the portable Win32: the runtime start-up hands WinMain its arguments and its
// result becomes the exit status; without a display window creation ends the program saying why;
// message boxes without a display go to stderr.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/tools/run_command.h"

namespace {

// Runs the probe with the environment variables given set (or, for null values, unset).
CommandResult RunProbe(const std::vector<std::string>& args,
                       const std::vector<std::pair<const char*, const char*>>& environment)
{
    std::vector<std::pair<std::string, std::string>> saved;
    for (const auto& [name, value] : environment) {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old != nullptr ? old : std::string("\x01"));
        if (value != nullptr) setenv(name, value, 1);
        else unsetenv(name);
    }
    CommandResult result = RunCommand(WIN32_PROBE_PATH, args);
    for (const auto& [name, value] : saved) {
        if (value == "\x01") unsetenv(name.c_str());
        else setenv(name.c_str(), value.c_str(), 1);
    }
    return result;
}

TEST(Win32Entry, WinMainGetsInstanceCommandLineAndShowCommandAndItsResultIsTheExitStatus)
{
    const CommandResult result = RunProbe({"-x", "two words", ""}, {});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out,
              "instance set, previous null, command line [-x \"two words\" \"\"], show 10\n");
}

// Without a display, window creation ends the program saying why; offscreen asked for works.
TEST(Win32Entry, WindowCreationWithAndWithoutADisplay)
{
    const struct {
        const char *display, *driver;
        int status;
        const char *out, *reason;
    } rows[] = {
        {nullptr, nullptr, 1, "", "no display available: neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {":97", nullptr, 1, "", "no display available: cannot connect to the X display \":97\""},
        {nullptr, "offscreen", 0, "window created\n", ""},
    };
    for (const auto& row : rows) {
        const CommandResult result = RunProbe(
            {"window"},
            {{"DISPLAY", row.display}, {"WAYLAND_DISPLAY", nullptr}, {"SDL_VIDEODRIVER", row.driver}});
        EXPECT_EQ(result.status != 0, row.status != 0) << row.reason;
        EXPECT_EQ(result.out, row.out) << row.reason;
        EXPECT_NE(result.err.find(row.reason), std::string::npos) << result.err;
    }
}

TEST(Win32Entry, TextWithoutAFontFailsAndSaysWhatToInstall)
{
    char directory[] = "/tmp/crs-fonts-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string config = std::string(directory) + "/fonts.conf";
    std::FILE* file = std::fopen(config.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "<fontconfig><dir>%s/none</dir><cachedir>%s</cachedir></fontconfig>\n",
                 directory, directory);
    std::fclose(file);
    const CommandResult result =
        RunProbe({"text"}, {{"SDL_VIDEODRIVER", "offscreen"}, {"FONTCONFIG_FILE", config.c_str()}});
    std::filesystem::remove_all(directory);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "window created\nTextOutA FALSE\n");
    EXPECT_NE(result.err.find("TextOutA: no font: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("install fonts-dejavu-core"), std::string::npos) << result.err;
}

TEST(Win32Entry, MessageBoxesWithoutADisplayGoToStderrInUtf8)
{
    // Offscreen asked for, and no display at all with nothing asked for.
    for (const char* driver : {"offscreen", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(driver != nullptr ? driver : "no driver asked for");
        const CommandResult result = RunProbe(
            {"box"}, {{"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}, {"SDL_VIDEODRIVER", driver}});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err,
                  "crs.x: Xファイルの読み込みに失敗しました\n"
                  "Error: HALモードでDIRECT3Dデバイスを作成できません\nREFモードで再試行します\n");
    }
}

}  // namespace
