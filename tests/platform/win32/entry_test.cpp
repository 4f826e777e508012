// Whole programs on the portable Win32: WinMain gets its arguments and its result is the exit
// status; without a display, window creation ends the program saying why, text without a font
// fails saying what to install, and message boxes go to stderr in UTF-8.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/tools/run_command.h"

namespace {

// The probe run with DISPLAY and WAYLAND_DISPLAY unset, and `settings` (NAME=value) set.
CommandResult RunProbe(std::vector<std::string> settings, const std::vector<std::string>& args)
{
    std::vector<std::string> command = {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"};
    command.insert(command.end(), settings.begin(), settings.end());
    command.push_back(WIN32_PROBE_PATH);
    command.insert(command.end(), args.begin(), args.end());
    return RunCommand("/usr/bin/env", command);
}

TEST(Win32Entry, ProgramsRunAsOnWindowsAndSayWhyTheyCannot)
{
    char folder[] = "/tmp/crs-fonts-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string fonts = std::string(folder) + "/fonts.conf";
    std::FILE* file = std::fopen(fonts.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "<fontconfig><dir>%s/none</dir><cachedir>%s</cachedir></fontconfig>\n",
                 folder, folder);
    std::fclose(file);
    const char* boxes = "crs.x: Xファイルの読み込みに失敗しました\n"
                        "Error: HALモードでDIRECT3Dデバイスを作成できません\nREFモードで再試行します\n";
    const struct {
        std::vector<std::string> settings, args;
        int status;
        std::string out, err;   // err: a part of it
    } rows[] = {
        {{}, {"-x", "two words", ""}, 3,
         "instance set, previous null, command line [-x \"two words\" \"\"], show 10\n", ""},
        {{}, {"window"}, 1, "", "no display available: neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {{"DISPLAY=:97"}, {"window"}, 1, "",
         "no display available: cannot connect to the X display \":97\""},
        {{"SDL_VIDEODRIVER=offscreen"}, {"window"}, 0, "window created\n", ""},
        {{"SDL_VIDEODRIVER=offscreen", "FONTCONFIG_FILE=" + fonts}, {"text"}, 0,
         "window created\nTextOutA FALSE\n", "TextOutA: no font: "},
        {{"SDL_VIDEODRIVER=offscreen", "FONTCONFIG_FILE=" + fonts}, {"text"}, 0,
         "window created\nTextOutA FALSE\n", "install fonts-dejavu-core"},
        {{"SDL_VIDEODRIVER=offscreen"}, {"box"}, 0, "", boxes},
        {{}, {"box"}, 0, "", boxes},
    };
    for (const auto& row : rows) {
        const CommandResult result = RunProbe(row.settings, row.args);
        SCOPED_TRACE(row.args[0] + "\n" + result.err);
        EXPECT_EQ(result.status, row.status);
        EXPECT_EQ(result.out, row.out);
        EXPECT_NE(result.err.find(row.err), std::string::npos);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
