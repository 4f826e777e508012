// libFuzzer target for the code around the X-file and texture parsers. Assimp and stb_image run in
// a child process, so their own crashes only fail a load; what runs in the viewer's process, and
// is fuzzed here, is our code that takes their results and the user's names:
//   0  the X-file child's answer, decoded and checked by the parent;
//   1  an Assimp scene built from the input, turned into the mesh the child sends, which the
//      parent must then accept unchanged;
//   2  a texture file's header against the size limits, checked before decoding;
//   3  the texture child's answer, checked by the parent;
//   4  a texture or mesh name resolved as Windows would, in a folder of a few files;
//   5  a text X file rewritten for Assimp (also in the child), which must be a fixed point.
// Case 2 covers DDS headers too.
// The first byte picks one; the rest is its input.
#include <assimp/material.h>
#include <assimp/mesh.h>
#include <assimp/scene.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/portable/d3dx9/xfile.h"
#include "platform/portable/d3dx9/xfile_rewrite.h"
#include "platform/portable/d3dx9/texture_decode.h"
#include "platform/portable/windows_path.h"

namespace {

// Reads the input front to back; past its end every value is zero.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    float Float()
    {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; i++) bits |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string Text(std::size_t most)
    {
        std::string text;
        for (std::size_t n = Byte() % (most + 1); n > 0; n--) text += static_cast<char>(Byte());
        return text;
    }
    std::vector<std::uint8_t> Rest() { return {data_ + at_, data_ + size_}; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// The invariants the renderer relies on in a mesh that the parent accepted.
void CheckMesh(const XFileMesh& mesh)
{
    Require(!mesh.indices.empty() && mesh.indices.size() % 3 == 0, "index count");
    for (std::uint32_t index : mesh.indices) Require(index < mesh.vertices.size(), "index range");
    Require(mesh.subsets.size() == mesh.materials.size(), "one subset per material");
    for (const XFileSubset& s : mesh.subsets)
        Require(s.firstIndex <= mesh.indices.size() &&
                    s.indexCount <= mesh.indices.size() - s.firstIndex,
                "subset range");
}

void FuzzXFileAnswer(Input& in)
{
    XFileMesh mesh;
    if (!DecodeXFileMesh(in.Rest(), mesh)) return;
    CheckMesh(mesh);
    XFileMesh again;
    Require(DecodeXFileMesh(EncodeXFileMesh(mesh), again), "a re-encoded answer decodes");
}

aiMaterial* MakeMaterial(Input& in)
{
    auto* material = new aiMaterial;
    if (in.Byte() & 1) {
        aiString name(in.Text(8));
        material->AddProperty(&name, AI_MATKEY_NAME);
    }
    aiColor4D diffuse(in.Float(), in.Float(), in.Float(), in.Float());
    material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    const int textures = in.Byte() % 3;
    for (int t = 0; t < textures; t++) {
        aiString file(in.Text(40));
        const auto type = static_cast<aiTextureType>(in.Byte() % (aiTextureType_UNKNOWN + 1));
        material->AddProperty(&file, AI_MATKEY_TEXTURE(type, t));
    }
    return material;
}

aiMesh* MakeMesh(Input& in, unsigned materials)
{
    auto* mesh = new aiMesh;
    mesh->mMaterialIndex = in.Byte() % (materials + 2);  // may name no material
    mesh->mNumVertices = in.Byte() % 16;
    const std::uint8_t parts = in.Byte();
    if (mesh->mNumVertices > 0 && (parts & 1)) {
        mesh->mVertices = new aiVector3D[mesh->mNumVertices];
        for (unsigned v = 0; v < mesh->mNumVertices; v++)
            mesh->mVertices[v] = aiVector3D(in.Float(), in.Float(), in.Float());
    }
    if (mesh->mNumVertices > 0 && (parts & 2))
        mesh->mNormals = new aiVector3D[mesh->mNumVertices];
    if (mesh->mNumVertices > 0 && (parts & 4)) {
        mesh->mTextureCoords[0] = new aiVector3D[mesh->mNumVertices];
        mesh->mNumUVComponents[0] = 2;
    }
    mesh->mNumFaces = in.Byte() % 16;
    if (mesh->mNumFaces > 0) {
        mesh->mFaces = new aiFace[mesh->mNumFaces];
        for (unsigned f = 0; f < mesh->mNumFaces; f++) {
            aiFace& face = mesh->mFaces[f];
            face.mNumIndices = in.Byte() % 5;
            face.mIndices = face.mNumIndices > 0 ? new unsigned[face.mNumIndices] : nullptr;
            for (unsigned k = 0; k < face.mNumIndices; k++) face.mIndices[k] = in.Byte() % 20;
        }
    }
    return mesh;
}

void FuzzScene(Input& in)
{
    aiScene scene;
    scene.mNumMaterials = in.Byte() % 5;
    scene.mMaterials = new aiMaterial*[scene.mNumMaterials + 1];
    for (unsigned i = 0; i < scene.mNumMaterials; i++) scene.mMaterials[i] = MakeMaterial(in);
    scene.mNumMeshes = in.Byte() % 5;
    scene.mMeshes = new aiMesh*[scene.mNumMeshes + 1];
    for (unsigned i = 0; i < scene.mNumMeshes; i++)
        scene.mMeshes[i] = MakeMesh(in, scene.mNumMaterials);

    XFileMesh mesh;
    if (!XFileMeshFromScene(scene, mesh)) return;
    CheckMesh(mesh);
    XFileMesh decoded;
    Require(DecodeXFileMesh(EncodeXFileMesh(mesh), decoded), "the parent accepts the child");
    Require(decoded.vertices.size() == mesh.vertices.size() && decoded.indices == mesh.indices &&
                decoded.materials.size() == mesh.materials.size(),
            "the answer arrives unchanged");
}

void FuzzTextureHeader(Input& in)
{
    const int maxSide = 1 << (in.Byte() % 15);
    std::vector<std::uint8_t> data = in.Rest();
    if (!TextureHeaderWithinLimits(data, maxSide)) return;
    // Accepted headers only: the decoding that follows in the child must stay within them.
    std::vector<std::uint8_t> image;
    if (DecodeTexture(data, maxSide, image)) {
        int width = 0, height = 0;
        Require(CheckTextureAnswer(image, maxSide, width, height), "the parent accepts the child");
    }
}

void FuzzTextureAnswer(Input& in)
{
    const int maxSide = 1 << (in.Byte() % 15);
    const std::vector<std::uint8_t> answer = in.Rest();
    int width = 0, height = 0;
    if (!CheckTextureAnswer(answer, maxSide, width, height)) return;
    Require(width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
                answer.size() == 8u + static_cast<std::size_t>(width) * height * 4u,
            "texture answer size");
}

char nameFolder[] = "/tmp/crs-fuzz-names-XXXXXX";

void RemoveNameFolder() { std::filesystem::remove_all(nameFolder); }

// A folder with a few files and folders, made once, current for the whole run (so the fuzzer's
// own paths must be absolute) and removed at exit.
void EnterNameFolder()
{
    static bool made = false;
    if (made) return;
    made = true;
    if (mkdtemp(nameFolder) == nullptr || chdir(nameFolder) != 0) std::abort();
    std::atexit(RemoveNameFolder);
    for (const char* path : {"Tex", "Tex/Sub", "a.png", "Tex/B.PNG", "Tex/Sub/c.x"}) {
        if (std::strchr(path, '.') != nullptr) {
            if (std::FILE* file = std::fopen(path, "wb")) std::fclose(file);
        } else {
            mkdir(path, 0755);
        }
    }
}

void FuzzName(Input& in)
{
    EnterNameFolder();
    const std::vector<std::uint8_t> bytes = in.Rest();
    const std::string name(bytes.begin(), bytes.end());
    const std::string path = FindFileAsWindows(name.c_str());
    // Whatever is found is a file that exists; a name with a zero byte ends there.
    if (!path.empty()) {
        std::vector<std::uint8_t> data;
        Require(ReadWholeFile(path, 1 << 20, data), "a found file reads");
    }
}

void FuzzXFileRewrite(Input& in)
{
    std::vector<std::uint8_t> data = in.Rest();
    if (!NormaliseXFile(data)) return;
    std::vector<std::uint8_t> again = data;
    Require(NormaliseXFile(again) && again == data, "a rewritten file is rewritten to itself");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    switch (in.Byte() % 6) {
    case 0: FuzzXFileAnswer(in); break;
    case 1: FuzzScene(in); break;
    case 2: FuzzTextureHeader(in); break;
    case 3: FuzzTextureAnswer(in); break;
    case 4: FuzzName(in); break;
    case 5: FuzzXFileRewrite(in); break;
    }
    return 0;
}
