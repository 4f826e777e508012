// The runtime start-up of a Windows GUI program: after static initialisation, `main` calls the
// program's WinMain with the instance, the command line (the arguments after the program name)
// and a show command, and ends the process with its result. Linked only into programs with WinMain.
#include <SDL.h>

#include <string>

#include "platform/portable/frame_rate.h"
#include "platform/portable/win32/win32.h"
#ifdef __EMSCRIPTEN__
#include "platform/portable/web/browser.h"
#endif

struct HINSTANCE__ {};

namespace {

HINSTANCE__ programInstance;

// Arguments joined as Windows would have received them: quoted where they hold blanks or quotes.
std::string CommandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!line.empty()) line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
            line += argument;
            continue;
        }
        line += '"';
        for (char c : argument) {
            if (c == '"') line += '\\';
            line += c;
        }
        line += '"';
    }
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    MarkStartupStep("process start");
    std::string commandLine = CommandLine(argc, argv);
    // A program started without a show request gets SW_SHOWDEFAULT from the Windows start-up.
    const int result = WinMain(&programInstance, nullptr, commandLine.data(), SW_SHOWDEFAULT);
    if (SDL_WasInit(0) != 0) SDL_Quit();
#ifdef __EMSCRIPTEN__
    // The page has no process to end: it is told, and says so.
    NotifyProgramEnded(result);
#endif
    return result;
}
