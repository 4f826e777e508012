// Frame comparison for the platform comparison and the reference pixel tests.
#include "tools/frame_diff.h"

#include <stb_image.h>

#include <cstdlib>

bool LoadFrameImage(const std::string& path, FrameImage& image)
{
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 4);
    if (!pixels) return false;
    image.rgba.assign(pixels, pixels + static_cast<std::size_t>(image.width) * image.height * 4);
    stbi_image_free(pixels);
    return true;
}

FrameDifference CompareFrames(const FrameImage& reference, const FrameImage& candidate)
{
    FrameDifference difference;
    const std::size_t pixels = static_cast<std::size_t>(reference.width) * reference.height;
    double sum[3] = {0, 0, 0};
    std::size_t close = 0;
    for (std::size_t p = 0; p < pixels; ++p) {
        int largest = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(int{reference.rgba[p * 4 + c]} - int{candidate.rgba[p * 4 + c]});
            sum[c] += d;
            largest = std::max(largest, d);
        }
        close += largest <= kCloseLevels;
        difference.differing += largest > 0;
    }
    for (int c = 0; c < 3 && pixels > 0; ++c) difference.meanAbsolute[c] = sum[c] / double(pixels);
    if (pixels > 0) difference.closeShare = double(close) / double(pixels);
    return difference;
}
