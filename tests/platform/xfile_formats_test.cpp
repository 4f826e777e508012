// X files and textures in the forms that modelling tools and hand-editors write
// (tests/platform/data/formats: materials by name and in several meshes' lists, vertex colours,
// every DDS format, whole numbers, sides that are not powers of two, a skinned and animated
// character in text, binary and compressed binary, a 3ds Max box, a binary file under scaled and
// turned frames, DeclData), each scene drawn by
// crs-probe as Wine's D3DX draws it; and the device's material colour sources.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/portable/d3dx9/texture_decode.h"
#include "tests/platform/d3d_test_support.h"
#include "tools/frame_diff.h"
#include "tests/tools/run_command.h"

namespace fs = std::filesystem;

namespace {

const std::string kFormats = CRS_FORMATS_DIR;

// The same goal as the generated course's: at most 2 of 255 per channel, 99% within 16.
TEST(FormatScenes, DrawAsWinesD3dxDraws)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    const fs::path frame = fs::temp_directory_path() / ("crs-formats-" + std::to_string(getpid()));
    for (const char* scene : {"materials_by_name", "two_meshes", "vertex_colors", "dds_textures",
                              "whole_numbers", "npot_texture", "skinned_strip", "max_box",
                              "turned_frames_bin", "decl_data", "skinned_bin", "skinned_bzip"}) {
        SCOPED_TRACE(scene);
        const fs::path previous = fs::current_path();
        fs::current_path(kFormats);
        const CommandResult run = RunCommand(
            CRS_PROBE_PATH, {"scene", std::string(scene) + ".x", "capture", frame.string()});
        fs::current_path(previous);
        ASSERT_EQ(run.status, 0) << run.err;
        FrameImage wine, portable;
        ASSERT_TRUE(LoadFrameImage(kFormats + "/wine/" + scene + ".png", wine));
        ASSERT_TRUE(LoadFrameImage(frame.string(), portable));
        ASSERT_EQ(portable.width, wine.width);
        const FrameDifference d = CompareFrames(wine, portable);
        std::printf("%s: mean %.3f/%.3f/%.3f, within %d: %.3f%%\n", scene, d.meanAbsolute[0],
                    d.meanAbsolute[1], d.meanAbsolute[2], kCloseLevels, 100.0 * d.closeShare);
        EXPECT_LE(LargestMean(d), 2.0);
        EXPECT_GE(d.closeShare, 0.99);
    }
    fs::remove(frame);
}

// 48 by 24 bands of 16 become 64 by 32 as ImageMagick's triangle filter makes them: closer than
// the scenes' tolerance sees.
TEST(TexturesRoundedUp, SidesBecomePowersOfTwoResampledByTheTriangleFilter)
{
    std::vector<std::uint8_t> image, expected;
    for (auto [name, out] : {std::pair{"/bands.png", &image}, {"/bands_64x32.png", &expected}}) {
        std::ifstream in(kFormats + name, std::ios::binary);
        ASSERT_TRUE(DecodeTexture({std::istreambuf_iterator<char>(in), {}}, 4096, *out));
    }
    ASSERT_EQ(image.size(), expected.size());
    EXPECT_EQ(image[0], 64);  // the decoded width, first of the header
    for (std::size_t i = 8; i < image.size(); ++i)
        ASSERT_NEAR(image[i], expected[i], 1) << "at " << i;
}

// A quad over the whole viewport, every vertex coloured (0.8, 0.2, 0.2), under the material
// below, no lights but one from the viewer straight on; the pixel in the middle is the sum of the
// terms, each taken from the source its state names.
TEST(MaterialSources, EachTermTakesTheColourItsStateNames)
{
    D3DMATERIAL9 material{};
    material.Diffuse = {0.0f, 0.0f, 0.6f, 1.0f};
    material.Ambient = {0.0f, 0.4f, 0.0f, 1.0f};
    material.Emissive = {0.0f, 0.0f, 0.2f, 1.0f};
    const auto C1 = D3DMCS_COLOR1, C2 = D3DMCS_COLOR2, M = D3DMCS_MATERIAL;
    const struct {
        const char* what;
        D3DRENDERSTATETYPE state;
        DWORD value;
        bool light;
        float expected[3];
    } cases[] = {
        {"defaults: diffuse from the vertex", D3DRS_LIGHTING, TRUE, true, {.8f, .6f, .4f}},
        {"diffuse from the material", D3DRS_DIFFUSEMATERIALSOURCE, M, true, {0, .4f, .8f}},
        {"colour vertex off", D3DRS_COLORVERTEX, FALSE, true, {0, .4f, .8f}},
        {"ambient from the vertex", D3DRS_AMBIENTMATERIALSOURCE, C1, false, {.8f, .2f, .4f}},
        {"emissive from the vertex", D3DRS_EMISSIVEMATERIALSOURCE, C1, false, {.8f, .6f, .2f}},
        {"a source the vertex lacks", D3DRS_AMBIENTMATERIALSOURCE, C2, false, {0, .4f, .2f}},
        {"unlit: the vertex colour", D3DRS_LIGHTING, FALSE, false, {.8f, .2f, .2f}},
    };
    test::TempFolder folder;
    std::ofstream(folder.path + "/quad.x")
        << "xof 0303txt 0032\nMesh { 4; -1;-1;0.5;, -1;1;0.5;, 1;1;0.5;, 1;-1;0.5;;\n"
           "1; 4;0,1,2,3;;\nMeshNormals { 1; 0;0;-1;; 1; 4;0,0,0,0;; }\n"
           "MeshVertexColors { 4; 0;0.8;0.2;0.2;1;;, 1;0.8;0.2;0.2;1;;, 2;0.8;0.2;0.2;1;;, "
           "3;0.8;0.2;0.2;1;;; } }\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A fresh device for each row: every other state at its default.
        const auto window = test::MakeWindow(64, 64);
        const auto device = test::MakeDevice(&window->record);
        IDirect3DDevice9* d = device->device;
        ASSERT_NE(d, nullptr);
        ID3DXMesh* mesh = nullptr;
        ASSERT_EQ(D3DXLoadMeshFromXA((folder.path + "/quad.x").c_str(), D3DXMESH_SYSTEMMEM, d,
                                     nullptr, nullptr, nullptr, nullptr, &mesh), D3D_OK);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_AMBIENT, 0xffffffff);
        d->SetRenderState(c.state, c.value);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Direction = {0.0f, 0.0f, 1.0f};
        light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        d->SetLight(0, &light);
        d->LightEnable(0, c.light);
        d->SetMaterial(&material);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
        d->BeginScene();
        mesh->DrawSubset(0);
        d->EndScene();
        d->Present(nullptr, nullptr, nullptr, nullptr);
        mesh->Release();
        const test::Rgb pixel = test::Capture(&window->record).At(32, 32);
        EXPECT_NEAR(pixel.r, c.expected[0] * 255, 2);
        EXPECT_NEAR(pixel.g, c.expected[1] * 255, 2);
        EXPECT_NEAR(pixel.b, c.expected[2] * 255, 2);
    }
}

}  // namespace
