// Decoding a texture file with stb_image within limits, and checking the decoding child's answer;
// no device is needed, so the fuzz target builds this alone.
#include "platform/portable/d3dx9/texture_decode.h"

#include <stb_image.h>

#include <climits>
#include <cstring>
#include <memory>

namespace {

bool WithinLimits(int width, int height, int maxSide)
{
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
           static_cast<std::int64_t>(width) * height <= kMaxTexturePixels;
}

}  // namespace

// The size is read from the header first: a few bytes can claim an image of gigabytes, which stb
// would allocate and fill before finding the data missing.
bool DecodeTexture(const std::vector<std::uint8_t>& data, int maxSide,
                   std::vector<std::uint8_t>& out)
{
    if (!TextureHeaderWithinLimits(data, maxSide)) return false;
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data.data(), static_cast<int>(data.size()), &width, &height,
                              &channels, 4),
        stbi_image_free);
    if (!pixels || !WithinLimits(width, height, maxSide)) return false;
    const std::size_t size =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u;
    const std::int32_t header[2] = {width, height};
    out.resize(sizeof header + size);
    std::memcpy(out.data(), header, sizeof header);
    std::memcpy(out.data() + sizeof header, pixels.get(), size);
    return true;
}

bool TextureHeaderWithinLimits(const std::vector<std::uint8_t>& data, int maxSide)
{
    int width = 0, height = 0, channels = 0;
    return data.size() <= static_cast<std::size_t>(INT_MAX) &&
           stbi_info_from_memory(data.data(), static_cast<int>(data.size()), &width, &height,
                                 &channels) &&
           WithinLimits(width, height, maxSide);
}

bool CheckTextureAnswer(const std::vector<std::uint8_t>& answer, int maxSide, int& width,
                        int& height)
{
    std::int32_t size[2] = {0, 0};
    if (answer.size() < sizeof size) return false;
    std::memcpy(size, answer.data(), sizeof size);
    if (!WithinLimits(size[0], size[1], maxSide) ||
        answer.size() - sizeof size != static_cast<std::size_t>(size[0]) * size[1] * 4u)
        return false;
    width = size[0];
    height = size[1];
    return true;
}

