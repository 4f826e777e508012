// D3DXLoadMeshFromXA through Assimp, with D3DX's result: one mesh whose subset i is exactly the
// faces of material i, the materials in file order in a D3DXMATERIAL buffer, D3DX's default
// material when the file has none, and nothing written when the load fails. The vertex and index
// data go to the GPU once, here; DrawSubset only issues the draw.
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstring>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9_internal.h"
#include "platform/portable/d3dx9.h"
#include "platform/portable/windows_path.h"

namespace {

// Larger X files than this are refused before parsing.
constexpr std::size_t kMaxMeshFileBytes = 256u << 20;

// What the reference returns for a file that is not an X file at all: the X-file parser's
// DXFILEERR_BADFILETYPE. A file that starts as an X file but does not parse gives E_FAIL.
constexpr HRESULT kNotAnXFile = static_cast<HRESULT>(0x8876035Du);

struct Vertex {
    float position[3];
    float normal[3];
    float texCoord[2];
};

struct Subset {
    std::uint32_t firstIndex;
    std::uint32_t indexCount;
};

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
    Mesh(d3d9::Device* device, const std::vector<Vertex>& vertices,
         const std::vector<std::uint32_t>& indices, std::vector<Subset> subsets)
        : device_(device), subsets_(std::move(subsets)),
          vertexCount_(static_cast<DWORD>(vertices.size())),
          faceCount_(static_cast<DWORD>(indices.size() / 3))
    {
        device_->AddRef();
        glGenVertexArrays(1, &vertexArray_);
        glGenBuffers(1, &vertexBuffer_);
        glGenBuffers(1, &indexBuffer_);
        glBindVertexArray(vertexArray_);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)),
                     vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                     indices.data(), GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offsetof(Vertex, position)));
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offsetof(Vertex, normal)));
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offsetof(Vertex, texCoord)));
        glBindVertexArray(0);
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
        if (AttribId < subsets_.size())
            device_->DrawTriangles(vertexArray_, subsets_[AttribId].firstIndex,
                                   subsets_[AttribId].indexCount);
        return D3D_OK;
    }
    DWORD GetNumFaces() override { return faceCount_; }
    DWORD GetNumVertices() override { return vertexCount_; }

private:
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
    std::vector<Subset> subsets_;
    DWORD vertexCount_, faceCount_;
    GLuint vertexArray_ = 0, vertexBuffer_ = 0, indexBuffer_ = 0;
};

// The material as D3DX reads an X file's Material: faceColor is the diffuse colour, the power,
// the specular and emissive colours (alpha 1); no ambient colour (black, alpha 1). Assimp marks
// the material it adds for a mesh without a material list by giving it no name; D3DX's own
// default for that case is grey with no alpha and a grey specular.
D3DMATERIAL9 ConvertMaterial(const aiMaterial& source)
{
    D3DMATERIAL9 material{};
    aiString name;
    if (source.Get(AI_MATKEY_NAME, name) != AI_SUCCESS) {
        material.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        material.Specular = {0.5f, 0.5f, 0.5f, 0.0f};
        return material;
    }
    aiColor4D diffuse(0.0f, 0.0f, 0.0f, 1.0f);
    source.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    aiColor3D specular(0.0f, 0.0f, 0.0f), emissive(0.0f, 0.0f, 0.0f);
    source.Get(AI_MATKEY_COLOR_SPECULAR, specular);
    source.Get(AI_MATKEY_COLOR_EMISSIVE, emissive);
    float power = 0.0f;
    source.Get(AI_MATKEY_SHININESS, power);
    material.Diffuse = {diffuse.r, diffuse.g, diffuse.b, diffuse.a};
    material.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
    material.Specular = {specular.r, specular.g, specular.b, 1.0f};
    material.Emissive = {emissive.r, emissive.g, emissive.b, 1.0f};
    material.Power = power;
    return material;
}

// The texture name as the file gives it, or an empty string when the material has none.
std::string TextureName(const aiMaterial& source)
{
    aiString file;
    if (source.Get(AI_MATKEY_TEXTURE(aiTextureType_DIFFUSE, 0), file) != AI_SUCCESS) return "";
    return std::string(file.C_Str(), file.length);
}

// One buffer as D3DX lays it out: the D3DXMATERIAL array, then the texture names it points to.
Buffer* MakeMaterialBuffer(const aiScene& scene)
{
    const std::size_t count = scene.mNumMaterials;
    std::vector<std::string> names(count);
    std::size_t size = count * sizeof(D3DXMATERIAL);
    for (std::size_t i = 0; i < count; ++i) {
        names[i] = TextureName(*scene.mMaterials[i]);
        if (!names[i].empty()) size += names[i].size() + 1;
    }
    auto* buffer = new Buffer(size);
    std::uint8_t* base = buffer->Data();
    char* strings = reinterpret_cast<char*>(base + count * sizeof(D3DXMATERIAL));
    for (std::size_t i = 0; i < count; ++i) {
        D3DXMATERIAL material{};
        material.MatD3D = ConvertMaterial(*scene.mMaterials[i]);
        if (!names[i].empty()) {
            std::memcpy(strings, names[i].c_str(), names[i].size() + 1);
            material.pTextureFilename = strings;
            strings += names[i].size() + 1;
        }
        std::memcpy(base + i * sizeof(D3DXMATERIAL), &material, sizeof material);
    }
    return buffer;
}

// Gathers every triangle of material i, over all of Assimp's meshes, into subset i. Faces that
// are not triangles after triangulation (points, lines) or that index past their mesh's vertices
// are dropped; a file that would overflow 32-bit indices is refused.
bool BuildGeometry(const aiScene& scene, std::vector<Vertex>& vertices,
                   std::vector<std::uint32_t>& indices, std::vector<Subset>& subsets)
{
    subsets.assign(scene.mNumMaterials, Subset{0, 0});
    for (unsigned material = 0; material < scene.mNumMaterials; ++material) {
        subsets[material].firstIndex = static_cast<std::uint32_t>(indices.size());
        for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
            const aiMesh& mesh = *scene.mMeshes[m];
            if (mesh.mMaterialIndex != material || !mesh.mVertices) continue;
            if (vertices.size() + mesh.mNumVertices > std::numeric_limits<std::uint32_t>::max())
                return false;
            const auto base = static_cast<std::uint32_t>(vertices.size());
            for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
                Vertex vertex{};
                vertex.position[0] = mesh.mVertices[v].x;
                vertex.position[1] = mesh.mVertices[v].y;
                vertex.position[2] = mesh.mVertices[v].z;
                if (mesh.mNormals) {
                    vertex.normal[0] = mesh.mNormals[v].x;
                    vertex.normal[1] = mesh.mNormals[v].y;
                    vertex.normal[2] = mesh.mNormals[v].z;
                }
                if (mesh.mTextureCoords[0]) {
                    vertex.texCoord[0] = mesh.mTextureCoords[0][v].x;
                    vertex.texCoord[1] = mesh.mTextureCoords[0][v].y;
                }
                vertices.push_back(vertex);
            }
            for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
                const aiFace& face = mesh.mFaces[f];
                if (face.mNumIndices != 3 || !face.mIndices) continue;
                if (face.mIndices[0] >= mesh.mNumVertices ||
                    face.mIndices[1] >= mesh.mNumVertices || face.mIndices[2] >= mesh.mNumVertices)
                    continue;
                if (indices.size() + 3 > std::numeric_limits<std::uint32_t>::max()) return false;
                for (int k = 0; k < 3; ++k) indices.push_back(base + face.mIndices[k]);
            }
        }
        subsets[material].indexCount =
            static_cast<std::uint32_t>(indices.size()) - subsets[material].firstIndex;
    }
    return true;
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

    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    try {
        scene = importer.ReadFileFromMemory(
            data.data(), data.size(),
            aiProcess_ConvertToLeftHanded | aiProcess_Triangulate |
                aiProcess_PreTransformVertices,
            "x");
    } catch (const std::exception&) {
        scene = nullptr;
    }
    if (!scene || !scene->mMeshes || scene->mNumMeshes == 0) return E_FAIL;

    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    std::vector<Subset> subsets;
    if (!BuildGeometry(*scene, vertices, indices, subsets) || indices.empty()) return E_FAIL;

    auto* device = static_cast<d3d9::Device*>(pD3DDevice);
    if (!device->MakeCurrent()) return D3DERR_DEVICELOST;
    *ppMesh = new Mesh(device, vertices, indices, std::move(subsets));
    if (ppMaterials) *ppMaterials = MakeMaterialBuffer(*scene);
    if (pNumMaterials) *pNumMaterials = scene->mNumMaterials;
    return D3D_OK;
}
