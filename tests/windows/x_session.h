// Child processes and a virtual X server for tests that drive a GUI program: start and stop
// programs, find a window by its title, press keys in it, ask it to close and capture its pixels.
// Every X operation talks to the display named by DISPLAY in this process's environment.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;   // width * height pixels, three bytes each, row by row
};

struct Rgb {
    int r, g, b;
};

inline Rgb Pixel(const Image& image, int x, int y)
{
    const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
    return {image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
}

// How many pixels of the image the predicate accepts.
template <typename Predicate>
int CountPixels(const Image& image, Predicate predicate)
{
    int count = 0;
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < image.width; x++) count += predicate(Pixel(image, x, y)) ? 1 : 0;
    return count;
}

struct RunResult {
    int status;   // exit status, or -1 when the program did not exit normally or in time
    std::string out;
};

// Starts argv (searched in PATH) in directory `dir`, its output discarded. -1 when fork fails.
pid_t StartProcess(const std::vector<std::string>& argv, const std::string& dir);
// Waits up to `seconds` for the child to end; false on timeout. The exit status is -1 when the
// child was killed by a signal.
bool WaitForExit(pid_t pid, double seconds, int* exitStatus);
// Ends a child that is still running (SIGTERM, then SIGKILL) and reaps it.
void StopProcess(pid_t pid);
// Runs argv to its end (killed after `seconds`) and collects its standard output.
RunResult RunProgram(const std::vector<std::string>& argv, double seconds);

// Starts Xvfb on a free display number (1024 by 768, 24 bits) and sets DISPLAY to it.
// Returns its process, or -1 when it did not start.
pid_t StartXvfb();

// Points Wine at `prefix` (quiet, no Mono or Gecko installer dialogs: the viewers need neither),
// making the prefix first if it does not exist yet. False when it could not be made.
bool UseWinePrefix(const std::string& prefix);

// The id of a visible window whose title matches the extended regular expression, waiting up to
// `seconds` for it to appear; "" when none did.
std::string FindWindow(const std::string& titleRegex, double seconds);
std::string WindowTitle(const std::string& window);
// Position of the window's top-left corner on the screen and its size; false when unknown.
bool WindowGeometry(const std::string& window, int* x, int* y, int* width, int* height);
// Gives the window the keyboard focus and presses and releases each key (xdotool key names).
void PressKeys(const std::string& window, const std::vector<std::string>& keys);
// Sends the window manager's close request (WM_DELETE_WINDOW), as the close button does.
bool SendCloseRequest(const std::string& window);
// The window's pixels as they are on the screen now; an empty image when the capture failed.
Image CaptureWindow(const std::string& window);
