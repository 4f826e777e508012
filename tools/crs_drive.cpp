// crs-drive: drives the course headless, press by press exactly as the window procedure does, and
// prints the overlay after N presses or the whole path as CSV, for checking or plotting the course
// without a window.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "motion/motion_state.h"
#include "motion/overlay_lines.h"
#include "tools/press_count.h"

namespace {


void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: crs-drive N           print the ten overlay lines after N Up-arrow presses\n"
                 "       crs-drive --path N    print press, plate, wx, wy, wz, vect_x, vect_y,\n"
                 "                             crsAngleX, crsAngleY, fPosX, fPosY, fPosZ as CSV,\n"
                 "                             one row per press 1..N\n"
                 "       crs-drive --help      print this text\n"
                 "N is a whole number from 0 to %lld; 0 shows the start state.\n",
                 kMaxPresses);
}

int UsageError(const char* what, const char* arg)
{
    if (arg != nullptr)
        std::fprintf(stderr, "crs-drive: %s: '%s'\n", what, arg);
    else
        std::fprintf(stderr, "crs-drive: %s\n", what);
    PrintUsage(stderr);
    return 2;
}

// One press as the window procedure makes it.
void Press()
{
    AdvancePlate();
    ++plate_pos;
}

void PrintOverlay()
{
    char line[80];
    for (int i = 0; i < kOverlayLineCount; ++i) {
        FormatOverlayLine(i, line, sizeof line);
        std::printf("%s\n", line);
    }
}

void PrintPath(std::int32_t presses)
{
    std::printf("press,plate,wx,wy,wz,vect_x,vect_y,crsAngleX,crsAngleY,fPosX,fPosY,fPosZ\n");
    for (long long press = 1; press <= presses; ++press) {
        AdvancePlate();
        const std::int32_t plate = plate_pos;
        ++plate_pos;
        std::printf("%lld,%d,%d,%d,%d,%d,%d,%d,%d,%f,%f,%f\n", press, plate, wx, wy, wz, vect_x,
                    vect_y, crsAngleX, crsAngleY, static_cast<double>(fPosX),
                    static_cast<double>(fPosY), static_cast<double>(fPosZ));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    bool path = false;
    const char* count = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        if (std::strcmp(arg, "--path") == 0) {
            path = true;
        } else if (arg[0] == '-' && std::strspn(arg + 1, "0123456789") != std::strlen(arg + 1)) {
            return UsageError("unknown option", arg);
        } else if (count != nullptr) {
            return UsageError("more than one N given", arg);
        } else {
            count = arg;
        }
    }
    if (count == nullptr) return UsageError("missing N", nullptr);
    std::int32_t presses = 0;
    if (const char* reason = ParsePresses(count, presses)) return UsageError(reason, count);

    InitPosition();
    if (path) {
        PrintPath(presses);
    } else {
        for (std::int32_t i = 0; i < presses; ++i) Press();
        PrintOverlay();
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "crs-drive: could not write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
