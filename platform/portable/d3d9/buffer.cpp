// Vertex and index buffers of the portable device: each keeps its bytes in memory, where locks
// write and the device bounds the faces of its draws, and a GL buffer that an unlock after
// writing brings up to date. A buffer holds a reference on its device.
#include <algorithm>
#include <cstring>

#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/internal.h"

namespace d3d9 {
namespace {

// An index buffer keeps the face runs of this many different draws; a client that draws ever new
// ranges starts the list afresh rather than growing it without end.
constexpr std::size_t kMaxCulledDraws = 64;

// Generations are counted over every buffer of the process: a buffer made where a released one
// was never matches what was derived from the old one.
unsigned lastGeneration = 0;

}  // namespace

Buffer::Buffer(Device* device, GLenum target, UINT length)
    : device_(device), target_(target), data_(length), generation_(++lastGeneration)
{
    device_->AddRef();
    glGenBuffers(1, &buffer_);
}

Buffer::~Buffer()
{
    if (device_->MakeCurrent()) glDeleteBuffers(1, &buffer_);
    device_->DropReference();
}

// A size of 0 locks from the offset to the end, as in Direct3D. One lock at a time.
HRESULT Buffer::LockBytes(UINT offset, UINT size, void** data, DWORD flags)
{
    if (!data) return D3DERR_INVALIDCALL;
    if (size == 0 && offset <= data_.size()) size = static_cast<UINT>(data_.size() - offset);
    if (locked_ || offset > data_.size() || size > data_.size() - offset)
        return D3DERR_INVALIDCALL;
    locked_ = true;
    lockFlags_ = flags;
    lockOffset_ = offset;
    lockSize_ = size;
    *data = data_.data() + offset;
    return D3D_OK;
}

HRESULT Buffer::UnlockBytes()
{
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (lockFlags_ & D3DLOCK_READONLY) return D3D_OK;
    generation_ = ++lastGeneration;
    return Upload(lockOffset_, lockSize_) ? D3D_OK : D3DERR_DEVICELOST;
}

// The first upload sends the whole buffer, which gives the GL buffer its storage; later ones send
// what was written.
bool Buffer::Upload(UINT offset, UINT size)
{
    if (!device_->MakeCurrent()) return false;
    // Index data is bound through the device's vertex array (see BindStreamVertexArray).
    if (target_ == GL_ELEMENT_ARRAY_BUFFER) device_->BindStreamVertexArray();
    glBindBuffer(target_, buffer_);
    if (!uploaded_) {
        glBufferData(target_, static_cast<GLsizeiptr>(data_.size()), data_.data(),
                     GL_STATIC_DRAW);
        uploaded_ = true;
    } else if (size > 0) {
        glBufferSubData(target_, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(size),
                        data_.data() + offset);
    }
    return true;
}

VertexBuffer::~VertexBuffer() { device_->ForgetBuffer(this); }

ULONG VertexBuffer::Release()
{
    RecordCall("Release(IDirect3DVertexBuffer9)");
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT VertexBuffer::GetDevice(IDirect3DDevice9** ppDevice)
{
    if (!ppDevice) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *ppDevice = device_;
    return D3D_OK;
}

HRESULT VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags)
{
    RecordCall("Lock(IDirect3DVertexBuffer9, %u, %u, 0x%x)", OffsetToLock, SizeToLock, Flags);
    return LockBytes(OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT VertexBuffer::Unlock()
{
    RecordCall("Unlock(IDirect3DVertexBuffer9)");
    return UnlockBytes();
}

IndexBuffer::~IndexBuffer() { device_->ForgetBuffer(this); }

ULONG IndexBuffer::Release()
{
    RecordCall("Release(IDirect3DIndexBuffer9)");
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT IndexBuffer::GetDevice(IDirect3DDevice9** ppDevice)
{
    if (!ppDevice) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *ppDevice = device_;
    return D3D_OK;
}

HRESULT IndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags)
{
    RecordCall("Lock(IDirect3DIndexBuffer9, %u, %u, 0x%x)", OffsetToLock, SizeToLock, Flags);
    return LockBytes(OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT IndexBuffer::Unlock()
{
    RecordCall("Unlock(IDirect3DIndexBuffer9)");
    const bool written = locked_ && (lockFlags_ & D3DLOCK_READONLY) == 0;
    if (written) draws_.clear();
    return UnlockBytes();
}

CulledDraw& IndexBuffer::DrawOf(const VertexBuffer& vertices, UINT offset, UINT stride, DWORD fvf,
                                UINT vertexSize, INT baseVertex, UINT startIndex, UINT primCount)
{
    for (CulledDraw& draw : draws_)
        if (draw.vertices == &vertices && draw.vertexGeneration == vertices.Generation() &&
            draw.streamOffset == offset && draw.stride == stride && draw.fvf == fvf &&
            draw.baseVertex == baseVertex && draw.startIndex == startIndex &&
            draw.primCount == primCount)
            return draw;
    // Entries of a vertex buffer written since, or gone, are stale; so is everything when full.
    draws_.erase(std::remove_if(draws_.begin(), draws_.end(),
                                [&](const CulledDraw& d) {
                                    return d.vertices == &vertices &&
                                           d.vertexGeneration != vertices.Generation();
                                }),
                 draws_.end());
    if (draws_.size() >= kMaxCulledDraws) draws_.clear();
    CulledDraw draw{&vertices, vertices.Generation(), offset, stride, fvf, baseVertex,
                    startIndex, primCount, false, {}, {}, {}};
    // The stream as a draw reads it: vertex v at offset + (baseVertex + v) * stride.
    const std::uint8_t* first = vertices.Data() + offset;
    BuildCulledDraw(first, vertices.Size() - std::min<std::size_t>(offset, vertices.Size()),
                    vertexSize, Data(), indexSize_, draw);
    draws_.push_back(std::move(draw));
    return draws_.back();
}

}  // namespace d3d9
