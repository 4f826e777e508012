// Reading DDS files: the header checked field by field before any pixel is touched, S3TC blocks
// through libsquish, and uncompressed pixels unpacked by the masks the header gives, each channel
// scaled to eight bits as D3DX converts formats (rounded to nearest).
#include "platform/portable/d3dx9/dds.h"

#include <squish.h>

#include <cstring>

namespace {

constexpr std::size_t kHeaderBytes = 4 + 124;
constexpr std::uint32_t kMipMapCount = 0x20000;    // DDSD_MIPMAPCOUNT
constexpr std::uint32_t kAlphaPixels = 0x1;        // DDPF_ALPHAPIXELS
constexpr std::uint32_t kFourCc = 0x4;             // DDPF_FOURCC
constexpr std::uint32_t kRgb = 0x40;               // DDPF_RGB
constexpr std::uint32_t kCubeOrVolume = 0x200 | 0x200000;  // DDSCAPS2_CUBEMAP, _VOLUME

constexpr std::uint32_t FourCc(const char (&code)[5])
{
    return static_cast<std::uint32_t>(code[0]) | static_cast<std::uint32_t>(code[1]) << 8 |
           static_cast<std::uint32_t>(code[2]) << 16 | static_cast<std::uint32_t>(code[3]) << 24;
}

std::uint32_t Word(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 |
           static_cast<std::uint32_t>(data[at + 3]) << 24;
}

// The pixel format: the squish flag of a compressed one (0 for uncompressed), bytes per block
// or per pixel, and the channel masks of an uncompressed one.
struct Format {
    int squishFlags;
    std::uint32_t unitBytes;
    std::uint32_t masks[4];  // R, G, B, A
};

bool ReadFormat(const std::vector<std::uint8_t>& data, Format& format)
{
    const std::uint32_t flags = Word(data, 80), fourCc = Word(data, 84);
    format = Format{};
    if (flags & kFourCc) {
        if (fourCc == FourCc("DXT1")) format = {squish::kDxt1, 8, {}};
        else if (fourCc == FourCc("DXT3")) format = {squish::kDxt3, 16, {}};
        else if (fourCc == FourCc("DXT5")) format = {squish::kDxt5, 16, {}};
        return format.unitBytes != 0;
    }
    const std::uint32_t bits = Word(data, 88);
    if (!(flags & kRgb) || (bits != 16 && bits != 24 && bits != 32)) return false;
    format.unitBytes = bits / 8;
    for (int k = 0; k < 3; ++k) format.masks[k] = Word(data, 92 + 4 * k);
    format.masks[3] = (flags & kAlphaPixels) ? Word(data, 104) : 0;
    const std::uint64_t limit = std::uint64_t{1} << bits;
    for (std::uint32_t mask : format.masks)
        if (mask >= limit) return false;
    return format.masks[0] && format.masks[1] && format.masks[2];
}

std::uint64_t LevelBytes(const Format& format, std::uint32_t width, std::uint32_t height)
{
    if (format.squishFlags)
        return std::uint64_t{(width + 3) / 4} * ((height + 3) / 4) * format.unitBytes;
    return std::uint64_t{width} * height * format.unitBytes;
}

std::uint8_t Channel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0) return 255;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const std::uint32_t most = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((value * 255 + most / 2) / most);
}

}  // namespace

bool IsDdsFile(const std::vector<std::uint8_t>& data)
{
    return data.size() >= 4 && std::memcmp(data.data(), "DDS ", 4) == 0;
}

bool ReadDdsHeader(const std::vector<std::uint8_t>& data, DdsInfo& info)
{
    Format format;
    if (!IsDdsFile(data) || data.size() < kHeaderBytes || Word(data, 4) != 124 ||
        Word(data, 76) != 32 || (Word(data, 112) & kCubeOrVolume) || !ReadFormat(data, format))
        return false;
    const std::uint32_t height = Word(data, 12), width = Word(data, 16);
    if (width == 0 || height == 0 || width > (1u << 16) || height > (1u << 16)) return false;
    std::uint32_t levels = (Word(data, 8) & kMipMapCount) ? Word(data, 28) : 1;
    if (levels == 0) levels = 1;
    std::uint64_t bytes = 0;
    std::uint32_t w = width, h = height, level = 0;
    for (; level < levels; ++level) {
        bytes += LevelBytes(format, w, h);
        if (w == 1 && h == 1) break;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    // A count past the 1 by 1 level is wrong, and the file's data must hold every level.
    if (level + 1 < levels || bytes > data.size() - kHeaderBytes) return false;
    info = DdsInfo{static_cast<int>(width), static_cast<int>(height), static_cast<int>(levels)};
    return true;
}

bool DecodeDdsTopLevel(const std::vector<std::uint8_t>& data, const DdsInfo& info,
                       std::uint8_t* rgba)
{
    Format format;
    DdsInfo checked;
    if (!ReadDdsHeader(data, checked) || checked.width != info.width ||
        checked.height != info.height || !ReadFormat(data, format))
        return false;
    const std::uint8_t* pixels = data.data() + kHeaderBytes;
    if (format.squishFlags) {
        squish::DecompressImage(rgba, info.width, info.height, pixels, format.squishFlags);
        return true;
    }
    const std::size_t count = static_cast<std::size_t>(info.width) * info.height;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t pixel = 0;
        for (std::uint32_t b = 0; b < format.unitBytes; ++b)
            pixel |= static_cast<std::uint32_t>(pixels[i * format.unitBytes + b]) << (8 * b);
        for (int k = 0; k < 4; ++k) rgba[i * 4 + k] = Channel(pixel, format.masks[k]);
    }
    return true;
}
