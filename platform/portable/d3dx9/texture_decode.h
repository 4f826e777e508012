// The decoding behind D3DXCreateTextureFromFileA, without a device, so that the fuzz target
// (tests/fuzz) can call it: the size an image's header claims, checked before anything is
// decoded; the decoding, which runs in a child process; and the child's answer, checked in the
// parent before it becomes a texture.
#pragma once

#include <cstdint>
#include <vector>

// 8192 by 8192: 256 MiB of RGBA, more than any texture of a course needs.
constexpr std::int64_t kMaxTexturePixels = std::int64_t{1} << 26;

// The side D3DX gives a texture: the next power of two.
int RoundUpToPowerOfTwo(int side);

// True when the header is one stb_image or the DDS reader reads and claims, before and after
// rounding to powers of two, at most `maxSide` pixels either way and kMaxTexturePixels in all.
bool TextureHeaderWithinLimits(const std::vector<std::uint8_t>& data, int maxSide);

// The child's work: the image, its sides rounded up to powers of two and resampled as D3DX does,
// as its width and height (32-bit, native order), then its RGBA pixels, top row first; false
// when it cannot be read or the header is over the limits.
bool DecodeTexture(const std::vector<std::uint8_t>& data, int maxSide,
                   std::vector<std::uint8_t>& out);

// The child's answer: width and height (32-bit, native order), then width * height RGBA pixels.
// True, with the size, when it is exactly that, with sides that are powers of two, and within the
// same limits.
bool CheckTextureAnswer(const std::vector<std::uint8_t>& answer, int maxSide, int& width,
                        int& height);
