// D3DXLoadMeshFromXA with D3DX's result: one mesh whose subset i is exactly the faces of
// material i, the materials in file order in a D3DXMATERIAL buffer, D3DX's default material when
// the file has none, and nothing written when the load fails. A client of Direct3D 9 as D3DX is:
// the mesh lives in a vertex and an index buffer of the device, filled once through their locks,
// and DrawSubset draws a subset's faces with one DrawIndexedPrimitive.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/portable/call_recorder.h"
#include "platform/portable/frame_rate.h"
#include "platform/portable/d3dx9/d3dx9.h"
#include "platform/portable/d3dx9/xfile.h"
#ifndef _WIN32
#include "platform/portable/d3dx9/xfile_read_ahead.h"
#endif
#include "platform/portable/windows_path.h"

namespace {

// Larger X files than this are refused before parsing.
constexpr std::size_t kMaxMeshFileBytes = 256u << 20;

// What the reference returns for a file that is not an X file at all: the X-file parser's
// DXFILEERR_BADFILETYPE. A file that starts as an X file but does not parse gives E_FAIL.
constexpr HRESULT kNotAnXFile = static_cast<HRESULT>(0x8876035Du);

class Buffer final : public ID3DXBuffer {
public:
    explicit Buffer(std::size_t size) : data_(size) {}
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        RecordCall("Release(ID3DXBuffer)");
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    LPVOID GetBufferPointer() override
    {
        RecordCall("GetBufferPointer()");
        return data_.data();
    }
    std::uint8_t* Data() { return data_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(data_.size()); }

private:
    ~Buffer() = default;
    ULONG references_ = 1;
    std::vector<std::uint8_t> data_;
};

// A subset's draw: its faces as a range of the index buffer, and the vertices they use.
struct SubsetDraw {
    UINT startIndex, primCount;
    UINT minVertex, vertexCount;
};

class Mesh final : public ID3DXMesh {
public:
    Mesh(IDirect3DDevice9* device, IDirect3DVertexBuffer9* vertices,
         IDirect3DIndexBuffer9* indices, DWORD fvf, UINT stride, const XFileMesh& mesh)
        : device_(device), vertices_(vertices), indices_(indices), fvf_(fvf), stride_(stride),
          subsets_(mesh.subsets), vertexCount_(static_cast<DWORD>(mesh.vertices.size())),
          faceCount_(static_cast<DWORD>(mesh.indices.size() / 3))
    {
        device_->AddRef();
        for (const XFileSubset& subset : subsets_) {
            SubsetDraw draw{subset.firstIndex, subset.indexCount / 3, 0, 0};
            if (subset.indexCount > 0) {
                const auto first = mesh.indices.begin() + subset.firstIndex;
                const auto [low, high] = std::minmax_element(first, first + subset.indexCount);
                draw.minVertex = *low;
                draw.vertexCount = *high - *low + 1;
            }
            draws_.push_back(draw);
        }
    }

    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        RecordCall("Release(ID3DXMesh)");
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // One draw of the subset's faces, as D3DX issues it; the device leaves out the runs of them
    // that the view cannot show. A subset without faces, or past the last material, draws
    // nothing and succeeds, as in D3DX.
    HRESULT DrawSubset(DWORD AttribId) override
    {
        RecordCall("DrawSubset(%u)", static_cast<unsigned>(AttribId));
        if (AttribId >= draws_.size() || draws_[AttribId].primCount == 0) return D3D_OK;
        const SubsetDraw& draw = draws_[AttribId];
        const RecorderMute mute;
        device_->SetFVF(fvf_);
        device_->SetStreamSource(0, vertices_, 0, stride_);
        device_->SetIndices(indices_);
        return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, draw.minVertex,
                                             draw.vertexCount, draw.startIndex, draw.primCount);
    }
    DWORD GetNumFaces() override { return faceCount_; }
    DWORD GetNumVertices() override { return vertexCount_; }

    // The faces lie grouped by subset in the index buffer, so each face's subset follows from
    // the subsets' index ranges. Only reading is offered: the grouping is fixed at load.
    HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) override
    {
        if (!ppData || (Flags & D3DLOCK_READONLY) == 0 || attributesLocked_)
            return D3DERR_INVALIDCALL;
        attributesLocked_ = true;
        attributes_.assign(faceCount_, 0);
        for (std::size_t subset = 0; subset < subsets_.size(); ++subset) {
            const std::uint32_t first = subsets_[subset].firstIndex / 3;
            const std::uint32_t count = subsets_[subset].indexCount / 3;
            for (std::uint32_t face = first; face < first + count && face < faceCount_; ++face)
                attributes_[face] = static_cast<DWORD>(subset);
        }
        *ppData = attributes_.data();
        return D3D_OK;
    }
    HRESULT UnlockAttributeBuffer() override
    {
        if (!attributesLocked_) return D3DERR_INVALIDCALL;
        attributesLocked_ = false;
        attributes_.clear();
        attributes_.shrink_to_fit();
        return D3D_OK;
    }

private:
    ~Mesh()
    {
        const RecorderMute mute;
        vertices_->Release();
        indices_->Release();
        device_->Release();
    }

    ULONG references_ = 1;
    IDirect3DDevice9* device_;
    IDirect3DVertexBuffer9* vertices_;
    IDirect3DIndexBuffer9* indices_;
    DWORD fvf_;
    UINT stride_;
    std::vector<XFileSubset> subsets_;
    std::vector<SubsetDraw> draws_;
    DWORD vertexCount_, faceCount_;
    std::vector<DWORD> attributes_;   // while the attribute buffer is locked
    bool attributesLocked_ = false;
};

D3DPOOL PoolOf(DWORD options, DWORD systemMemory, DWORD managed)
{
    return options & systemMemory ? D3DPOOL_SYSTEMMEM
           : options & managed    ? D3DPOOL_MANAGED
                                  : D3DPOOL_DEFAULT;
}

// The vertices in the mesh's format: position, normal, the diffuse colour when the file gives
// vertex colours, texture coordinates. Every vertex of a mesh that lists colours has one (the
// reader makes unlisted ones white); in a file of several meshes, the vertices of a mesh without
// colours are 0, black and clear, as D3DX leaves them (diffuse lighting then gives nothing).
HRESULT FillVertices(IDirect3DVertexBuffer9* buffer, const XFileMesh& mesh, bool coloured)
{
    void* locked = nullptr;
    const HRESULT result = buffer->Lock(0, 0, &locked, 0);
    if (FAILED(result)) return result;
    auto* out = static_cast<std::uint8_t*>(locked);
    for (const XFileVertex& v : mesh.vertices) {
        std::memcpy(out, v.position, 12);
        std::memcpy(out + 12, v.normal, 12);
        out += 24;
        if (coloured) {
            const D3DCOLOR colour =
                v.hasColor ? D3DCOLOR_ARGB(v.color[3], v.color[0], v.color[1], v.color[2])
                           : 0u;
            std::memcpy(out, &colour, 4);
            out += 4;
        }
        std::memcpy(out, v.texCoord, 8);
        out += 8;
    }
    return buffer->Unlock();
}

// 16-bit indices where they reach every vertex, as D3DX makes them unless asked for 32.
HRESULT FillIndices(IDirect3DIndexBuffer9* buffer, const XFileMesh& mesh, bool sixteenBits)
{
    void* locked = nullptr;
    const HRESULT result = buffer->Lock(0, 0, &locked, 0);
    if (FAILED(result)) return result;
    if (sixteenBits) {
        auto* out = static_cast<std::uint16_t*>(locked);
        for (std::uint32_t index : mesh.indices) *out++ = static_cast<std::uint16_t>(index);
    } else {
        std::memcpy(locked, mesh.indices.data(), mesh.indices.size() * 4);
    }
    return buffer->Unlock();
}

// The mesh's buffers, made and filled through the device's interface.
HRESULT MakeMesh(IDirect3DDevice9* device, DWORD options, const XFileMesh& mesh, Mesh** made)
{
    const bool coloured = std::any_of(mesh.vertices.begin(), mesh.vertices.end(),
                                      [](const XFileVertex& v) { return v.hasColor != 0; });
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1 | (coloured ? D3DFVF_DIFFUSE : 0);
    const UINT stride = coloured ? 36 : 32;
    const bool sixteenBits =
        (options & D3DXMESH_32BIT) == 0 && mesh.vertices.size() <= 0x10000u;
    const std::uint64_t vertexBytes = std::uint64_t{stride} * mesh.vertices.size();
    const std::uint64_t indexBytes = std::uint64_t{sixteenBits ? 2u : 4u} * mesh.indices.size();
    if (vertexBytes > 0xffffffffu || indexBytes > 0xffffffffu) return E_OUTOFMEMORY;

    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    HRESULT result = device->CreateVertexBuffer(
        static_cast<UINT>(vertexBytes), 0, fvf,
        PoolOf(options, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), &vertices, nullptr);
    if (SUCCEEDED(result))
        result = device->CreateIndexBuffer(
            static_cast<UINT>(indexBytes), 0, sixteenBits ? D3DFMT_INDEX16 : D3DFMT_INDEX32,
            PoolOf(options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED), &indices, nullptr);
    if (SUCCEEDED(result)) result = FillVertices(vertices, mesh, coloured);
    if (SUCCEEDED(result)) result = FillIndices(indices, mesh, sixteenBits);
    if (FAILED(result)) {
        if (vertices) vertices->Release();
        if (indices) indices->Release();
        return result;
    }
    *made = new Mesh(device, vertices, indices, fvf, stride, mesh);
    return D3D_OK;
}

// One buffer as D3DX lays it out: the D3DXMATERIAL array, then the texture names it points to.
Buffer* MakeMaterialBuffer(const std::vector<XFileMaterial>& materials)
{
    const std::size_t count = materials.size();
    std::size_t size = count * sizeof(D3DXMATERIAL);
    for (const XFileMaterial& m : materials)
        if (m.hasTexture) size += m.textureName.size() + 1;
    auto* buffer = new Buffer(size);
    std::uint8_t* base = buffer->Data();
    char* strings = reinterpret_cast<char*>(base + count * sizeof(D3DXMATERIAL));
    for (std::size_t i = 0; i < count; ++i) {
        D3DXMATERIAL material{};
        material.MatD3D = materials[i].material;
        if (materials[i].hasTexture) {
            const std::string& name = materials[i].textureName;
            std::memcpy(strings, name.c_str(), name.size() + 1);
            material.pTextureFilename = strings;
            strings += name.size() + 1;
        }
        std::memcpy(base + i * sizeof(D3DXMATERIAL), &material, sizeof material);
    }
    return buffer;
}

}  // namespace

HRESULT WINAPI D3DXLoadMeshFromXA(LPCSTR pFilename, DWORD Options, LPDIRECT3DDEVICE9 pD3DDevice,
                                  LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials,
                                  LPD3DXBUFFER* ppEffectInstances, DWORD* pNumMaterials,
                                  LPD3DXMESH* ppMesh)
{
    RecordCall("D3DXLoadMeshFromXA(\"%s\", 0x%x)", pFilename ? pFilename : "NULL",
               static_cast<unsigned>(Options));
    if (!pFilename || !pD3DDevice || !ppMesh) return D3DERR_INVALIDCALL;
    if (ppAdjacency || ppEffectInstances) return E_NOTIMPL;

    const std::string path = FindFileAsWindows(pFilename);
    std::vector<std::uint8_t> data;
    if (path.empty() || !ReadWholeFile(path, kMaxMeshFileBytes, data))
        return D3DXERR_INVALIDDATA;
    // Only X files: Assimp would read other formats too, D3DX does not.
    if (data.size() < 16 || std::memcmp(data.data(), "xof ", 4) != 0) return kNotAnXFile;

    XFileMesh mesh;
    HRESULT parsed = S_OK;
#ifdef _WIN32
    // The Windows build reads nothing ahead (its toolchain has no std::thread): each load parses
    // its own file.
    parsed = ReadXFile(data, mesh);
#else
    if (!TakeXFileReadAhead(data, parsed, mesh)) parsed = ReadXFile(data, mesh);
#endif
    if (FAILED(parsed)) return parsed;

    Mesh* made = nullptr;
    {
        const RecorderMute mute;
        const HRESULT result = MakeMesh(pD3DDevice, Options, mesh, &made);
        if (FAILED(result)) return result;
    }
    *ppMesh = made;
    if (ppMaterials) *ppMaterials = MakeMaterialBuffer(mesh.materials);
    if (pNumMaterials) *pNumMaterials = static_cast<DWORD>(mesh.materials.size());
    MarkStartupStep(pFilename);
    return D3D_OK;
}
