// X files and textures in the forms that modelling tools and hand-editors write
// (tests/platform/data/formats: materials by name and in several meshes' lists, vertex colours,
// given in part and beside a mesh without them, every DDS format, whole numbers, sides that are
// not powers of two, a skinned and animated character in text, binary (32- and 64-bit floats)
// and compressed binary, a 3ds Max box, a binary file under scaled and turned frames, DeclData),
// each scene drawn by
// crs-probe as Wine's D3DX draws it; DDS texels, alpha included, against ImageMagick's decoding;
// and the device's material colour sources.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
                              "turned_frames_bin", "decl_data", "skinned_bin", "skinned_bzip",
                              "skinned_bin64", "partial_colours", "partial_colours_bin",
                              "mixed_colours"}) {
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

// A DDS file of one level: the header for `fourCc` (DXT1, DXT3, DXT5) or, where it is empty, for
// pixels of `bits` bits under the masks R, G, B, A; then `data`.
std::string Dds(int width, int height, const char* fourCc, std::uint32_t bits,
                std::initializer_list<std::uint32_t> masks, const std::string& data)
{
    std::uint32_t header[32] = {};
    std::memcpy(header, "DDS ", 4);
    header[1] = 124;
    header[2] = 0x1 | 0x2 | 0x4 | 0x1000 | (*fourCc ? 0x80000 : 0x8);  // the size, pitch
    header[3] = static_cast<std::uint32_t>(height);
    header[4] = static_cast<std::uint32_t>(width);
    header[5] = *fourCc ? static_cast<std::uint32_t>(data.size())
                        : static_cast<std::uint32_t>(width) * bits / 8;
    header[19] = 32;
    if (*fourCc) {
        header[20] = 0x4;
        std::memcpy(&header[21], fourCc, 4);
    } else {
        header[20] = 0x40 | (masks.size() > 3 && masks.begin()[3] ? 0x1 : 0);
        header[22] = bits;
        std::copy(masks.begin(), masks.end(), &header[23]);
    }
    header[27] = 0x1000;
    return std::string(reinterpret_cast<const char*>(header), sizeof header) + data;
}

std::string Little(std::initializer_list<std::uint32_t> values, int bytes)
{
    std::string out;
    for (std::uint32_t value : values)
        for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xff);
    return out;
}

// Texels of every format that carries alpha, each decoded as the texture loader decodes it and by
// ImageMagick: the same colour and alpha, to the level but for how five bits become eight. Where
// alpha is 0 the colour is not compared (DXT1's transparent texel).
TEST(DdsAlpha, TexelsAndAlphaAsImageMagickDecodesThem)
{
    const std::uint32_t opaque = 0xffff, grey = 0x8410, red = 0xf800, blue = 0x001f;
    const std::string ramp = Little({0x3210, 0x7654, 0xba98, 0xfedc}, 2);  // 4-bit alpha 0..15
    const std::string indices = Little({0xe4e4e4e4u}, 4);                  // 0, 1, 2, 3 a row
    const struct {
        const char* what;
        std::string file;
        int tolerance;
        bool partial;  // alpha between 0 and 255 too
    } rows[] = {
        // Block one: colour 0 below colour 1, so index 3 is transparent black; block two opaque.
        {"DXT1, one-bit alpha", Dds(8, 4, "DXT1", 0, {},
                                    Little({blue, red}, 2) + indices +
                                        Little({red, blue}, 2) + indices),
         0, false},
        {"DXT3", Dds(8, 4, "DXT3", 0, {},
                     ramp + Little({red, grey}, 2) + indices + Little({0xf0f0, 0x0f0f, 0xff00,
                                                                        0x00ff}, 2) +
                         Little({opaque, blue}, 2) + indices),
         0, true},
        // Alpha 0 above alpha 1: eight steps; below: six, then 0 and 255.
        {"DXT5", Dds(8, 4, "DXT5", 0, {},
                     std::string("\xf0\x10\x88\xc6\xfa\x88\xc6\xfa", 8) +
                         Little({red, grey}, 2) + indices +
                         std::string("\x20\xe0\x88\xc6\xfa\x88\xc6\xfa", 8) +
                         Little({opaque, blue}, 2) + indices),
         0, true},
        {"A8R8G8B8", Dds(4, 2, "", 32, {0xff0000, 0xff00, 0xff, 0xff000000u},
                         Little({0x00ffffff, 0x40ff0000, 0x8000ff00, 0xc00000ff, 0xff808080u,
                                 0x7f102030, 0x01ffffff, 0xfe000000u}, 4)),
         0, true},
        {"A1R5G5B5", Dds(4, 2, "", 16, {0x7c00, 0x3e0, 0x1f, 0x8000},
                         Little({0x7fff, 0xfc00, 0x83e0, 0x001f, 0x8000, 0xffff, 0x4210, 0xc210},
                                2)),
         1, false},  // ImageMagick truncates five bits to eight, where D3DX rounds
    };
    test::TempFolder folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = folder.path + "/t.dds";
        std::ofstream(path, std::ios::binary) << row.file;
        std::vector<std::uint8_t> ours;
        ASSERT_TRUE(DecodeTexture({row.file.begin(), row.file.end()}, 4096, ours));
        const CommandResult theirs = RunCommand(CRS_CONVERT_PATH, {path, "-depth", "8", "rgba:-"});
        ASSERT_EQ(theirs.status, 0) << theirs.err;
        ASSERT_EQ(ours.size(), 8 + theirs.out.size());
        int transparent = 0, partly = 0;
        for (std::size_t i = 0; i < theirs.out.size(); i += 4) {
            const auto* texel = reinterpret_cast<const std::uint8_t*>(theirs.out.data()) + i;
            const std::uint8_t* mine = ours.data() + 8 + i;
            ASSERT_NEAR(mine[3], texel[3], row.tolerance) << "alpha of texel " << i / 4;
            transparent += mine[3] == 0;
            partly += mine[3] > 0 && mine[3] < 255;
            if (texel[3] == 0) continue;
            for (int k = 0; k < 3; ++k)
                ASSERT_NEAR(mine[k], texel[k], row.tolerance) << "channel " << k << " of texel "
                                                              << i / 4;
        }
        // Every file holds each kind of texel that its alpha can give.
        EXPECT_GT(transparent, 0);
        EXPECT_EQ(partly > 0, row.partial);
    }
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
