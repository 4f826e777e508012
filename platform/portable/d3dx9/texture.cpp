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

// The level below `above` (A8R8G8B8, its rows `abovePitch` bytes apart), each texel the mean of
// the two by two above it, as D3DX's default box filter makes the chain.
void BoxFilter(const std::uint8_t* above, int aboveWidth, int aboveHeight, int abovePitch,
               std::uint8_t* out, int width, int height, int pitch)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                const int x1 = std::min(2 * x + 1, aboveWidth - 1);
                const int y1 = std::min(2 * y + 1, aboveHeight - 1);
                const std::uint8_t* row0 = above + 2 * y * abovePitch;
                const std::uint8_t* row1 = above + y1 * abovePitch;
                const int sum = row0[2 * x * 4 + c] + row0[x1 * 4 + c] + row1[2 * x * 4 + c] +
                                row1[x1 * 4 + c];
                out[y * pitch + x * 4 + c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
}

// Level 0 from the decoded RGBA image, each level below from the one above it.
HRESULT FillLevels(IDirect3DTexture9* texture, const std::uint8_t* rgba, int width, int height)
{
    std::vector<std::uint8_t> above;
    int aboveWidth = width, aboveHeight = height;
    for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {
        D3DLOCKED_RECT rect{};
        HRESULT result = texture->LockRect(level, &rect, nullptr, 0);
        if (FAILED(result)) return result;
        auto* bits = static_cast<std::uint8_t*>(rect.pBits);
        const int levelWidth = std::max(width >> level, 1);
        const int levelHeight = std::max(height >> level, 1);
        if (level == 0) {
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint8_t* in = rgba + (static_cast<std::size_t>(y) * width + x) * 4;
                    std::uint8_t* out = bits + y * rect.Pitch + x * 4;
                    out[0] = in[2], out[1] = in[1], out[2] = in[0], out[3] = in[3];
                }
        } else {
            BoxFilter(above.data(), aboveWidth, aboveHeight, aboveWidth * 4, bits, levelWidth,
                      levelHeight, rect.Pitch);
        }
        // Kept for the next level, packed.
        above.resize(static_cast<std::size_t>(levelWidth) * levelHeight * 4u);
        for (int y = 0; y < levelHeight; ++y)
            std::copy_n(bits + y * rect.Pitch, levelWidth * 4, above.data() + y * levelWidth * 4);
        aboveWidth = levelWidth;
        aboveHeight = levelHeight;
        result = texture->UnlockRect(level);
        if (FAILED(result)) return result;
    }
    return D3D_OK;
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
