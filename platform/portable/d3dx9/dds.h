// DirectDraw Surface (DDS) files as D3DXCreateTextureFromFileA reads them: DXT1, DXT3 and DXT5
// blocks (decompressed with libsquish) and uncompressed RGB formats described by their bit masks
// (A8R8G8B8, X8R8G8B8, R8G8B8, R5G6B5, A1R5G5B5 and their kin), with their mip levels.
#pragma once

#include <cstdint>
#include <vector>

// What a DDS header says, checked against the file's length: every mip level it claims is there.
struct DdsInfo {
    int width, height;
    int levels;
};

bool IsDdsFile(const std::vector<std::uint8_t>& data);

// False when the header is not a two-dimensional texture of a format listed above, or the file
// is shorter than its levels need.
bool ReadDdsHeader(const std::vector<std::uint8_t>& data, DdsInfo& info);

// The top level as RGBA bytes, top row first; the levels below it are the file's own, but the
// device samples the top level alone. `rgba` must hold width * height * 4 bytes.
bool DecodeDdsTopLevel(const std::vector<std::uint8_t>& data, const DdsInfo& info,
                       std::uint8_t* rgba);
