// The cache of parsed meshes: an entry gives back the very mesh kept for the same bytes, and
// anything else (other bytes under the same name, a damaged or foreign entry, a small file, a
// folder that cannot be written) is a miss that the caller answers by parsing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/portable/d3dx9/mesh_cache.h"

namespace {

namespace fs = std::filesystem;

XFileMesh OneTriangle()
{
    XFileMesh mesh;
    const auto corner = [](float x, float y) {
        XFileVertex vertex{};
        vertex.position[0] = vertex.texCoord[0] = x;
        vertex.position[1] = vertex.texCoord[1] = y;
        vertex.normal[2] = 1.0f;
        return vertex;
    };
    mesh.vertices = {corner(0, 0), corner(1, 0), corner(0, 1)};
    mesh.indices = {0, 1, 2};
    mesh.subsets = {{0, 3}};
    XFileMaterial material{};
    material.material.Diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    material.hasTexture = true;
    material.textureName = "road.bmp";
    mesh.materials = {material};
    return mesh;
}

class MeshCache : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("crs-mesh-cache-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        setenv("XDG_CACHE_HOME", folder_.c_str(), 1);
        data_.assign(100000, 0);
        for (std::size_t i = 0; i < data_.size(); ++i) data_[i] = static_cast<std::uint8_t>(i * 7);
    }
    void TearDown() override
    {
        unsetenv("XDG_CACHE_HOME");
        fs::remove_all(folder_);
    }
    // The one entry written so far.
    fs::path Entry() const
    {
        for (const auto& file : fs::recursive_directory_iterator(folder_))
            if (file.path().extension() == ".mesh") return file.path();
        return {};
    }

    fs::path folder_;
    std::vector<std::uint8_t> data_;
};

TEST_F(MeshCache, GivesBackTheMeshKeptForTheSameBytes)
{
    XFileMesh mesh;
    EXPECT_FALSE(ReadCachedMesh(data_, mesh));
    WriteCachedMesh(data_, OneTriangle());
    ASSERT_TRUE(ReadCachedMesh(data_, mesh));
    const XFileMesh kept = OneTriangle();
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[1].position[0], 1.0f);
    EXPECT_EQ(mesh.vertices[2].texCoord[1], 1.0f);
    EXPECT_EQ(mesh.indices, kept.indices);
    ASSERT_EQ(mesh.subsets.size(), 1u);
    EXPECT_EQ(mesh.subsets[0].indexCount, 3u);
    ASSERT_EQ(mesh.materials.size(), 1u);
    EXPECT_EQ(mesh.materials[0].material.Diffuse.g, 0.25f);
    EXPECT_EQ(mesh.materials[0].textureName, "road.bmp");
}

// Each damage made to the entry on disk must give a miss.
TEST_F(MeshCache, MissesWhatIsNotTheSameEntry)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<char>& entry)> damage;
    };
    const Case cases[] = {
        {"the kept file differs from the file read in one byte",
         [](std::vector<char>& entry) { entry[16 + 50000] ^= 1; }},
        {"an entry of another layout",
         [](std::vector<char>& entry) { entry[14] = '0'; }},
        {"the mesh cut short", [](std::vector<char>& entry) { entry.resize(entry.size() - 5); }},
        {"the file cut short",
         [](std::vector<char>& entry) { entry.resize(16 + 1000); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder_);
        WriteCachedMesh(data_, OneTriangle());
        const fs::path entry = Entry();
        ASSERT_FALSE(entry.empty());
        std::vector<char> bytes;
        {
            std::ifstream in(entry, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        c.damage(bytes);
        std::ofstream(entry, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        XFileMesh mesh;
        EXPECT_FALSE(ReadCachedMesh(data_, mesh));
    }
}

TEST_F(MeshCache, KeepsNothingOfSmallFilesOrWhereItCannotWrite)
{
    XFileMesh mesh;
    const std::vector<std::uint8_t> small(1000, 1);
    WriteCachedMesh(small, OneTriangle());
    EXPECT_FALSE(ReadCachedMesh(small, mesh));
    EXPECT_TRUE(Entry().empty());

    setenv("XDG_CACHE_HOME", "/proc/no-such-folder", 1);
    WriteCachedMesh(data_, OneTriangle());
    EXPECT_FALSE(ReadCachedMesh(data_, mesh));
}

}  // namespace
