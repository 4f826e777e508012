// X files and textures in the forms that modelling tools and hand-editors write
// (tests/platform/data/formats): each scene drawn by crs-probe as Wine's D3DX draws it; the
// materials in each mesh's list order, vertex colours and every DDS format as loaded; the text
// rewrite and the DDS reader refusing broken input; textures rounded up to powers of two; and the
// device's material colour sources.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/portable/d3dx9/dds.h"
#include "platform/portable/d3dx9/texture_decode.h"
#include "platform/portable/d3dx9/xfile.h"
#include "platform/portable/d3dx9/xfile_text.h"
#include "tests/platform/d3d_test_support.h"
#include "tests/reference/frame_diff.h"
#include "tests/tools/run_command.h"

namespace fs = std::filesystem;

namespace {

const std::string kFormats = CRS_FORMATS_DIR;

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The same goal as the generated course's: at most 2 of 255 per channel, 99% within 16.
TEST(FormatScenes, DrawAsWinesD3dxDraws)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    const fs::path frame = fs::temp_directory_path() / ("crs-formats-" + std::to_string(getpid()));
    for (const char* scene : {"materials_by_name", "two_meshes", "vertex_colors", "dds_textures",
                              "whole_numbers", "npot_texture"}) {
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

// Materials as D3DX orders them: each mesh's list in its order, lists of several meshes one
// after another, references by name resolved wherever the material is defined.
TEST(FormatScenes, MaterialsFollowEachMeshsListAndFacesKeepTheirs)
{
    struct Case {
        const char* file;
        std::vector<std::string> diffuse;   // "r g b" of each material, two decimals
        std::vector<std::string> texture;   // "" for none
    };
    const Case cases[] = {
        {"materials_by_name.x", {"0.10 0.20 0.90", "0.90 0.10 0.10", "1.00 1.00 1.00"},
         {"", "", "tiles.png"}},
        {"two_meshes.x",
         {"0.10 0.70 0.20", "1.00 1.00 1.00", "0.90 0.80 0.10", "0.60 0.10 0.70"},
         {"", "tiles.png", "", ""}},
        {"whole_numbers.x", {"1.00 1.00 1.00", "1.00 0.00 0.00"}, {"tiles.png", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        XFileMesh mesh;
        ASSERT_EQ(ReadXFile(ReadFile(kFormats + "/" + c.file), mesh), S_OK);
        ASSERT_EQ(mesh.materials.size(), c.diffuse.size());
        for (std::size_t i = 0; i < c.diffuse.size(); ++i) {
            const D3DCOLORVALUE& d = mesh.materials[i].material.Diffuse;
            char text[32];
            std::snprintf(text, sizeof text, "%.2f %.2f %.2f", d.r, d.g, d.b);
            EXPECT_EQ(text, c.diffuse[i]) << "material " << i;
            EXPECT_EQ(mesh.materials[i].textureName, c.texture[i]) << "material " << i;
            // Every material of these files has one quad: two triangles each.
            EXPECT_EQ(mesh.subsets[i].indexCount, 6u) << "material " << i;
        }
    }
    // The wing, the second mesh, lies at z >= 0.6 and x >= 0: its faces are the last two subsets.
    XFileMesh car;
    ASSERT_EQ(ReadXFile(ReadFile(kFormats + "/two_meshes.x"), car), S_OK);
    for (std::size_t s = 0; s < car.subsets.size(); ++s) {
        const std::uint32_t index = car.indices[car.subsets[s].firstIndex];
        EXPECT_EQ(car.vertices[index].position[2] >= 0.6f, s >= 2) << "subset " << s;
    }
}

TEST(FormatScenes, VertexColoursBecomeTheVerticesDiffuseBytes)
{
    XFileMesh mesh;
    ASSERT_EQ(ReadXFile(ReadFile(kFormats + "/vertex_colors.x"), mesh), S_OK);
    int red = 0, green = 0, blue = 0;
    for (const XFileVertex& v : mesh.vertices) {
        EXPECT_EQ(v.hasColor, 255);
        EXPECT_EQ(v.color[3], 255);
        red += v.color[0] == 255 && v.color[1] == 0 && v.color[2] == 0;
        green += v.color[0] == 0 && v.color[1] == 255 && v.color[2] == 0;
        blue += v.color[0] == 0 && v.color[1] == 0 && v.color[2] == 255;
    }
    EXPECT_EQ(red * green * blue, 1);
    XFileMesh plain;
    ASSERT_EQ(ReadXFile(ReadFile(kFormats + "/npot_texture.x"), plain), S_OK);
    EXPECT_EQ(plain.vertices[0].hasColor, 0);
}

TEST(XFileText, RefusesWhatItCannotReadAndLeavesOtherFilesAlone)
{
    const std::string head = "xof 0303txt 0032\n";
    const char* const broken[] = {
        "Mesh M { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; {Gone} } }",
        "Mesh M { 3; 0;0;0;,",                      // an open brace
        "} Mesh M { }",                             // a brace closed first
        "Material A { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.png; } }",
    };
    for (const char* text : broken) {
        std::vector<std::uint8_t> data = Bytes(head + text);
        EXPECT_FALSE(NormaliseXFileText(data)) << text;
    }
    // Balanced but deep enough to exhaust the stack of a rewrite that recursed without a bound.
    std::vector<std::uint8_t> deep =
        Bytes(head + std::string(100000, '{') + std::string(100000, '}'));
    EXPECT_FALSE(NormaliseXFileText(deep));
    // A thousand references to one material may not make a file ten thousand times larger.
    std::string many = head + "Material A { " + std::string(20000, '1') + "; }\n"
                       "Mesh M { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { 1000; 1; 0;;";
    for (int i = 0; i < 1000; ++i) many += " {A}";
    std::vector<std::uint8_t> blown = Bytes(many + " } }");
    EXPECT_FALSE(NormaliseXFileText(blown));

    std::vector<std::uint8_t> binary = Bytes("xof 0303bin 0032{{{\"");
    const std::vector<std::uint8_t> before = binary;
    EXPECT_TRUE(NormaliseXFileText(binary));
    EXPECT_EQ(binary, before);
}

// All eight files hold the same picture, so each format must decode to it within its precision.
TEST(DdsTextures, EveryFormatDecodesToTheSamePicture)
{
    const int side = 4096;
    std::vector<std::uint8_t> reference;
    ASSERT_TRUE(DecodeTexture(ReadFile(kFormats + "/a8r8g8b8.dds"), side, reference));
    ASSERT_EQ(reference.size(), 8u + 16 * 16 * 4);
    for (const char* name : {"dxt1", "dxt3", "dxt5", "x8r8g8b8", "r8g8b8", "r5g6b5", "a1r5g5b5"}) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> image;
        ASSERT_TRUE(DecodeTexture(ReadFile(kFormats + "/" + name + ".dds"), side, image));
        ASSERT_EQ(image.size(), reference.size());
        int worst = 0;
        for (std::size_t i = 8; i < image.size(); ++i)
            worst = std::max(worst, std::abs(image[i] - reference[i]));
        // Five bits a channel, and S3TC's thirds between two such colours.
        EXPECT_LE(worst, 12);
    }
}

TEST(DdsTextures, HeadersThatLieAreRefused)
{
    const std::vector<std::uint8_t> good = ReadFile(kFormats + "/dxt1.dds");
    DdsInfo info{};
    ASSERT_TRUE(ReadDdsHeader(good, info));
    EXPECT_EQ(info.levels, 5);
    struct Change {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    };
    const Change changes[] = {{"header size", 4, 100},    {"height", 14, 1},
                              {"width", 17, 0x40},        {"mip count", 28, 9},
                              {"format size", 76, 24},    {"fourCC", 87, '2'},
                              {"cube map", 113, 0x02}};
    for (const Change& c : changes) {
        std::vector<std::uint8_t> bad = good;
        bad[c.at] = c.value;
        EXPECT_FALSE(ReadDdsHeader(bad, info)) << c.what;
    }
    std::vector<std::uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_FALSE(ReadDdsHeader(cut, info)) << "a level cut short";
}

// 48 by 24 bands of 16 become 64 by 32 as ImageMagick's triangle filter makes them.
TEST(TexturesRoundedUp, SidesBecomePowersOfTwoResampledByTheTriangleFilter)
{
    std::vector<std::uint8_t> image, expected;
    ASSERT_TRUE(DecodeTexture(ReadFile(kFormats + "/bands.png"), 4096, image));
    ASSERT_TRUE(DecodeTexture(ReadFile(kFormats + "/bands_64x32.png"), 4096, expected));
    std::int32_t size[2];
    std::memcpy(size, image.data(), sizeof size);
    EXPECT_EQ(size[0], 64);
    EXPECT_EQ(size[1], 32);
    ASSERT_EQ(image.size(), expected.size());
    int worst = 0;
    for (std::size_t i = 8; i < image.size(); ++i)
        worst = std::max(worst, std::abs(image[i] - expected[i]));
    EXPECT_LE(worst, 1);
    EXPECT_EQ(RoundUpToPowerOfTwo(1), 1);
    EXPECT_EQ(RoundUpToPowerOfTwo(4097), 8192);
}

// A quad over the whole viewport, every vertex coloured (0.8, 0.2, 0.2), under the material
// below, no lights but one from the viewer straight on; the pixel in the middle is the sum of the
// terms, each taken from the source its state names.
TEST(MaterialSources, EachTermTakesTheColourItsStateNames)
{
    const D3DCOLORVALUE vertex = {0.8f, 0.2f, 0.2f, 1.0f};
    D3DMATERIAL9 material{};
    material.Diffuse = {0.0f, 0.0f, 0.6f, 1.0f};
    material.Ambient = {0.0f, 0.4f, 0.0f, 1.0f};
    material.Emissive = {0.0f, 0.0f, 0.2f, 1.0f};
    struct Case {
        const char* what;
        std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
        bool light;
        D3DCOLORVALUE expected;   // red, green, blue
    };
    const auto C1 = D3DMCS_COLOR1, C2 = D3DMCS_COLOR2, M = D3DMCS_MATERIAL;
    const Case cases[] = {
        {"defaults: diffuse from the vertex", {}, true, {0.8f, 0.6f, 0.4f, 0}},
        {"diffuse from the material", {{D3DRS_DIFFUSEMATERIALSOURCE, M}}, true, {0, 0.4f, 0.8f, 0}},
        {"colour vertex off", {{D3DRS_COLORVERTEX, FALSE}}, true, {0, 0.4f, 0.8f, 0}},
        {"ambient from the vertex", {{D3DRS_AMBIENTMATERIALSOURCE, C1}}, false,
         {0.8f, 0.2f, 0.4f, 0}},
        {"emissive from the vertex", {{D3DRS_EMISSIVEMATERIALSOURCE, C1}}, false,
         {0.8f, 0.6f, 0.2f, 0}},
        {"a source the vertex lacks", {{D3DRS_AMBIENTMATERIALSOURCE, C2}}, false,
         {0, 0.4f, 0.2f, 0}},
        {"unlit: the vertex colour", {{D3DRS_LIGHTING, FALSE}}, false, vertex},
    };
    test::TempFolder folder;
    std::ofstream(folder.path + "/quad.x")
        << "xof 0303txt 0032\nMesh { 4; -1;-1;0.5;, -1;1;0.5;, 1;1;0.5;, 1;-1;0.5;;\n"
           "1; 4;0,1,2,3;;\n"
           "MeshNormals { 1; 0;0;-1;; 1; 4;0,0,0,0;; }\n"
           "MeshVertexColors { 4; 0;0.8;0.2;0.2;1;;, 1;0.8;0.2;0.2;1;;, 2;0.8;0.2;0.2;1;;, "
           "3;0.8;0.2;0.2;1;;; } }\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto window = test::MakeWindow(64, 64);
        const auto device = test::MakeDevice(&window->record);
        ASSERT_NE(device->device, nullptr);
        IDirect3DDevice9* d = device->device;
        ID3DXMesh* mesh = nullptr;
        ASSERT_EQ(D3DXLoadMeshFromXA((folder.path + "/quad.x").c_str(), D3DXMESH_SYSTEMMEM, d,
                                     nullptr, nullptr, nullptr, nullptr, &mesh), D3D_OK);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_AMBIENT, 0xffffffff);
        for (const auto& [state, value] : c.states) d->SetRenderState(state, value);
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
        const float* e = &c.expected.r;
        EXPECT_NEAR(pixel.r, e[0] * 255, 2);
        EXPECT_NEAR(pixel.g, e[1] * 255, 2);
        EXPECT_NEAR(pixel.b, e[2] * 255, 2);
    }
}

}  // namespace
