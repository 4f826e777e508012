// D3DXLoadMeshFromXA and D3DXCreateTextureFromFileA on small files: materials in file order with
// their texture names, subset i drawing exactly the faces of material i, frames, quads, normals,
// UVs, image formats on screen and their mip chains, files found as Windows finds them, failures
// that leave every output alone, and the leaving out of faces that the view cannot show.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/portable/d3d9/internal.h"
#include "tests/platform/d3d_test_support.h"

namespace {

const int kSize = 200;
const HRESULT kNotFound = static_cast<HRESULT>(0x88760B59);

// Screen pixel of a point on the y = 0 plane under the top-down camera of the fixture: 45 degree
// field of view from 10 units up, +X to the right and +Z up the screen.
int PixelX(float x) { return static_cast<int>(kSize / 2 + x / 4.14213562f * (kSize / 2)); }
int PixelY(float z) { return static_cast<int>(kSize / 2 - z / 4.14213562f * (kSize / 2)); }

D3DXMATRIX TopDownClip()
{
    D3DXMATRIX view, projection, clip;
    const D3DXVECTOR3 eye(0, 10, 0), at(0, 0, 0), up(0, 0, 1);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 3.1415927f / 4.0f, 1.0f, 1.0f, 100.0f);
    return *D3DXMatrixMultiply(&clip, &view, &projection);
}

class XFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = test::MakeWindow(kSize, kSize);
        made_ = test::MakeDevice(&window_->record);
        ASSERT_NE(made_->device, nullptr);
        device_ = made_->device;
        D3DXMATRIX identity;
        const D3DXMATRIX clip = TopDownClip();
        D3DXMatrixIdentity(&identity);
        device_->SetTransform(D3DTS_VIEW, &identity);
        device_->SetTransform(D3DTS_PROJECTION, &clip);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    }
    void TearDown() override
    {
        Release();
        made_.reset();
        window_.reset();
    }
    void Release()
    {
        if (materials_) materials_->Release();
        if (mesh_) mesh_->Release();
        materials_ = nullptr;
        mesh_ = nullptr;
    }
    HRESULT Load(const std::string& path)
    {
        Release();
        return D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, device_, nullptr,
                                  &materials_, nullptr, &count_, &mesh_);
    }
    const D3DXMATERIAL& MaterialAt(DWORD i)
    {
        return static_cast<const D3DXMATERIAL*>(materials_->GetBufferPointer())[i];
    }
    test::Frame DrawSubset(DWORD subset)
    {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff646464, 1.0f, 0);
        device_->BeginScene();
        EXPECT_EQ(mesh_->DrawSubset(subset), D3D_OK);
        device_->EndScene();
        device_->Present(nullptr, nullptr, nullptr, nullptr);
        return test::Capture(&window_->record);
    }

    std::unique_ptr<test::Window> window_;
    std::unique_ptr<test::Device> made_;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXMesh* mesh_ = nullptr;
    ID3DXBuffer* materials_ = nullptr;
    DWORD count_ = 0;
};

void ExpectColour(const D3DCOLORVALUE& c, std::vector<float> rgba)
{
    EXPECT_EQ((std::vector<float>{c.r, c.g, c.b, c.a}), rgba);
}

TEST_F(XFile, MaterialsComeInFileOrderWithTheirTextureNamesOrD3DXDefault)
{
    ASSERT_EQ(Load(test::DataFile("two_materials.x")), D3D_OK);
    ASSERT_EQ(count_, 3u);
    const D3DMATERIAL9& red = MaterialAt(0).MatD3D;
    ExpectColour(red.Diffuse, {1, 0, 0, 1});
    ExpectColour(red.Specular, {0.2f, 0.3f, 0.4f, 1});
    ExpectColour(red.Emissive, {0.1f, 0, 0, 1});
    EXPECT_EQ(red.Power, 5.0f);
    EXPECT_STREQ(MaterialAt(0).pTextureFilename, "tex\\checker.png");
    ExpectColour(MaterialAt(1).MatD3D.Diffuse, {0, 1, 0, 1});  // used by no face, still listed
    EXPECT_EQ(MaterialAt(1).pTextureFilename, nullptr);
    ExpectColour(MaterialAt(2).MatD3D.Diffuse, {0, 0, 1, 0.5f});
    EXPECT_STREQ(MaterialAt(2).pTextureFilename, "Maps\\Sub\\Other.PNG");
    EXPECT_EQ(mesh_->GetNumFaces(), 3u);  // the quad became two triangles

    ASSERT_EQ(Load(test::DataFile("no_materials.x")), D3D_OK);
    ASSERT_EQ(count_, 1u);
    ExpectColour(MaterialAt(0).MatD3D.Diffuse, {0.5f, 0.5f, 0.5f, 0});
    ExpectColour(MaterialAt(0).MatD3D.Specular, {0.5f, 0.5f, 0.5f, 0});
    ExpectColour(MaterialAt(0).MatD3D.Emissive, {0, 0, 0, 0});
    EXPECT_EQ(MaterialAt(0).pTextureFilename, nullptr);
}

TEST_F(XFile, SubsetIDrawsExactlyTheFacesOfMaterialILitByTheFilesNormals)
{
    ASSERT_EQ(Load(test::DataFile("two_materials.x")), D3D_OK);
    // The frame moves everything 1 along +Z: the triangle spans x 1..3, z 0..2, the quad
    // x -3..-1, z 0..2, split along its diagonal from (-3, 0) to (-1, 2).
    const int triangle[2] = {PixelX(1.2f), PixelY(1.5f)};
    const int upperHalf[2] = {PixelX(-2.7f), PixelY(1.5f)}, lowerHalf[2] = {PixelX(-1.3f),
                                                                            PixelY(0.5f)};
    test::Frame frame = DrawSubset(0);
    ASSERT_EQ(frame.width, kSize);
    EXPECT_EQ(frame.At(triangle[0], triangle[1]).r, 255);
    EXPECT_EQ(frame.At(upperHalf[0], upperHalf[1]).r, 100);
    EXPECT_EQ(frame.At(PixelX(1.2f), PixelY(-0.5f)).r, 100);  // where the frame moved it from
    frame = DrawSubset(2);
    EXPECT_EQ(frame.At(triangle[0], triangle[1]).r, 100);
    EXPECT_EQ(frame.At(upperHalf[0], upperHalf[1]).r, 255);
    EXPECT_EQ(frame.At(lowerHalf[0], lowerHalf[1]).r, 255);
    for (DWORD empty : {1u, 3u, 1000u})
        EXPECT_EQ(DrawSubset(empty).At(upperHalf[0], upperHalf[1]).r, 100) << empty;

    // The file's +Y normal under a light straight down: the material's diffuse exactly.
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = {0.0f, -1.0f, 0.0f};
    light.Diffuse = D3DXCOLOR(1, 1, 1, 1);
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    const D3DMATERIAL9 half = test::Material(0.5f, 0.5f, 0.5f);
    device_->SetMaterial(&half);
    EXPECT_NEAR(DrawSubset(0).At(triangle[0], triangle[1]).g, 128, 1);
}

// The quad's far left corner (-3, 2) has uv (0, 0), its near right corner (-1, 0) uv (1, 1); a
// 2 by 2 image shows red top-left, green top-right, blue bottom-left, and one colour of every
// format shows as itself.
TEST_F(XFile, TexturesOfEveryFormatShowWhereTheirCoordinatesPutThem)
{
    ASSERT_EQ(Load(test::DataFile("two_materials.x")), D3D_OK);
    const D3DMATERIAL9 white = test::Material(1, 1, 1);
    device_->SetMaterial(&white);
    test::TempFolder folder;
    const auto shown = [&](const std::string& name, float x, float z) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileA(device_, (folder.path + name).c_str(), &texture),
                  D3D_OK) << name;
        device_->SetTexture(0, texture);
        const test::Rgb rgb = DrawSubset(2).At(PixelX(x), PixelY(z));
        device_->SetTexture(0, nullptr);
        if (texture) {
            EXPECT_EQ(texture->Release(), 0u);
        }
        return std::vector<int>{rgb.r, rgb.g, rgb.b};
    };
    const std::uint8_t quadrants[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    ASSERT_NE(stbi_write_png((folder.path + "/q.png").c_str(), 2, 2, 3, quadrants, 6), 0);
    EXPECT_EQ(shown("/q.png", -2.5f, 1.5f), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(shown("/q.png", -1.5f, 1.5f), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(shown("/q.png", -2.5f, 0.5f), (std::vector<int>{0, 0, 255}));

    // Below level 0 the whole chain, as Direct3D's mip filtering would read it: each texel the
    // mean of the two by two above it, in A8R8G8B8's bytes. A 4 by 2 image, its left half
    // (200, 120, 40), its right half black.
    std::vector<std::uint8_t> halves;
    for (int texel = 0; texel < 8; ++texel) {
        const bool left = texel % 4 < 2;
        halves.insert(halves.end(), {std::uint8_t(left ? 200 : 0), std::uint8_t(left ? 120 : 0),
                                     std::uint8_t(left ? 40 : 0)});
    }
    ASSERT_NE(stbi_write_png((folder.path + "/halves.png").c_str(), 4, 2, 3, halves.data(), 12), 0);
    IDirect3DTexture9* chain = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device_, (folder.path + "/halves.png").c_str(), &chain),
              D3D_OK);
    ASSERT_EQ(chain->GetLevelCount(), 3u);
    const std::vector<std::vector<int>> levels = {{40, 120, 200, 255, 0, 0, 0, 255},
                                                  {20, 60, 100, 255}};
    for (UINT level = 1; level <= 2; ++level) {
        D3DLOCKED_RECT rect{};
        ASSERT_EQ(chain->LockRect(level, &rect, nullptr, D3DLOCK_READONLY), D3D_OK);
        const auto* bytes = static_cast<const std::uint8_t*>(rect.pBits);
        EXPECT_EQ(std::vector<int>(bytes, bytes + levels[level - 1].size()), levels[level - 1])
            << level;
        chain->UnlockRect(level);
    }
    chain->Release();

    std::vector<std::uint8_t> rgb, rgba;
    for (int i = 0; i < 64; ++i) {
        rgb.insert(rgb.end(), {200, 120, 40});
        rgba.insert(rgba.end(), {200, 120, 40, 255});
    }
    const std::string base = folder.path + "/image";
    ASSERT_NE(stbi_write_bmp((base + ".bmp").c_str(), 8, 8, 3, rgb.data()), 0);
    ASSERT_NE(stbi_write_png((base + ".png").c_str(), 8, 8, 4, rgba.data(), 32), 0);
    ASSERT_NE(stbi_write_tga((base + ".tga").c_str(), 8, 8, 4, rgba.data()), 0);
    ASSERT_NE(stbi_write_jpg((base + ".jpg").c_str(), 8, 8, 3, rgb.data(), 95), 0);
    for (const char* suffix : {".bmp", ".png", ".tga", ".jpg"}) {
        const std::vector<int> colour = shown(std::string("/image") + suffix, -2, 1);
        const int tolerance = std::string(suffix) == ".jpg" ? 4 : 0;
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(colour[c], (std::vector<int>{200, 120, 40})[c], tolerance) << suffix;
    }
}

// Files are found with backslashes and in any letter case, as Windows finds them; what fails
// writes no output.
TEST_F(XFile, FilesAreFoundAsWindowsFindsThemAndFailuresWriteNoOutput)
{
    const struct {
        std::string path;
        HRESULT expected;  // as D3DX returns it
    } meshes[] = {
        {test::DataFile("missing.x"), kNotFound},
        {test::DataFile(""), kNotFound},  // a folder, not a file
        {test::DataFile("malformed.x"), E_FAIL},
        {test::DataFile("bad_normal_index.x"), E_FAIL},
        {test::DataFile("not_an_x_file.x"), static_cast<HRESULT>(0x8876035D)},
    };
    for (const auto& c : meshes) {
        auto* mesh = reinterpret_cast<ID3DXMesh*>(0x10);
        auto* buffer = reinterpret_cast<ID3DXBuffer*>(0x20);
        DWORD count = 77;
        EXPECT_EQ(D3DXLoadMeshFromXA(c.path.c_str(), D3DXMESH_SYSTEMMEM, device_, nullptr, &buffer,
                                     nullptr, &count, &mesh),
                  c.expected) << c.path;
        EXPECT_EQ(mesh, reinterpret_cast<ID3DXMesh*>(0x10)) << c.path;
        EXPECT_EQ(buffer, reinterpret_cast<ID3DXBuffer*>(0x20)) << c.path;
        EXPECT_EQ(count, 77u) << c.path;
    }
    test::TempFolder folder;
    std::filesystem::create_directories(folder.path + "/Tex/Sub");
    std::filesystem::create_directories(folder.path + "/folder.png");
    std::filesystem::copy_file(test::DataFile("two_materials.x"), folder.path + "/Tex/Crs.X");
    const std::uint8_t pixel[3] = {1, 2, 3};
    ASSERT_NE(stbi_write_png((folder.path + "/Tex/Sub/Checker.PNG").c_str(), 1, 1, 3, pixel, 3),
              0);
    std::ofstream(folder.path + "/text.png") << "not an image at all";
    std::ofstream(folder.path + "/empty.bmp");
    test::ScopedCurrentFolder here(folder.path);
    EXPECT_EQ(Load("TEX\\crs.x"), D3D_OK);
    for (const char* name : {"Tex\\Sub\\Checker.PNG", "tex\\sub\\checker.png",
                             "TEX\\\\SUB\\CHECKER.png", "tex/Sub/checker.PNG"}) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileA(device_, name, &texture), D3D_OK) << name;
        if (texture) texture->Release();
    }
    for (const char* name : {"missing.png", "tex\\missing.png", "text.png", "empty.bmp",
                             "folder.png", ""}) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileA(device_, name, &texture), kNotFound) << name;
        EXPECT_EQ(texture, nullptr) << name;
    }
}

// A mesh leaves out the runs of faces whose bounds the view cannot show; nothing that shows may
// go with them: not the one stretch in view of a long strip of 400 quads, nor a quad whose
// corners all lie outside the view but on different sides of it.
TEST_F(XFile, FacesInViewAreDrawnHoweverFarTheirMeshReaches)
{
    std::string vertices, faces, subsets;
    int quads = 0;
    const auto quad = [&](float x0, float x1, float y, float z0, float z1, int subset) {
        const std::string sep = quads ? ",\n" : "";
        const float corners[4][2] = {{x0, z0}, {x0, z1}, {x1, z1}, {x1, z0}};
        for (int c = 0; c < 4; ++c)
            vertices += (c ? "," : sep) + std::to_string(corners[c][0]) + ";" +
                        std::to_string(y) + ";" + std::to_string(corners[c][1]) + ";";
        const int v = 4 * quads++;
        faces += sep + "4;" + std::to_string(v) + "," + std::to_string(v + 1) + "," +
                 std::to_string(v + 2) + "," + std::to_string(v + 3) + ";";
        subsets += (sep.empty() ? "" : ",") + std::to_string(subset);
    };
    for (float x = -200; x < 200; ++x) quad(x, x + 1, 0, -0.5f, 0.5f, 0);
    quad(-1000, 1000, -1, -1000, 1000, 1);
    const std::string white = "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n";
    test::TempFolder folder;
    std::ofstream(folder.path + "/quads.x")
        << "xof 0303txt 0032\nMesh {\n" << 4 * quads << ";\n" << vertices << ";\n" << quads
        << ";\n" << faces << ";\nMeshMaterialList {\n2;\n" << quads << ";\n" << subsets
        << ";\n" << white << white << "}\n}\n";
    ASSERT_EQ(Load(folder.path + "/quads.x"), D3D_OK);
    ASSERT_EQ(mesh_->GetNumFaces(), 802u);
    test::Frame frame = DrawSubset(0);
    for (float x = -4.0f; x <= 4.0f; x += 0.25f) {
        EXPECT_EQ(frame.At(PixelX(x), PixelY(0.0f)).r, 255) << x;
        EXPECT_EQ(frame.At(PixelX(x), PixelY(2.0f)).r, 100) << x;
    }
    frame = DrawSubset(1);
    for (int y : {1, kSize / 2, kSize - 2})
        for (int x : {1, kSize / 2, kSize - 2}) EXPECT_EQ(frame.At(x, y).r, 255) << x << "," << y;

    // The test behind it: a box is hidden only wholly beyond one plane of the view, which at
    // y = 0 reaches 4.14 to each side of the origin.
    d3d9::ViewVolume volume{TopDownClip(), 1.0f / kSize, -1.0f / kSize};
    const struct {
        float lower[3], upper[3];
        bool shows;
    } boxes[] = {
        {{5, 0, -1}, {20, 0, 1}, false},        {{-20, 0, -1}, {-5, 0, 1}, false},
        {{-1, 0, 5}, {1, 0, 20}, false},        {{-1, 0, -20}, {1, 0, -5}, false},
        {{-1, 9.5f, -1}, {1, 30, 1}, false},    {{-1, -200, -1}, {1, -95, 1}, false},
        {{3, 0, -1}, {20, 0, 1}, true},         {{-1, -50, -1}, {1, 50, 1}, true},
        {{4.5f, 0, 4.5f}, {4.5f, 0, 4.5f}, false}, {{-1, 0, -1}, {1, 0, 1}, true},
    };
    for (const auto& box : boxes)
        EXPECT_EQ(volume.MayShow(box.lower, box.upper), box.shows) << box.lower[0] << box.lower[1];
}

}  // namespace
