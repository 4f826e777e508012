// crs-snapshot: the viewer's frame after N Up-arrow presses, written as PNG without a display. It
// starts as the viewer does (window, device and meshes, start position, the window's DC), sends N
// Up key-downs through the window procedure and renders one frame under SDL's offscreen driver.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "motion/motion_state.h"
#include "platform/portable/d3d9/frame_capture.h"
#include "render/device.h"
#include "render/frame.h"
#include "render/mesh_object.h"
#include "tools/png_file.h"
#include "tools/press_count.h"

namespace {

// What Windows puts in lParam for a first press of Up: repeat count 1, scan code 0x48, extended.
constexpr LPARAM kUpKeyDownParam = 0x01480001;

struct Options {
    std::int32_t presses = 0;
    const char* out = "snapshot.png";
};

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: crs-snapshot [--presses N] [--out FILE.png]\n"
                 "Renders the viewer's window after N Up-arrow presses (default 0) from \"crs.x\",\n"
                 "\"F1.x\" and their textures in the current directory, without a display, and\n"
                 "writes the frame with its overlay as PNG (default snapshot.png).\n"
                 "N is a whole number from 0 to %lld.\n",
                 kMaxPresses);
}

int UsageError(const char* what, const char* arg)
{
    if (arg != nullptr)
        std::fprintf(stderr, "crs-snapshot: %s: '%s'\n", what, arg);
    else
        std::fprintf(stderr, "crs-snapshot: %s\n", what);
    PrintUsage(stderr);
    return 2;
}

// -1 when the arguments are good, otherwise the status to end with.
int ParseArguments(int argc, char** argv, Options& options)
{
    bool presses = false, out = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        const bool isPresses = std::strcmp(arg, "--presses") == 0;
        const bool isOut = std::strcmp(arg, "--out") == 0;
        if (!isPresses && !isOut) return UsageError("unknown argument", arg);
        if ((isPresses && presses) || (isOut && out)) return UsageError("given twice", arg);
        if (i + 1 >= argc) return UsageError("missing value after", arg);
        const char* value = argv[++i];
        if (isPresses) {
            if (const char* error = ParsePresses(value, options.presses))
                return UsageError(error, value);
            presses = true;
        } else {
            if (value[0] == '\0') return UsageError("empty file name after", arg);
            options.out = value;
            out = true;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (const int status = ParseArguments(argc, argv, options); status >= 0) return status;

    // No display needed; message boxes go to stderr under this driver.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);

    HWND hWnd = CreateMainWindow(nullptr);
    if (FAILED(InitD3D(hWnd))) return 1;
    // The viewer runs on without a mesh that failed to load; a snapshot of it would mislead.
    if (meshObjects[0].pMesh == nullptr || meshObjects[1].pMesh == nullptr) {
        Cleanup();
        std::fprintf(stderr, "crs-snapshot: a mesh did not load; no snapshot written\n");
        return 1;
    }
    InitPosition();
    HDC hdc = GetDC(hWnd);

    for (std::int32_t press = 0; press < options.presses; ++press)
        WndProc(hWnd, WM_KEYDOWN, VK_UP, kUpKeyDownParam);
    Render(hdc);

    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0;
    const bool captured = CaptureWindowFrame(hWnd, rgba, width, height);
    Cleanup();
    const std::string error = captured ? WritePngFile(options.out, width, height, 4, rgba.data())
                                       : std::string("no frame was presented");
    if (!error.empty()) {
        std::fprintf(stderr, "crs-snapshot: cannot write the snapshot: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
