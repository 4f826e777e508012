// The device's indexed draws: vertex and index buffers made and set, the vertex format laid out
// for the fixed-function program, and each triangle list drawn without the runs of 64 faces whose
// bounds lie wholly outside the view. That culling serves every draw: the software rasteriser
// would otherwise light and clip every vertex of the course each frame, most of it behind or
// beside the camera.
#include <cmath>
#include <cstring>

#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/internal.h"

namespace d3d9 {
namespace {

// Faces are bounded, and left out, in runs of this many, in index order: a course lays its faces
// out along the road, so a run covers one stretch of it.
constexpr std::uint32_t kFacesPerRun = 64;

constexpr DWORD kDrawableFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The bytes of one vertex of a format SetFVF takes, in Direct3D's order: position, normal,
// diffuse colour, texture coordinates.
UINT VertexSize(DWORD fvf)
{
    return 12 + (fvf & D3DFVF_NORMAL ? 12 : 0) + (fvf & D3DFVF_DIFFUSE ? 4 : 0) +
           (fvf & D3DFVF_TEX1 ? 8 : 0);
}

const char* PoolName(D3DPOOL pool)
{
    switch (pool) {
    case D3DPOOL_DEFAULT: return "D3DPOOL_DEFAULT";
    case D3DPOOL_MANAGED: return "D3DPOOL_MANAGED";
    case D3DPOOL_SYSTEMMEM: return "D3DPOOL_SYSTEMMEM";
    case D3DPOOL_SCRATCH: return "D3DPOOL_SCRATCH";
    default: return "other";
    }
}

}  // namespace

void BuildCulledDraw(const std::uint8_t* vertices, std::size_t vertexBytes, UINT vertexSize,
                     const std::uint8_t* indices, UINT indexSize, CulledDraw& draw)
{
    draw.indicesValid = true;
    const std::uint32_t first = draw.startIndex, end = first + draw.primCount * 3;
    for (std::uint32_t start = first; start < end; start += kFacesPerRun * 3) {
        FaceRun run{{0, 0, 0}, {0, 0, 0}, start, std::min(kFacesPerRun * 3, end - start)};
        for (std::uint32_t i = start; i < start + run.indexCount; ++i) {
            std::uint32_t index = 0;
            if (indexSize == 2) {
                std::uint16_t small = 0;
                std::memcpy(&small, indices + std::size_t{i} * 2, 2);
                index = small;
            } else {
                std::memcpy(&index, indices + std::size_t{i} * 4, 4);
            }
            const std::int64_t vertex = std::int64_t{draw.baseVertex} + index;
            if (vertex < 0 ||
                vertex * draw.stride + vertexSize > static_cast<std::int64_t>(vertexBytes)) {
                draw.indicesValid = false;
                return;
            }
            float p[3];
            std::memcpy(p, vertices + vertex * draw.stride, sizeof p);
            for (int k = 0; k < 3; ++k) {
                run.lower[k] = i == start ? p[k] : std::min(run.lower[k], p[k]);
                run.upper[k] = i == start ? p[k] : std::max(run.upper[k], p[k]);
            }
        }
        draw.runs.push_back(run);
    }
    draw.drawCounts.resize(draw.runs.size());
    draw.drawOffsets.resize(draw.runs.size());
}

bool ViewVolume::MayShow(const float lower[3], const float upper[3]) const
{
    const D3DMATRIX& m = clip;
    // Bit k of `beyond`: the corner lies beyond plane k. The box is hidden when one bit is
    // common to all eight corners. A NaN compares false and keeps the box.
    unsigned common = 0x3f;
    for (int corner = 0; corner < 8 && common != 0; ++corner) {
        const float x = corner & 1 ? upper[0] : lower[0];
        const float y = corner & 2 ? upper[1] : lower[1];
        const float z = corner & 4 ? upper[2] : lower[2];
        const float w = x * m._14 + y * m._24 + z * m._34 + m._44;
        const float cx = x * m._11 + y * m._21 + z * m._31 + m._41 + shiftX * w;
        const float cy = x * m._12 + y * m._22 + z * m._32 + m._42 + shiftY * w;
        const float cz = x * m._13 + y * m._23 + z * m._33 + m._43;
        // Clearly beyond: rounding in the shader's own arithmetic cannot bring it back.
        const float margin = 1e-4f * (std::fabs(cx) + std::fabs(cy) + std::fabs(cz) + std::fabs(w));
        unsigned beyond = 0;
        if (cx - w > margin) beyond |= 1u;
        if (-cx - w > margin) beyond |= 2u;
        if (cy - w > margin) beyond |= 4u;
        if (-cy - w > margin) beyond |= 8u;
        if (-cz > margin) beyond |= 16u;    // Direct3D's near plane: z >= 0
        if (cz - w > margin) beyond |= 32u;
        common &= beyond;
    }
    return common == 0;
}

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle)
{
    RecordCall("CreateVertexBuffer(%u, 0x%x, 0x%x, %s)", Length, Usage, FVF, PoolName(Pool));
    if (!ppVertexBuffer || pSharedHandle || Length == 0) return D3DERR_INVALIDCALL;
    if (!MakeCurrent()) return D3DERR_DEVICELOST;
    *ppVertexBuffer = new VertexBuffer(this, Length);
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle)
{
    RecordCall("CreateIndexBuffer(%u, 0x%x, %s, %s)", Length, Usage,
               Format == D3DFMT_INDEX16   ? "D3DFMT_INDEX16"
               : Format == D3DFMT_INDEX32 ? "D3DFMT_INDEX32"
                                          : "other",
               PoolName(Pool));
    if (!ppIndexBuffer || pSharedHandle || Length == 0 ||
        (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    if (!MakeCurrent()) return D3DERR_DEVICELOST;
    *ppIndexBuffer = new IndexBuffer(this, Length, Format == D3DFMT_INDEX16);
    return D3D_OK;
}

// Only this device makes buffers, so every one passed in is one of its own.
HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                UINT OffsetInBytes, UINT Stride)
{
    RecordCall("SetStreamSource(%u, %s, %u, %u)", StreamNumber, pStreamData ? "buffer" : "NULL",
               OffsetInBytes, Stride);
    if (StreamNumber != 0) return D3DERR_INVALIDCALL;
    stream_ = static_cast<VertexBuffer*>(pStreamData);
    streamOffset_ = OffsetInBytes;
    streamStride_ = Stride;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* pIndexData)
{
    RecordCall("SetIndices(%s)", pIndexData ? "buffer" : "NULL");
    indices_ = static_cast<IndexBuffer*>(pIndexData);
    return D3D_OK;
}

HRESULT Device::SetFVF(DWORD FVF)
{
    RecordCall("SetFVF(0x%x)", FVF);
    if ((FVF & ~kDrawableFvf) != 0 || (FVF & D3DFVF_XYZ) == 0) return D3DERR_INVALIDCALL;
    fvf_ = FVF;
    return D3D_OK;
}

void Device::ForgetBuffer(const VertexBuffer* buffer)
{
    if (stream_ == buffer) stream_ = nullptr;
    if (laidOut_.vertices == buffer) laidOut_ = Layout{};
}

void Device::ForgetBuffer(const IndexBuffer* buffer)
{
    if (indices_ == buffer) indices_ = nullptr;
    if (laidOut_.indices == buffer) laidOut_ = Layout{};
}

void Device::BindStreamVertexArray()
{
    if (!streamVertexArray_) glGenVertexArrays(1, &streamVertexArray_);
    glBindVertexArray(streamVertexArray_);
    laidOut_ = Layout{};
}

// The program's attributes: 0 position, 1 normal, 2 texture coordinates, 3 the diffuse colour as
// a D3DCOLOR's bytes. What the format lacks reads as a constant: no normal (0, 0, 0), no
// coordinates (0, 0); without a colour the program's state leaves the vertex colour unread.
void Device::LayOutStream(INT baseVertex)
{
    const Layout wanted{stream_, indices_, streamOffset_, streamStride_, fvf_, baseVertex};
    if (laidOut_ == wanted && streamVertexArray_) {
        glBindVertexArray(streamVertexArray_);
        return;
    }
    BindStreamVertexArray();
    glBindBuffer(GL_ARRAY_BUFFER, stream_->Name());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_->Name());
    const auto stride = static_cast<GLsizei>(streamStride_);
    std::uintptr_t at = streamOffset_ + static_cast<std::intptr_t>(baseVertex) * streamStride_;
    const auto attribute = [&](GLuint index, GLint size, GLenum type, GLboolean normalise,
                               std::uintptr_t bytes) {
        glEnableVertexAttribArray(index);
        glVertexAttribPointer(index, size, type, normalise, stride,
                              reinterpret_cast<const void*>(at));
        at += bytes;
    };
    attribute(0, 3, GL_FLOAT, GL_FALSE, 12);
    if (fvf_ & D3DFVF_NORMAL) {
        attribute(1, 3, GL_FLOAT, GL_FALSE, 12);
    } else {
        glDisableVertexAttribArray(1);
        glVertexAttrib3f(1, 0, 0, 0);
    }
    if (fvf_ & D3DFVF_DIFFUSE) {
        attribute(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, 4);
    } else {
        glDisableVertexAttribArray(3);
    }
    if (fvf_ & D3DFVF_TEX1) {
        attribute(2, 2, GL_FLOAT, GL_FALSE, 8);
    } else {
        glDisableVertexAttribArray(2);
        glVertexAttrib2f(2, 0, 0);
    }
    laidOut_ = wanted;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                     UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                     UINT primCount)
{
    RecordCall("DrawIndexedPrimitive(%s, %d, %u, %u, %u, %u)",
               PrimitiveType == D3DPT_TRIANGLELIST ? "D3DPT_TRIANGLELIST" : "other",
               BaseVertexIndex, MinVertexIndex, NumVertices, startIndex, primCount);
    if (PrimitiveType != D3DPT_TRIANGLELIST || !stream_ || !indices_ || fvf_ == 0 ||
        primCount == 0 || streamStride_ < VertexSize(fvf_))
        return D3DERR_INVALIDCALL;
    const std::uint64_t indexCount = indices_->Size() / indices_->IndexSize();
    if (std::uint64_t{startIndex} + std::uint64_t{primCount} * 3 > indexCount ||
        std::int64_t{streamOffset_} + std::int64_t{BaseVertexIndex} * streamStride_ < 0)
        return D3DERR_INVALIDCALL;
    CulledDraw& draw = indices_->DrawOf(*stream_, streamOffset_, streamStride_, fvf_,
                                        VertexSize(fvf_), BaseVertexIndex, startIndex, primCount);
    if (!draw.indicesValid) return D3DERR_INVALIDCALL;

    // Neighbouring runs that show are drawn as one.
    const ViewVolume view = CurrentViewVolume();
    const UINT indexSize = indices_->IndexSize();
    GLsizei runs = 0;
    std::uint32_t runEnd = 0;
    for (const FaceRun& run : draw.runs) {
        if (!view.MayShow(run.lower, run.upper)) continue;
        if (runs > 0 && run.firstIndex == runEnd) {
            draw.drawCounts[static_cast<std::size_t>(runs - 1)] +=
                static_cast<GLsizei>(run.indexCount);
        } else {
            draw.drawCounts[static_cast<std::size_t>(runs)] = static_cast<GLsizei>(run.indexCount);
            draw.drawOffsets[static_cast<std::size_t>(runs)] = reinterpret_cast<const void*>(
                static_cast<std::uintptr_t>(run.firstIndex) * indexSize);
            ++runs;
        }
        runEnd = run.firstIndex + run.indexCount;
    }
    if (runs == 0) return D3D_OK;
    if (!MakeCurrent() || !stream_->EnsureUploaded() || !indices_->EnsureUploaded())
        return D3DERR_DEVICELOST;

    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    glViewport(0, 0, backWidth_, backHeight_);
    glDisable(GL_BLEND);
    if (renderStates_[D3DRS_ZENABLE] != D3DZB_FALSE && backDepth_) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    // The picture keeps Direct3D's orientation on screen, so Direct3D's clockwise front faces
    // are clockwise here too.
    const DWORD cull = renderStates_[D3DRS_CULLMODE];
    if (cull == D3DCULL_NONE) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(cull == D3DCULL_CW ? GL_CCW : GL_CW);
    }

    FixedFunctionProgram* program = FixedFunctionProgramFor(pipeline_, ProgramStateOfDraw());
    if (!program) return D3DERR_NOTAVAILABLE;
    glUseProgram(program->program);
    UploadFixedFunctionState(*program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture0_ ? texture0_->Name() : 0);
    LayOutStream(BaseVertexIndex);
    glMultiDrawElements(GL_TRIANGLES, draw.drawCounts.data(),
                        indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                        draw.drawOffsets.data(), runs);
    return D3D_OK;
}

}  // namespace d3d9
