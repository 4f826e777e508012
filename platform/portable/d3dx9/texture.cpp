// D3DXCreateTextureFromFileA: finds the file as Windows would, decodes it with stb_image (BMP,
// PNG, TGA, JPG and the other formats stb reads) in the worker process, so that a hostile image
// fails the load rather than the program, and makes a device texture of it. On any failure the
// output is left untouched, as D3DX leaves it.
#include <string>
#include <vector>

#include "platform/portable/call_recorder.h"
#include "platform/portable/child_process.h"
#include "platform/portable/frame_rate.h"
#include "platform/portable/d3d9/internal.h"
#include "platform/portable/d3dx9/d3dx9.h"
#include "platform/portable/d3dx9/texture_decode.h"
#include "platform/portable/windows_path.h"

namespace {

// Larger image files than this are refused before decoding.
constexpr std::size_t kMaxTextureFileBytes = 256u << 20;
constexpr int kDecodeTimeoutMs = 60000;

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
    const std::size_t maxBytes = 8u + static_cast<std::size_t>(kMaxTexturePixels) * 4u;
    int width = 0, height = 0;
    // The worker's answer is checked, not trusted: sides within limits and the pixels all there.
    if (!RunInWorker(DecodeTexture, maxSide, data, image, kDecodeTimeoutMs, maxBytes) ||
        !CheckTextureAnswer(image, maxSide, width, height))
        return D3DXERR_INVALIDDATA;

    d3d9::Texture* texture =
        d3d9::Texture::Create(device, image.data() + 8, width, height, pSrcFile);
    if (!texture) return D3DERR_NOTAVAILABLE;
    *ppTexture = texture;
    MarkStartupStep("texture");
    return D3D_OK;
}
