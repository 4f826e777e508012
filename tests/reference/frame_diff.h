// Compares two frames of the same size, as the platform comparison reports them: the mean
// absolute difference of each colour channel, the share of pixels close to each other, and the
// pixel that differs most.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FrameImage {
    std::vector<std::uint8_t> rgba;   // top row first
    int width = 0, height = 0;
};

// False when the file is missing or not a picture stb_image reads.
bool LoadFrameImage(const std::string& path, FrameImage& image);

// A pixel is "close" when none of its red, green and blue differs by more than this.
constexpr int kCloseLevels = 16;

struct FrameDifference {
    double meanAbsolute[3] = {0, 0, 0};   // red, green, blue, in levels of 255
    double closeShare = 1.0;              // share of pixels within kCloseLevels on every channel
    long differing = 0;                   // pixels that differ at all
    int worst = 0;                        // largest channel difference of any pixel
    int worstX = 0, worstY = 0;           // the first pixel with that difference
};

// The two frames must have the same size; alpha is not compared.
FrameDifference CompareFrames(const FrameImage& reference, const FrameImage& candidate);

// The largest of the three channel means.
double LargestMean(const FrameDifference& difference);
