// D3DXCreateTextureFromFileA: finds the file as Windows would, decodes it with stb_image (BMP,
// PNG, TGA, JPG and the other formats stb reads) and makes a device texture of it. On any
// failure the output is left null, as D3DX leaves it.
#include <stb_image.h>

#include <memory>

#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9_internal.h"
#include "platform/portable/d3dx9.h"
#include "platform/portable/windows_path.h"

namespace {

// Larger image files than this are refused before decoding.
constexpr std::size_t kMaxTextureFileBytes = 256u << 20;

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

    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data.data(), static_cast<int>(data.size()), &width, &height,
                              &channels, 4),
        stbi_image_free);
    auto* device = static_cast<d3d9::Device*>(pDevice);
    if (!pixels || width <= 0 || height <= 0 || width > device->MaxTextureSize() ||
        height > device->MaxTextureSize())
        return D3DXERR_INVALIDDATA;

    d3d9::Texture* texture = d3d9::Texture::Create(device, pixels.get(), width, height, pSrcFile);
    if (!texture) return D3DERR_NOTAVAILABLE;
    *ppTexture = texture;
    return D3D_OK;
}
