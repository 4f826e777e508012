// The cache of parsed meshes: an entry gives back the very mesh kept for the same bytes, and
// anything else (other bytes under the same name, a damaged or foreign entry, a small file, a
// folder that cannot be written) is a miss that the caller answers by parsing; old entries go.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/portable/d3dx9/mesh_cache.h"
#include "tests/platform/d3d_test_support.h"

namespace {

namespace fs = std::filesystem;

XFileMesh OneTriangle()
{
    XFileMesh mesh;
    for (float x : {0.0f, 1.0f, 2.0f}) {
        XFileVertex vertex{};
        vertex.position[0] = vertex.texCoord[1] = x;
        mesh.vertices.push_back(vertex);
    }
    mesh.indices = {0, 1, 2};
    mesh.subsets = {{0, 3}};
    mesh.materials.resize(1);
    mesh.materials[0].material.Diffuse.g = 0.25f;
    mesh.materials[0].hasTexture = true;
    mesh.materials[0].textureName = "road.bmp";
    return mesh;
}

TEST(MeshCache, GivesBackTheMeshKeptForTheSameBytesAndMissesAnythingElse)
{
    test::TempFolder folder;
    setenv("XDG_CACHE_HOME", folder.path.c_str(), 1);
    std::vector<std::uint8_t> data(100000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    XFileMesh mesh;
    EXPECT_FALSE(ReadCachedMesh(data, mesh));
    WriteCachedMesh(data, OneTriangle());
    ASSERT_TRUE(ReadCachedMesh(data, mesh));
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[2].position[0], 2.0f);
    EXPECT_EQ(mesh.vertices[1].texCoord[1], 1.0f);
    EXPECT_EQ(mesh.indices, OneTriangle().indices);
    ASSERT_EQ(mesh.subsets.size(), 1u);
    EXPECT_EQ(mesh.subsets[0].indexCount, 3u);
    ASSERT_EQ(mesh.materials.size(), 1u);
    EXPECT_EQ(mesh.materials[0].material.Diffuse.g, 0.25f);
    EXPECT_EQ(mesh.materials[0].textureName, "road.bmp");

    const struct {
        const char* what;
        std::function<void(std::vector<char>& entry)> damage;
    } damages[] = {
        {"the kept file differs in one byte", [](std::vector<char>& e) { e[16 + 50000] ^= 1; }},
        {"an entry of another layout", [](std::vector<char>& e) { e[14] = '0'; }},
        {"the mesh cut short", [](std::vector<char>& e) { e.resize(e.size() - 5); }},
        {"the file cut short", [](std::vector<char>& e) { e.resize(16 + 1000); }},
    };
    for (const auto& d : damages) {
        fs::remove_all(folder.path + "/crs-move-pos");
        WriteCachedMesh(data, OneTriangle());
        fs::path entry;
        for (const auto& file : fs::recursive_directory_iterator(folder.path))
            if (file.path().extension() == ".mesh") entry = file.path();
        ASSERT_FALSE(entry.empty()) << d.what;
        std::ifstream in(entry, std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        d.damage(bytes);
        std::ofstream(entry, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        EXPECT_FALSE(ReadCachedMesh(data, mesh)) << d.what;
    }

    // Only the entries used last stay: the folder does not grow with every file ever opened.
    for (std::uint8_t version = 0; version < 10; ++version) {
        data[0] = version;
        WriteCachedMesh(data, OneTriangle());
    }
    EXPECT_TRUE(ReadCachedMesh(data, mesh));
    const auto entries = std::distance(fs::directory_iterator(folder.path + "/crs-move-pos/meshes"),
                                       fs::directory_iterator());
    EXPECT_EQ(entries, 8);

    const std::vector<std::uint8_t> small(1000, 1);
    WriteCachedMesh(small, OneTriangle());
    EXPECT_FALSE(ReadCachedMesh(small, mesh)) << "a small file";
    setenv("XDG_CACHE_HOME", "/proc/no-such-folder", 1);
    WriteCachedMesh(data, OneTriangle());
    EXPECT_FALSE(ReadCachedMesh(data, mesh)) << "a folder that cannot be written";
    unsetenv("XDG_CACHE_HOME");
}

}  // namespace
