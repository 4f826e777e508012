// The generated course and car (crs.x, F1.x and their textures in build/data, written by
// crs-assets during the build) through the portable D3DX exactly as the viewer loads them: the
// materials, faces and subsets that the generator's own models hold, and every texture they name.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/platform/d3d_test_support.h"
#include "tools/assets/car_mesh.h"
#include "tools/assets/course_mesh.h"
#include "tools/assets/course_path.h"

namespace {

struct Generated {
    const char* file;
    MeshModel model;
};

class GeneratedMeshes : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        generated_ = new std::vector<Generated>{{"crs.x", BuildCourse(DriveCourse())},
                                                {"F1.x", BuildCar()}};
    }
    static void TearDownTestSuite() { delete generated_; }

    void SetUp() override
    {
        window_ = test::MakeWindow(64, 64);
        made_ = test::MakeDevice(&window_->record);
        ASSERT_NE(made_->device, nullptr);
    }
    void TearDown() override
    {
        made_.reset();
        window_.reset();
    }

    static std::vector<Generated>* generated_;
    std::unique_ptr<test::Window> window_;
    std::unique_ptr<test::Device> made_;
    test::ScopedCurrentFolder here_{CRS_DATA_DIR};
};

std::vector<Generated>* GeneratedMeshes::generated_ = nullptr;

void ExpectColour(const D3DCOLORVALUE& loaded, const double* written, int channels)
{
    const float values[4] = {loaded.r, loaded.g, loaded.b, loaded.a};
    for (int c = 0; c < channels; ++c) EXPECT_FLOAT_EQ(values[c], static_cast<float>(written[c])) << c;
}

TEST_F(GeneratedMeshes, LoadWithTheGeneratorsMaterialsFacesAndSubsets)
{
    for (const Generated& generated : *generated_) {
        SCOPED_TRACE(generated.file);
        const MeshModel& model = generated.model;
        ID3DXBuffer* buffer = nullptr;
        ID3DXMesh* mesh = nullptr;
        DWORD count = 0;
        ASSERT_EQ(D3DXLoadMeshFromXA(generated.file, D3DXMESH_SYSTEMMEM, made_->device, nullptr,
                                     &buffer, nullptr, &count, &mesh),
                  D3D_OK);
        ASSERT_EQ(count, model.materials.size());
        const auto* materials = static_cast<const D3DXMATERIAL*>(buffer->GetBufferPointer());
        for (DWORD i = 0; i < count; ++i) {
            SCOPED_TRACE(model.materials[i].name);
            const MeshMaterial& written = model.materials[i];
            ExpectColour(materials[i].MatD3D.Diffuse, written.diffuse, 4);
            ExpectColour(materials[i].MatD3D.Specular, written.specular, 3);
            ExpectColour(materials[i].MatD3D.Emissive, written.emissive, 3);
            EXPECT_FLOAT_EQ(materials[i].MatD3D.Power, static_cast<float>(written.power));
            if (written.texture.empty())
                EXPECT_EQ(materials[i].pTextureFilename, nullptr);
            else
                EXPECT_STREQ(materials[i].pTextureFilename, written.texture.c_str());
        }

        EXPECT_EQ(mesh->GetNumFaces(), model.triangles.size());
        DWORD* attributes = nullptr;
        ASSERT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
        std::vector<int> perSubset(count, 0);
        for (DWORD face = 0; face < mesh->GetNumFaces(); ++face) {
            ASSERT_LT(attributes[face], count);
            ++perSubset[attributes[face]];
        }
        mesh->UnlockAttributeBuffer();
        EXPECT_EQ(perSubset, TrianglesPerMaterial(model));
        buffer->Release();
        mesh->Release();
    }
}

TEST_F(GeneratedMeshes, EveryTextureTheyNameLoadsWithItsFullMipChain)
{
    int textures = 0;
    for (const Generated& generated : *generated_) {
        for (const MeshMaterial& material : generated.model.materials) {
            if (material.texture.empty()) continue;
            SCOPED_TRACE(material.texture);
            ++textures;
            IDirect3DTexture9* texture = nullptr;
            ASSERT_EQ(D3DXCreateTextureFromFileA(made_->device, material.texture.c_str(), &texture),
                      D3D_OK);
            ASSERT_NE(texture, nullptr);
            int width = 0, height = 0, channels = 0;
            ASSERT_TRUE(stbi_info(material.texture.c_str(), &width, &height, &channels));
            const DWORD levels = 1 + static_cast<DWORD>(std::floor(std::log2(std::max(width, height))));
            EXPECT_EQ(texture->GetLevelCount(), levels);
            texture->Release();
        }
    }
    EXPECT_GT(textures, 0);
}

}  // namespace
