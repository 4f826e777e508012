// D3DXCreateTextureFromFileA: finds the file as Windows would, decodes it with stb_image (BMP,
// PNG, TGA, JPG and the other formats stb reads) in the worker process, so that a hostile image
// fails the load rather than the program, and fills a texture of the device with it, its mip
// chain included, through the texture's locks. On any failure the output is left untouched, as
// D3DX leaves it.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/portable/call_recorder.h"
#include "platform/portable/child_process.h"
#include "platform/portable/frame_rate.h"
#include "platform/portable/d3dx9/d3dx9.h"
#include "platform/portable/d3dx9/texture_decode.h"
#include "platform/portable/windows_path.h"

namespace {

// Larger image files than this are refused before decoding.
constexpr std::size_t kMaxTextureFileBytes = 256u << 20;
constexpr int kDecodeTimeoutMs = 60000;

// A level from the one above it (both A8R8G8B8), each texel the mean of the two by two above it,
// as D3DX's default box filter makes the chain. Sides are powers of two: a side of 1 stays 1.
void BoxFilter(const D3DLOCKED_RECT& above, int aboveWidth, int aboveHeight,
               const D3DLOCKED_RECT& level, int width, int height)
{
    const int right = aboveWidth > 1 ? 4 : 0;
    const int down = aboveHeight > 1 ? above.Pitch : 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row0 = static_cast<const std::uint8_t*>(above.pBits) + 2 * y * down;
        const std::uint8_t* row1 = row0 + down;
        std::uint8_t* target = static_cast<std::uint8_t*>(level.pBits) + y * level.Pitch;
        for (int x = 0; x < width; ++x, row0 += 2 * right, row1 += 2 * right, target += 4)
            for (int c = 0; c < 4; ++c)
                target[c] = static_cast<std::uint8_t>(
                    (row0[c] + row0[right + c] + row1[c] + row1[right + c] + 2) / 4);
    }
}

// Level 0 from the decoded RGBA image, turned to A8R8G8B8's B, G, R, A, and each level below
// from the one above it, which stays locked until the level below is written.
HRESULT FillLevels(IDirect3DTexture9* texture, const std::uint8_t* rgba, int width, int height)
{
    D3DLOCKED_RECT above{};
    HRESULT result = texture->LockRect(0, &above, nullptr, 0);
    if (FAILED(result)) return result;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = rgba + static_cast<std::size_t>(y) * width * 4u;
        std::uint8_t* out = static_cast<std::uint8_t*>(above.pBits) + y * above.Pitch;
        for (int x = 0; x < width * 4; x += 4) {
            out[x] = in[x + 2];
            out[x + 1] = in[x + 1];
            out[x + 2] = in[x];
            out[x + 3] = in[x + 3];
        }
    }
    int aboveWidth = width, aboveHeight = height;
    for (DWORD index = 1; index < texture->GetLevelCount() && SUCCEEDED(result); ++index) {
        const int levelWidth = std::max(aboveWidth / 2, 1);
        const int levelHeight = std::max(aboveHeight / 2, 1);
        D3DLOCKED_RECT level{};
        result = texture->LockRect(index, &level, nullptr, 0);
        if (SUCCEEDED(result)) BoxFilter(above, aboveWidth, aboveHeight, level, levelWidth,
                                         levelHeight);
        const HRESULT unlocked = texture->UnlockRect(index - 1);
        if (FAILED(result)) return result;
        result = unlocked;
        above = level;
        aboveWidth = levelWidth;
        aboveHeight = levelHeight;
    }
    if (FAILED(result)) return result;
    return texture->UnlockRect(texture->GetLevelCount() - 1);
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

    const RecorderMute mute;
    D3DCAPS9 caps{};
    if (FAILED(pDevice->GetDeviceCaps(&caps))) return D3DERR_NOTAVAILABLE;
    const int maxSide =
        static_cast<int>(std::min<DWORD>({caps.MaxTextureWidth, caps.MaxTextureHeight, 1u << 30}));
    std::vector<std::uint8_t> image;
    const std::size_t maxBytes = 8u + static_cast<std::size_t>(kMaxTexturePixels) * 4u;
    int width = 0, height = 0;
    // The worker's answer is checked, not trusted: sides within limits and the pixels all there.
    if (!RunInWorker(DecodeTexture, maxSide, data, image, kDecodeTimeoutMs, maxBytes) ||
        !CheckTextureAnswer(image, maxSide, width, height))
        return D3DXERR_INVALIDDATA;

    IDirect3DTexture9* texture = nullptr;
    HRESULT result = pDevice->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height),
                                            0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                            nullptr);
    if (SUCCEEDED(result)) result = FillLevels(texture, image.data() + 8, width, height);
    if (FAILED(result)) {
        if (texture) texture->Release();
        return result;
    }
    NameRecordedObject(texture, pSrcFile);
    *ppTexture = texture;
    MarkStartupStep("texture");
    return D3D_OK;
}
