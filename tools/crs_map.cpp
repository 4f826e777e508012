// crs-map: draws the course from above, coloured by height, with the start, plate numbers every
// 50 plates and the bridge where the lap crosses itself, as a PNG.
#include <cstdio>
#include <string>

#include "tools/assets/course_map.h"
#include "tools/out_option.h"

namespace {

const char kUsage[] =
    "usage: crs-map [--out FILE.png]   draw the course from above into FILE.png\n"
    "                                  (default: course-map.png)\n"
    "       crs-map --help             print this text\n";

}  // namespace

int main(int argc, char** argv)
{
    std::string out = "course-map.png";
    if (const int status = ParseOutOption(argc, argv, "crs-map", "file name", kUsage, out);
        status >= 0)
        return status;
    const CourseMap map = DrawCourseMap(DriveCourse());
    if (const std::string error = WritePng(map.image, out); !error.empty()) {
        std::fprintf(stderr, "crs-map: cannot write %s\n", error.c_str());
        return 1;
    }
    return 0;
}
