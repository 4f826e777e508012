// Textures of the portable device: A8R8G8B8 levels kept in memory, as a managed texture's are,
// and level 0 as one RGBA8 GL texture, point sampled and wrapped as Direct3D's sampler defaults
// are. A texture holds a reference on its device.
#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/internal.h"

namespace d3d9 {

// Levels 0 asks for the whole chain down to 1 by 1.
Texture* Texture::Create(Device* device, UINT width, UINT height, UINT levels)
{
    if (!device->MakeCurrent()) return nullptr;
    UINT chain = 1;
    for (UINT side = width > height ? width : height; side > 1; side /= 2) ++chain;
    if (levels == 0 || levels > chain) levels = chain;
    Texture* texture = new Texture;
    texture->device_ = device;
    device->AddRef();
    texture->width_ = width;
    texture->height_ = height;
    texture->levels_.resize(levels);
    for (UINT level = 0; level < levels; ++level)
        texture->levels_[level].assign(
            static_cast<std::size_t>(texture->Width(level)) * texture->Height(level) * 4u, 0);
    texture->locked_.assign(levels, false);
    glGenTextures(1, &texture->texture_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture->texture_);
    // Direct3D samples with point filtering and no mip filter unless told otherwise, so only the
    // full-size level is ever read.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    return texture;
}

Texture::~Texture()
{
    ForgetRecordedObject(this);
    device_->ForgetTexture(this);
    if (device_->MakeCurrent()) glDeleteTextures(1, &texture_);
    device_->DropReference();
}

ULONG Texture::AddRef() { return ++references_; }

ULONG Texture::Release()
{
    RecordCall("Release(IDirect3DTexture9)");
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT Texture::GetDevice(IDirect3DDevice9** ppDevice)
{
    if (!ppDevice) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *ppDevice = device_;
    return D3D_OK;
}

DWORD Texture::GetLevelCount() { return static_cast<DWORD>(levels_.size()); }

// Whole levels only; each level is locked once at a time.
HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    RecordCall("LockRect(%u, %s, 0x%x)", Level, pRect ? "rect" : "NULL", Flags);
    if (!pLockedRect || pRect || Level >= levels_.size() || locked_[Level])
        return D3DERR_INVALIDCALL;
    locked_[Level] = true;
    pLockedRect->Pitch = static_cast<INT>(Width(Level) * 4);
    pLockedRect->pBits = levels_[Level].data();
    return D3D_OK;
}

// Level 0 goes to the GPU as it lies in memory, B, G, R, A, stored as GL's R, G, B, A: a plain
// copy for GL, WebGL 2 included, which the fixed-function program turns back as it samples.
HRESULT Texture::UnlockRect(UINT Level)
{
    RecordCall("UnlockRect(%u)", Level);
    if (Level >= levels_.size() || !locked_[Level]) return D3DERR_INVALIDCALL;
    locked_[Level] = false;
    if (Level != 0) return D3D_OK;
    if (!device_->MakeCurrent()) return D3DERR_DEVICELOST;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(width_),
                 static_cast<GLsizei>(height_), 0, GL_RGBA, GL_UNSIGNED_BYTE, levels_[0].data());
    return D3D_OK;
}

}  // namespace d3d9
