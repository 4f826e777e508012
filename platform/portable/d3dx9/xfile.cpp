// X files through Assimp, parsed in the worker process that sends back plain geometry and
// materials. A crash, a hang (cut off after a minute) or a malformed answer from the worker is a
// failed load. Assimp's flags give the file's own left-handed positions, normals, UVs and
// winding, fan quads into triangles and bake the frames' transforms into the vertices.
#include "platform/portable/d3dx9/xfile.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstring>
#include <limits>

#include "platform/portable/child_process.h"
#include "platform/portable/d3dx9/xfile_rewrite.h"

namespace {

constexpr int kParseTimeoutMs = 60000;
// Larger answers than this are not believed.
constexpr std::size_t kMaxAnswerBytes = std::size_t{1} << 31;

// The material as D3DX reads an X file's Material: faceColor is the diffuse colour, the power,
// the specular and emissive colours (alpha 1); no ambient colour (black, alpha 1). Assimp marks
// the material it adds for a mesh without a material list by giving it no name; D3DX's own
// default for that case is grey with no alpha and a grey specular.
XFileMaterial ConvertMaterial(const aiMaterial& source)
{
    XFileMaterial out{};
    D3DMATERIAL9& material = out.material;
    aiString name;
    if (source.Get(AI_MATKEY_NAME, name) != AI_SUCCESS) {
        material.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        material.Specular = {0.5f, 0.5f, 0.5f, 0.0f};
        return out;
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
    aiString file;
    if (source.Get(AI_MATKEY_TEXTURE(aiTextureType_DIFFUSE, 0), file) == AI_SUCCESS &&
        file.length > 0) {
        out.hasTexture = true;
        out.textureName.assign(file.C_Str(), file.length);
    }
    return out;
}

// D3DX keeps vertex colours as D3DCOLOR: each channel clamped and rounded to a byte (a NaN to 0).
std::uint8_t ColorByte(float channel)
{
    const float clamped = !(channel > 0.0f) ? 0.0f : (channel > 1.0f ? 1.0f : channel);
    return static_cast<std::uint8_t>(clamped * 255.0f + 0.5f);
}

}  // namespace

// Gathers every triangle of material i, over all of Assimp's meshes, into subset i. Faces that
// are not triangles after triangulation (points, lines) or that index past their mesh's vertices
// are dropped; a file that would overflow 32-bit indices is refused.
bool XFileMeshFromScene(const aiScene& scene, XFileMesh& out)
{
    if (!scene.mMaterials || (scene.mNumMeshes > 0 && !scene.mMeshes)) return false;
    for (unsigned i = 0; i < scene.mNumMaterials; ++i)
        if (!scene.mMaterials[i]) return false;
    // Each material's meshes, found in one pass: a file of many materials and many meshes must
    // not cost their product.
    std::vector<std::vector<const aiMesh*>> meshesOf(scene.mNumMaterials);
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh* mesh = scene.mMeshes[m];
        if (mesh && mesh->mVertices && mesh->mMaterialIndex < scene.mNumMaterials)
            meshesOf[mesh->mMaterialIndex].push_back(mesh);
    }
    out.subsets.assign(scene.mNumMaterials, XFileSubset{0, 0});
    for (unsigned material = 0; material < scene.mNumMaterials; ++material) {
        out.subsets[material].firstIndex = static_cast<std::uint32_t>(out.indices.size());
        for (const aiMesh* meshPointer : meshesOf[material]) {
            const aiMesh& mesh = *meshPointer;
            if (out.vertices.size() + mesh.mNumVertices > std::numeric_limits<std::uint32_t>::max())
                return false;
            const auto base = static_cast<std::uint32_t>(out.vertices.size());
            for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
                XFileVertex vertex{};
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
                if (mesh.mColors[0]) {
                    const aiColor4D& c = mesh.mColors[0][v];
                    const float rgba[4] = {c.r, c.g, c.b, c.a};
                    for (int k = 0; k < 4; ++k) vertex.color[k] = ColorByte(rgba[k]);
                    vertex.hasColor = 255;
                }
                out.vertices.push_back(vertex);
            }
            for (unsigned f = 0; f < mesh.mNumFaces && mesh.mFaces; ++f) {
                const aiFace& face = mesh.mFaces[f];
                if (face.mNumIndices != 3 || !face.mIndices) continue;
                if (face.mIndices[0] >= mesh.mNumVertices ||
                    face.mIndices[1] >= mesh.mNumVertices || face.mIndices[2] >= mesh.mNumVertices)
                    continue;
                if (out.indices.size() + 3 > std::numeric_limits<std::uint32_t>::max())
                    return false;
                for (int k = 0; k < 3; ++k) out.indices.push_back(base + face.mIndices[k]);
            }
        }
        out.subsets[material].indexCount =
            static_cast<std::uint32_t>(out.indices.size()) - out.subsets[material].firstIndex;
    }
    for (unsigned i = 0; i < scene.mNumMaterials; ++i)
        out.materials.push_back(ConvertMaterial(*scene.mMaterials[i]));
    return !out.indices.empty();
}

namespace {

bool Parse(std::vector<std::uint8_t>& data, XFileMesh& out)
{
    if (!NormaliseXFile(data)) return false;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(
        data.data(), data.size(),
        aiProcess_ConvertToLeftHanded | aiProcess_Triangulate | aiProcess_PreTransformVertices,
        "x");
    return scene && scene->mNumMeshes > 0 && XFileMeshFromScene(*scene, out);
}

// The answer on the pipe: counts, then the arrays, then each material and its texture name.
void Put(std::vector<std::uint8_t>& bytes, const void* data, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
}

}  // namespace

std::vector<std::uint8_t> EncodeXFileMesh(const XFileMesh& mesh)
{
    std::vector<std::uint8_t> bytes;
    const std::uint64_t counts[4] = {mesh.vertices.size(), mesh.indices.size(),
                                     mesh.subsets.size(), mesh.materials.size()};
    Put(bytes, counts, sizeof counts);
    Put(bytes, mesh.vertices.data(), mesh.vertices.size() * sizeof(XFileVertex));
    Put(bytes, mesh.indices.data(), mesh.indices.size() * sizeof(std::uint32_t));
    Put(bytes, mesh.subsets.data(), mesh.subsets.size() * sizeof(XFileSubset));
    for (const XFileMaterial& m : mesh.materials) {
        Put(bytes, &m.material, sizeof m.material);
        const std::uint64_t length = m.hasTexture ? m.textureName.size() : UINT64_MAX;
        Put(bytes, &length, sizeof length);
        Put(bytes, m.textureName.data(), m.hasTexture ? m.textureName.size() : 0);
    }
    return bytes;
}

namespace {

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    bool Get(void* out, std::size_t size)
    {
        if (size > bytes_.size() - at_) return false;
        // An empty array has no storage to copy into, and memcpy may not be given none.
        if (size == 0) return true;
        std::memcpy(out, bytes_.data() + at_, size);
        at_ += size;
        return true;
    }
    std::size_t Left() const { return bytes_.size() - at_; }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

}  // namespace

// Believes nothing: every count against the bytes left, every index against the vertex count,
// every subset against the index list. Counts within the bytes left fit a 32-bit size too.
bool DecodeXFileMesh(const std::vector<std::uint8_t>& bytes, XFileMesh& mesh)
{
    Reader in(bytes);
    std::uint64_t counts[4];
    if (!in.Get(counts, sizeof counts)) return false;
    const std::uint64_t limit = in.Left();
    if (counts[0] > limit / sizeof(XFileVertex) || counts[1] > limit / sizeof(std::uint32_t) ||
        counts[2] > limit / sizeof(XFileSubset) || counts[3] != counts[2] ||
        counts[1] % 3 != 0 || counts[1] == 0)
        return false;
    mesh.vertices.resize(static_cast<std::size_t>(counts[0]));
    mesh.indices.resize(static_cast<std::size_t>(counts[1]));
    mesh.subsets.resize(static_cast<std::size_t>(counts[2]));
    if (!in.Get(mesh.vertices.data(), mesh.vertices.size() * sizeof(XFileVertex)) ||
        !in.Get(mesh.indices.data(), mesh.indices.size() * sizeof(std::uint32_t)) ||
        !in.Get(mesh.subsets.data(), mesh.subsets.size() * sizeof(XFileSubset)))
        return false;
    for (std::uint32_t index : mesh.indices)
        if (index >= mesh.vertices.size()) return false;
    for (const XFileSubset& s : mesh.subsets)
        if (s.firstIndex > mesh.indices.size() || s.indexCount > mesh.indices.size() - s.firstIndex)
            return false;
    mesh.materials.resize(static_cast<std::size_t>(counts[3]));
    for (XFileMaterial& m : mesh.materials) {
        std::uint64_t length;
        if (!in.Get(&m.material, sizeof m.material) || !in.Get(&length, sizeof length)) return false;
        m.hasTexture = length != UINT64_MAX;
        if (!m.hasTexture) continue;
        if (length > in.Left()) return false;
        m.textureName.resize(static_cast<std::size_t>(length));
        if (!in.Get(m.textureName.data(), m.textureName.size())) return false;
        // A name ends at its first zero byte, as the C string D3DX hands out does.
        m.textureName.resize(std::strlen(m.textureName.c_str()));
    }
    return in.Left() == 0;
}

namespace {

// The worker's job: the file's bytes in, the encoded mesh out.
bool ParseJob(const std::vector<std::uint8_t>& data, int, std::vector<std::uint8_t>& out)
{
    XFileMesh parsed;
    std::vector<std::uint8_t> file = data;
    if (!Parse(file, parsed)) return false;
    out = EncodeXFileMesh(parsed);
    return true;
}

}  // namespace

HRESULT ReadXFile(const std::vector<std::uint8_t>& data, XFileMesh& mesh)
{
    std::vector<std::uint8_t> answer;
    if (!RunInWorker(ParseJob, 0, data, answer, kParseTimeoutMs, kMaxAnswerBytes) ||
        !DecodeXFileMesh(answer, mesh)) {
        mesh = XFileMesh{};
        return E_FAIL;
    }
    return S_OK;
}
