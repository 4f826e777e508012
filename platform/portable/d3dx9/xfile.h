// Reading an X file into plain geometry and materials, as D3DX would present them. Assimp does
// the parsing in a child process: the importer does not check every index of a hostile file, so
// a crash or a hang there must fail the load instead of ending the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/portable/d3dx9/direct3d.h"

struct aiScene;

// The diffuse colour is the file's MeshVertexColors entry as a D3DCOLOR's bytes, in R, G, B, A
// order; hasColor is 255 where the vertex has one and 0 where its material stands instead.
struct XFileVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
    std::uint8_t color[4];
    std::uint8_t hasColor;
    std::uint8_t padding[3];
};

// Subset i: the triangles of material i, as a range of the index list.
struct XFileSubset {
    std::uint32_t firstIndex;
    std::uint32_t indexCount;
};

struct XFileMaterial {
    D3DMATERIAL9 material;
    bool hasTexture;
    std::string textureName;
};

struct XFileMesh {
    std::vector<XFileVertex> vertices;
    std::vector<std::uint32_t> indices;  // triangles, every index below vertices.size()
    std::vector<XFileSubset> subsets;    // one per material
    std::vector<XFileMaterial> materials;
};

// Parses the bytes of an X file; S_OK and a mesh with at least one triangle, or E_FAIL.
HRESULT ReadXFile(const std::vector<std::uint8_t>& data, XFileMesh& mesh);

// The steps of ReadXFile, open to the fuzz target (tests/fuzz) since each takes what another
// program made. In the child: Assimp's scene as subsets of triangles, faces that index past their
// mesh dropped; false when no triangle is left. Then the answer sent back, and its decoding in
// the parent, which checks every count and index and fails on anything inconsistent.
bool XFileMeshFromScene(const aiScene& scene, XFileMesh& mesh);
std::vector<std::uint8_t> EncodeXFileMesh(const XFileMesh& mesh);
bool DecodeXFileMesh(const std::vector<std::uint8_t>& answer, XFileMesh& mesh);
