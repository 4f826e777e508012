// The generated course and car (crs.x, F1.x and their textures in build/data, written by
// crs-assets during the build) through the portable D3DX exactly as the viewer loads them: the
// materials, faces and subsets of the generator's own models, and every texture they name with
// its full mip chain.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cmath>

#include "tests/platform/d3d_test_support.h"
#include "tools/assets/car_mesh.h"
#include "tools/assets/course_mesh.h"
#include "tools/assets/course_path.h"

namespace {

TEST(GeneratedMeshes, LoadWithTheGeneratorsMaterialsFacesSubsetsAndTextures)
{
    const auto window = test::MakeWindow(64, 64);
    const auto made = test::MakeDevice(&window->record);
    ASSERT_NE(made->device, nullptr);
    test::ScopedCurrentFolder here(CRS_DATA_DIR);
    for (const auto& [file, model] : {std::pair{"crs.x", BuildCourse(DriveCourse())},
                                      std::pair{"F1.x", BuildCar()}}) {
        SCOPED_TRACE(file);
        ID3DXBuffer* buffer = nullptr;
        ID3DXMesh* mesh = nullptr;
        DWORD count = 0;
        ASSERT_EQ(D3DXLoadMeshFromXA(file, D3DXMESH_SYSTEMMEM, made->device, nullptr, &buffer,
                                     nullptr, &count, &mesh),
                  D3D_OK);
        ASSERT_EQ(count, model.materials.size());
        const auto* materials = static_cast<const D3DXMATERIAL*>(buffer->GetBufferPointer());
        for (DWORD i = 0; i < count; ++i) {
            const MeshMaterial& written = model.materials[i];
            SCOPED_TRACE(written.name);
            const D3DMATERIAL9& m = materials[i].MatD3D;
            const std::vector<double> loaded = {m.Diffuse.r,  m.Diffuse.g,  m.Diffuse.b,
                                                m.Diffuse.a,  m.Specular.r, m.Specular.g,
                                                m.Specular.b, m.Emissive.r, m.Emissive.g,
                                                m.Emissive.b, m.Power};
            const double* d = written.diffuse;
            const double* s = written.specular;
            const double* e = written.emissive;
            const std::vector<double> expected = {d[0], d[1], d[2], d[3], s[0], s[1],
                                                  s[2], e[0], e[1], e[2], written.power};
            for (std::size_t k = 0; k < loaded.size(); ++k)
                EXPECT_FLOAT_EQ(static_cast<float>(loaded[k]), static_cast<float>(expected[k]));
            EXPECT_EQ(materials[i].pTextureFilename ? materials[i].pTextureFilename : "",
                      written.texture);
            if (written.texture.empty()) continue;
            IDirect3DTexture9* texture = nullptr;
            ASSERT_EQ(D3DXCreateTextureFromFileA(made->device, written.texture.c_str(), &texture),
                      D3D_OK);
            int width = 0, height = 0, channels = 0;
            ASSERT_TRUE(stbi_info(written.texture.c_str(), &width, &height, &channels));
            EXPECT_EQ(texture->GetLevelCount(),
                      1 + static_cast<DWORD>(std::log2(std::max(width, height))));
            texture->Release();
        }
        EXPECT_EQ(mesh->GetNumFaces(), model.triangles.size());
        DWORD* attributes = nullptr;
        ASSERT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
        std::vector<int> perSubset(count, 0);
        for (DWORD face = 0; face < mesh->GetNumFaces(); ++face)
            ++perSubset.at(attributes[face]);
        mesh->UnlockAttributeBuffer();
        EXPECT_EQ(perSubset, TrianglesPerMaterial(model));
        buffer->Release();
        mesh->Release();
    }
}

}  // namespace
