// D3DXLoadMeshFromXA with D3DX's result: one mesh whose subset i is exactly the faces of
// material i, the materials in file order in a D3DXMATERIAL buffer, D3DX's default material when
// the file has none, and nothing written when the load fails. The vertex and index data go to
// the GPU once, here. DrawSubset draws a subset's faces in one call, leaving out the runs of
// faces whose bounds lie wholly outside the view: the software rasteriser would otherwise light
// and clip every vertex of the course each frame, most of it behind or beside the camera.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/portable/call_recorder.h"
#include "platform/portable/frame_rate.h"
#include "platform/portable/d3d9/internal.h"
#include "platform/portable/d3dx9/d3dx9.h"
#include "platform/portable/d3dx9/mesh_cache.h"
#include "platform/portable/d3dx9/xfile.h"
#include "platform/portable/windows_path.h"

namespace {

// Faces are bounded, and left out, in runs of this many, in file order: a generated course lays
// its faces out along the road, so a run covers one stretch of it.
constexpr std::uint32_t kFacesPerChunk = 64;

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

class Mesh final : public ID3DXMesh {
public:
    Mesh(d3d9::Device* device, const XFileMesh& mesh)
        : device_(device), subsets_(mesh.subsets),
          vertexCount_(static_cast<DWORD>(mesh.vertices.size())),
          faceCount_(static_cast<DWORD>(mesh.indices.size() / 3))
    {
        const std::vector<XFileVertex>& vertices = mesh.vertices;
        const std::vector<std::uint32_t>& indices = mesh.indices;
        device_->AddRef();
        glGenVertexArrays(1, &vertexArray_);
        glGenBuffers(1, &vertexBuffer_);
        glGenBuffers(1, &indexBuffer_);
        glBindVertexArray(vertexArray_);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(XFileVertex)),
                     vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                     indices.data(), GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(XFileVertex),
                              reinterpret_cast<const void*>(offsetof(XFileVertex, position)));
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(XFileVertex),
                              reinterpret_cast<const void*>(offsetof(XFileVertex, normal)));
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(XFileVertex),
                              reinterpret_cast<const void*>(offsetof(XFileVertex, texCoord)));
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(XFileVertex),
                              reinterpret_cast<const void*>(offsetof(XFileVertex, color)));
        glEnableVertexAttribArray(4);
        glVertexAttribPointer(4, 1, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(XFileVertex),
                              reinterpret_cast<const void*>(offsetof(XFileVertex, hasColor)));
        glBindVertexArray(0);
        BuildChunks(mesh);
    }

    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        RecordCall("Release(ID3DXMesh)");
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // A subset without faces, or past the last material, draws nothing and succeeds, as in D3DX.
    HRESULT DrawSubset(DWORD AttribId) override
    {
        RecordCall("DrawSubset(%u)", AttribId);
        if (AttribId >= subsets_.size()) return D3D_OK;
        const d3d9::ViewVolume view = device_->CurrentViewVolume();
        // Neighbouring chunks that show are drawn as one run.
        GLsizei runs = 0;
        std::uint32_t runEnd = 0;
        for (std::uint32_t c = firstChunk_[AttribId]; c < firstChunk_[AttribId + 1]; ++c) {
            const Chunk& chunk = chunks_[c];
            if (!view.MayShow(chunk.lower, chunk.upper)) continue;
            if (runs > 0 && chunk.firstIndex == runEnd) {
                runCounts_[static_cast<std::size_t>(runs - 1)] +=
                    static_cast<GLsizei>(chunk.indexCount);
            } else {
                runCounts_[static_cast<std::size_t>(runs)] = static_cast<GLsizei>(chunk.indexCount);
                runOffsets_[static_cast<std::size_t>(runs)] = reinterpret_cast<const void*>(
                    static_cast<std::uintptr_t>(chunk.firstIndex) * sizeof(std::uint32_t));
                ++runs;
            }
            runEnd = chunk.firstIndex + chunk.indexCount;
        }
        device_->DrawTriangleRuns(vertexArray_, runCounts_.data(), runOffsets_.data(), runs);
        return D3D_OK;
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
    // A run of a subset's faces and the model-space box around their corners.
    struct Chunk {
        float lower[3], upper[3];
        std::uint32_t firstIndex, indexCount;
    };

    // Chunks of each subset in turn; the run arrays are sized for the largest subset, so that
    // drawing allocates nothing.
    void BuildChunks(const XFileMesh& mesh)
    {
        std::size_t mostChunks = 0;
        for (const XFileSubset& subset : subsets_) {
            firstChunk_.push_back(static_cast<std::uint32_t>(chunks_.size()));
            const std::uint32_t end = subset.firstIndex + subset.indexCount;
            for (std::uint32_t first = subset.firstIndex; first < end;
                 first += kFacesPerChunk * 3) {
                Chunk chunk{{0, 0, 0}, {0, 0, 0}, first, std::min(kFacesPerChunk * 3, end - first)};
                for (std::uint32_t i = first; i < first + chunk.indexCount; ++i) {
                    const float* p = mesh.vertices[mesh.indices[i]].position;
                    for (int k = 0; k < 3; ++k) {
                        chunk.lower[k] = i == first ? p[k] : std::min(chunk.lower[k], p[k]);
                        chunk.upper[k] = i == first ? p[k] : std::max(chunk.upper[k], p[k]);
                    }
                }
                chunks_.push_back(chunk);
            }
            mostChunks = std::max<std::size_t>(mostChunks, chunks_.size() - firstChunk_.back());
        }
        firstChunk_.push_back(static_cast<std::uint32_t>(chunks_.size()));
        runCounts_.resize(mostChunks);
        runOffsets_.resize(mostChunks);
    }

    ~Mesh()
    {
        if (device_->MakeCurrent()) {
            glDeleteVertexArrays(1, &vertexArray_);
            glDeleteBuffers(1, &vertexBuffer_);
            glDeleteBuffers(1, &indexBuffer_);
        }
        device_->DropReference();
    }

    ULONG references_ = 1;
    d3d9::Device* device_;
    std::vector<XFileSubset> subsets_;
    DWORD vertexCount_, faceCount_;
    std::vector<DWORD> attributes_;   // while the attribute buffer is locked
    bool attributesLocked_ = false;
    GLuint vertexArray_ = 0, vertexBuffer_ = 0, indexBuffer_ = 0;
    std::vector<Chunk> chunks_;
    std::vector<std::uint32_t> firstChunk_;  // subset i's chunks: [firstChunk_[i], firstChunk_[i + 1])
    std::vector<GLsizei> runCounts_;
    std::vector<const void*> runOffsets_;
};

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
    RecordCall("D3DXLoadMeshFromXA(\"%s\", 0x%x)", pFilename ? pFilename : "NULL", Options);
    if (!pFilename || !pD3DDevice || !ppMesh) return D3DERR_INVALIDCALL;
    if (ppAdjacency || ppEffectInstances) return E_NOTIMPL;

    const std::string path = FindFileAsWindows(pFilename);
    std::vector<std::uint8_t> data;
    if (path.empty() || !ReadWholeFile(path, kMaxMeshFileBytes, data))
        return D3DXERR_INVALIDDATA;
    // Only X files: Assimp would read other formats too, D3DX does not.
    if (data.size() < 16 || std::memcmp(data.data(), "xof ", 4) != 0) return kNotAnXFile;

    XFileMesh mesh;
    if (!ReadCachedMesh(data, mesh)) {
        const HRESULT parsed = ReadXFile(data, mesh);
        if (FAILED(parsed)) return parsed;
        WriteCachedMesh(data, mesh);
    }

    auto* device = static_cast<d3d9::Device*>(pD3DDevice);
    if (!device->MakeCurrent()) return D3DERR_DEVICELOST;
    *ppMesh = new Mesh(device, mesh);
    if (ppMaterials) *ppMaterials = MakeMaterialBuffer(mesh.materials);
    if (pNumMaterials) *pNumMaterials = static_cast<DWORD>(mesh.materials.size());
    MarkStartupStep(pFilename);
    return D3D_OK;
}
