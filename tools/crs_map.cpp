// crs-map: draws the course from above, coloured by height, with the start, plate numbers every
// 50 plates and the bridge where the lap crosses itself, as a PNG.
#include <cstdio>
#include <string>

#include "tools/assets/course_map.h"

namespace {

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: crs-map [--out FILE.png]   draw the course from above into FILE.png\n"
                 "                                  (default: course-map.png)\n"
                 "       crs-map --help             print this text\n");
}

int UsageError(const std::string& what)
{
    std::fprintf(stderr, "crs-map: %s\n", what.c_str());
    PrintUsage(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string out = "course-map.png";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (arg != "--out") return UsageError("unknown argument: '" + arg + "'");
        if (i + 1 >= argc || argv[i + 1][0] == '\0') return UsageError("--out needs a file name");
        out = argv[++i];
    }
    const CourseMap map = DrawCourseMap(DriveCourse());
    if (!WritePng(map.image, out)) {
        std::fprintf(stderr, "crs-map: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
