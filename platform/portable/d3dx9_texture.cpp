// D3DXCreateTextureFromFileA: finds the file as Windows would, decodes it with stb_image (BMP,
// PNG, TGA, JPG and the other formats stb reads) in a child process, so that a hostile image
// fails the load rather than the program, and makes a device texture of it. On any failure the
// output is left untouched, as D3DX leaves it.
#include <stb_image.h>

#include <cstring>
#include <memory>

#include "platform/portable/call_recorder.h"
#include "platform/portable/child_process.h"
#include "platform/portable/d3d9_internal.h"
#include "platform/portable/d3dx9.h"
#include "platform/portable/windows_path.h"

namespace {

// Larger image files than this are refused before decoding.
constexpr std::size_t kMaxTextureFileBytes = 256u << 20;
constexpr int kDecodeTimeoutMs = 60000;

// Decodes to RGBA, top row first, after a header of width and height; false when stb cannot or
// the image is larger than `maxSide` either way.
bool Decode(const std::vector<std::uint8_t>& data, int maxSide, std::vector<std::uint8_t>& out)
{
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data.data(), static_cast<int>(data.size()), &width, &height,
                              &channels, 4),
        stbi_image_free);
    if (!pixels || width <= 0 || height <= 0 || width > maxSide || height > maxSide) return false;
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u;
    const std::int32_t header[2] = {width, height};
    out.resize(sizeof header + size);
    std::memcpy(out.data(), header, sizeof header);
    std::memcpy(out.data() + sizeof header, pixels.get(), size);
    return true;
}

}  // namespace

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile,
                                          LPDIRECT3DTEXTURE9* ppTexture)
{
    RecordCall("D3DXCreateTextureFromFileA(\"%s\")", pSrcFile ? pSrcFile : "NULL");
    if (!pDevice || !pSrcFile || !ppTexture) return D3DERR_INVALIDCALL;

    const std::string path = FindFileAsWindows(pSrcFile);
    std::vector<std::uint8_t> data;
    if (path.empty() || !ReadWholeFile(path, kMaxTextureFileBytes, data) || data.empty())
        return D3DXERR_INVALIDDATA;

    auto* device = static_cast<d3d9::Device*>(pDevice);
    const int maxSide = device->MaxTextureSize();
    std::vector<std::uint8_t> image;
    const auto decode = [&data, maxSide](std::vector<std::uint8_t>& out) {
        return Decode(data, maxSide, out);
    };
    const std::size_t maxBytes = 8u + static_cast<std::size_t>(maxSide) * maxSide * 4u;
    std::int32_t size[2] = {0, 0};
    if (!RunInChildProcess(decode, image, kDecodeTimeoutMs, maxBytes) || image.size() < 8)
        return D3DXERR_INVALIDDATA;
    // The child's answer is checked, not trusted: sides within limits and the pixels all there.
    std::memcpy(size, image.data(), sizeof size);
    if (size[0] <= 0 || size[1] <= 0 || size[0] > maxSide || size[1] > maxSide ||
        image.size() - 8u != static_cast<std::size_t>(size[0]) * size[1] * 4u)
        return D3DXERR_INVALIDDATA;

    d3d9::Texture* texture =
        d3d9::Texture::Create(device, image.data() + 8, size[0], size[1], pSrcFile);
    if (!texture) return D3DERR_NOTAVAILABLE;
    *ppTexture = texture;
    return D3D_OK;
}
