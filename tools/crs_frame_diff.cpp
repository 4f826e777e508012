// crs-frame-diff REFERENCE.png CANDIDATE.png [TOLERANCE]: prints how far the candidate frame is
// from the reference and a summary line; exits 1 when a channel's mean absolute difference
// exceeds the tolerance (default 2 of 255), 2 when the frames cannot be read or differ in size.
#include <cstdio>
#include <cstdlib>

#include "tools/frame_diff.h"

int main(int argc, char** argv)
{
    char* end = nullptr;
    const double tolerance = argc == 4 ? std::strtod(argv[3], &end) : 2.0;
    if ((argc != 3 && argc != 4) || (argc == 4 && (*end != '\0' || tolerance < 0))) {
        std::fprintf(stderr, "usage: crs-frame-diff REFERENCE.png CANDIDATE.png [TOLERANCE]\n");
        return 2;
    }
    FrameImage a, b;
    for (const auto& [path, image] : {std::pair{argv[1], &a}, std::pair{argv[2], &b}}) {
        if (!LoadFrameImage(path, *image)) {
            std::fprintf(stderr, "crs-frame-diff: cannot read %s\n", path);
            return 2;
        }
    }
    if (a.width != b.width || a.height != b.height) {
        std::printf("summary: FAIL, sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width,
                    b.height);
        return 2;
    }
    const FrameDifference d = CompareFrames(a, b);
    const bool within = LargestMean(d) <= tolerance;
    std::printf("size: %dx%d\n", a.width, a.height);
    std::printf("mean absolute difference (of 255): red %.3f green %.3f blue %.3f\n",
                d.meanAbsolute[0], d.meanAbsolute[1], d.meanAbsolute[2]);
    std::printf("pixels within %d of 255 on every channel: %.3f%%\n", kCloseLevels,
                100.0 * d.closeShare);
    std::printf("pixels that differ at all: %ld of %ld\n", d.differing, long{a.width} * a.height);
    std::printf("summary: %s, largest channel mean %.3f %s tolerance %.3f of 255\n",
                within ? "PASS" : "FAIL", LargestMean(d), within ? "<=" : ">", tolerance);
    return within ? 0 : 1;
}
