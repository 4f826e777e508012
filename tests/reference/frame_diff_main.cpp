// crs-frame-diff REFERENCE.png CANDIDATE.png [TOLERANCE]: prints how far the candidate frame is
// from the reference (per-channel mean absolute difference, share of close pixels, worst pixel)
// and a summary line; exits 1 when a channel's mean exceeds the tolerance (default 2 of 255),
// 2 when the frames cannot be read or differ in size.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/reference/frame_diff.h"

int main(int argc, char** argv)
{
    char* end = nullptr;
    const double tolerance = argc == 4 ? std::strtod(argv[3], &end) : 2.0;
    if ((argc != 3 && argc != 4) || (argc == 4 && (*end != '\0' || tolerance < 0))) {
        std::fprintf(stderr, "usage: crs-frame-diff REFERENCE.png CANDIDATE.png [TOLERANCE]\n");
        return 2;
    }
    FrameImage reference, candidate;
    for (const auto& [path, image] : {std::pair{argv[1], &reference}, std::pair{argv[2], &candidate}}) {
        if (!LoadFrameImage(path, *image)) {
            std::fprintf(stderr, "crs-frame-diff: cannot read %s\n", path);
            return 2;
        }
    }
    if (reference.width != candidate.width || reference.height != candidate.height) {
        std::printf("summary: FAIL, sizes differ: %dx%d and %dx%d\n", reference.width,
                    reference.height, candidate.width, candidate.height);
        return 2;
    }
    const FrameDifference d = CompareFrames(reference, candidate);
    const std::size_t w = static_cast<std::size_t>(reference.width);
    const std::size_t at = (static_cast<std::size_t>(d.worstY) * w + static_cast<std::size_t>(d.worstX)) * 4;
    std::printf("size: %dx%d\n", reference.width, reference.height);
    std::printf("mean absolute difference (of 255): red %.3f green %.3f blue %.3f\n",
                d.meanAbsolute[0], d.meanAbsolute[1], d.meanAbsolute[2]);
    std::printf("pixels within %d of 255 on every channel: %.3f%%\n", kCloseLevels,
                100.0 * d.closeShare);
    std::printf("pixels that differ at all: %ld of %ld\n", d.differing,
                static_cast<long>(reference.width) * reference.height);
    std::printf("worst pixel: (%d, %d) differs by %d: reference (%d, %d, %d), candidate (%d, %d, %d)\n",
                d.worstX, d.worstY, d.worst, reference.rgba[at], reference.rgba[at + 1],
                reference.rgba[at + 2], candidate.rgba[at], candidate.rgba[at + 1],
                candidate.rgba[at + 2]);
    const bool within = LargestMean(d) <= tolerance;
    std::printf("summary: %s, largest channel mean %.3f %s tolerance %.3f of 255\n",
                within ? "PASS" : "FAIL", LargestMean(d), within ? "<=" : ">", tolerance);
    return within ? 0 : 1;
}
