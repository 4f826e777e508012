// Compares two frames of the same size as the platform and reference comparisons report them: the
// mean absolute difference of each colour channel and the share of pixels close to each other.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct FrameImage {
    std::vector<std::uint8_t> rgba;   // top row first
    int width = 0, height = 0;
};

bool LoadFrameImage(const std::string& path, FrameImage& image);

// A pixel is "close" when none of its red, green and blue differs by more than this.
constexpr int kCloseLevels = 16;

struct FrameDifference {
    double meanAbsolute[3] = {0, 0, 0};   // red, green, blue, in levels of 255
    double closeShare = 1.0;              // share of pixels within kCloseLevels on every channel
    long differing = 0;                   // pixels that differ at all
};

// The frames must have the same size and have been read (false when a file is missing or not a
// picture stb_image reads); alpha is not compared.
FrameDifference CompareFrames(const FrameImage& reference, const FrameImage& candidate);

inline double LargestMean(const FrameDifference& d)
{
    return std::max({d.meanAbsolute[0], d.meanAbsolute[1], d.meanAbsolute[2]});
}
