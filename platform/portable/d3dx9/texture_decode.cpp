// Decoding a texture file with stb_image within limits, and checking the decoding child's answer;
// no device is needed, so the fuzz target builds this alone.
#include "platform/portable/d3dx9/texture_decode.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <climits>
#include <cstring>
#include <memory>

#include "platform/portable/d3dx9/dds.h"

namespace {

bool WithinLimits(int width, int height, int maxSide)
{
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
           static_cast<std::int64_t>(width) * height <= kMaxTexturePixels;
}

// The image's size and pixels as stb_image or the DDS reader gives them.
bool DecodeImage(const std::vector<std::uint8_t>& data, int& width, int& height,
                 std::vector<std::uint8_t>& rgba)
{
    if (IsDdsFile(data)) {
        DdsInfo info{};
        if (!ReadDdsHeader(data, info)) return false;
        width = info.width;
        height = info.height;
        rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u);
        return DecodeDdsTopLevel(data, info, rgba.data());
    }
    int channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data.data(), static_cast<int>(data.size()), &width, &height,
                              &channels, 4),
        stbi_image_free);
    if (!pixels || width <= 0 || height <= 0) return false;
    const std::size_t size =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u;
    rgba.assign(pixels.get(), pixels.get() + size);
    return true;
}

bool IsPowerOfTwo(int side) { return side > 0 && (side & (side - 1)) == 0; }

}  // namespace

int RoundUpToPowerOfTwo(int side)
{
    int rounded = 1;
    while (rounded < side && rounded <= (INT_MAX >> 1)) rounded <<= 1;
    return rounded < side ? side : rounded;
}

// The size is read from the header first: a few bytes can claim an image of gigabytes, which stb
// would allocate and fill before finding the data missing.
bool DecodeTexture(const std::vector<std::uint8_t>& data, int maxSide,
                   std::vector<std::uint8_t>& out)
{
    if (!TextureHeaderWithinLimits(data, maxSide)) return false;
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    if (!DecodeImage(data, width, height, pixels)) return false;
    const int roundedWidth = RoundUpToPowerOfTwo(width);
    const int roundedHeight = RoundUpToPowerOfTwo(height);
    if (!WithinLimits(roundedWidth, roundedHeight, maxSide)) return false;
    const std::int32_t header[2] = {roundedWidth, roundedHeight};
    out.resize(sizeof header + static_cast<std::size_t>(roundedWidth) * roundedHeight * 4u);
    std::memcpy(out.data(), header, sizeof header);
    std::uint8_t* target = out.data() + sizeof header;
    if (roundedWidth == width && roundedHeight == height) {
        std::memcpy(target, pixels.data(), pixels.size());
        return true;
    }
    // D3DX's default filter for the rounding is the triangle filter, each channel on its own.
    return stbir_resize_uint8_generic(pixels.data(), width, height, 0, target, roundedWidth,
                                      roundedHeight, 0, 4, STBIR_ALPHA_CHANNEL_NONE, 0,
                                      STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE,
                                      STBIR_COLORSPACE_LINEAR, nullptr) != 0;
}

bool TextureHeaderWithinLimits(const std::vector<std::uint8_t>& data, int maxSide)
{
    int width = 0, height = 0, channels = 0;
    DdsInfo dds{};
    if (IsDdsFile(data)) {
        if (!ReadDdsHeader(data, dds)) return false;
        width = dds.width;
        height = dds.height;
    } else if (data.size() > static_cast<std::size_t>(INT_MAX) ||
               !stbi_info_from_memory(data.data(), static_cast<int>(data.size()), &width,
                                      &height, &channels)) {
        return false;
    }
    return WithinLimits(width, height, maxSide) &&
           WithinLimits(RoundUpToPowerOfTwo(width), RoundUpToPowerOfTwo(height), maxSide);
}

bool CheckTextureAnswer(const std::vector<std::uint8_t>& answer, int maxSide, int& width,
                        int& height)
{
    std::int32_t size[2] = {0, 0};
    if (answer.size() < sizeof size) return false;
    std::memcpy(size, answer.data(), sizeof size);
    if (!WithinLimits(size[0], size[1], maxSide) || !IsPowerOfTwo(size[0]) ||
        !IsPowerOfTwo(size[1]) ||
        answer.size() - sizeof size != static_cast<std::size_t>(size[0]) * size[1] * 4u)
        return false;
    width = size[0];
    height = size[1];
    return true;
}

