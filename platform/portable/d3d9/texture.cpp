// Textures of the portable device: one RGBA8 GL texture each, point sampled and wrapped as
// Direct3D's sampler defaults are. A texture holds a reference on its device.
#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/internal.h"

namespace d3d9 {

Texture* Texture::Create(Device* device, const std::uint8_t* rgba, int width, int height,
                         const char* name)
{
    if (!device->MakeCurrent()) return nullptr;
    Texture* texture = new Texture;
    texture->device_ = device;
    device->AddRef();
    texture->width_ = width;
    texture->height_ = height;
    texture->sourceName_ = name;
    glGenTextures(1, &texture->texture_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture->texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
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

// D3DX builds the whole chain down to 1 by 1; the count is what a caller would see.
DWORD Texture::GetLevelCount()
{
    DWORD levels = 1;
    for (int size = width_ > height_ ? width_ : height_; size > 1; size /= 2) ++levels;
    return levels;
}

}  // namespace d3d9
