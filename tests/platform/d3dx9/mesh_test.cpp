// D3DXLoadMeshFromXA on small hand-written X files: materials in file order with their texture
// names, subset i drawing exactly the faces of material i, frames, quads, normals and UVs, the
// default material, the failures that must leave every output alone, and the leaving out of
// faces that the view cannot show.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/portable/d3d9/internal.h"
#include "tests/platform/d3d_test_support.h"

namespace {

const int kSize = 200;
const D3DCOLOR kGrey = 0xff646464;

// Screen pixel of a point on the y = 0 plane under the top-down camera of the fixture: 45 degree
// field of view from 10 units up, +X to the right and +Z up the screen.
int PixelX(float x) { return static_cast<int>(kSize / 2 + x / 4.14213562f * (kSize / 2)); }
int PixelY(float z) { return static_cast<int>(kSize / 2 - z / 4.14213562f * (kSize / 2)); }

class XFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = test::MakeWindow(kSize, kSize);
        made_ = test::MakeDevice(&window_->record);
        ASSERT_NE(made_->device, nullptr);
        device_ = made_->device;
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 eye(0, 10, 0), at(0, 0, 0), up(0, 0, 1);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 3.1415927f / 4.0f, 1.0f, 1.0f, 100.0f);
        device_->SetTransform(D3DTS_VIEW, &view);
        device_->SetTransform(D3DTS_PROJECTION, &projection);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    }

    void TearDown() override
    {
        if (texture_) texture_->Release();
        if (materials_) materials_->Release();
        if (mesh_) mesh_->Release();
        made_.reset();
        window_.reset();
    }

    HRESULT Load(const std::string& path)
    {
        return D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, device_, nullptr,
                                  &materials_, nullptr, &count_, &mesh_);
    }

    const D3DXMATERIAL& MaterialAt(DWORD i)
    {
        return static_cast<const D3DXMATERIAL*>(materials_->GetBufferPointer())[i];
    }

    test::Frame DrawSubset(DWORD subset)
    {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kGrey, 1.0f, 0);
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
    IDirect3DTexture9* texture_ = nullptr;
};

void ExpectColour(const D3DCOLORVALUE& c, float r, float g, float b, float a)
{
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

TEST_F(XFile, MaterialsComeInFileOrderWithTheirTextureNames)
{
    ASSERT_EQ(Load(test::DataFile("two_materials.x")), D3D_OK);
    ASSERT_EQ(count_, 3u);
    ASSERT_GE(materials_->GetBufferSize(), 3 * sizeof(D3DXMATERIAL));
    const D3DMATERIAL9& red = MaterialAt(0).MatD3D;
    ExpectColour(red.Diffuse, 1, 0, 0, 1);
    ExpectColour(red.Specular, 0.2f, 0.3f, 0.4f, 1);
    ExpectColour(red.Emissive, 0.1f, 0, 0, 1);
    EXPECT_FLOAT_EQ(red.Power, 5.0f);
    ASSERT_NE(MaterialAt(0).pTextureFilename, nullptr);
    EXPECT_STREQ(MaterialAt(0).pTextureFilename, "tex\\checker.png");

    ExpectColour(MaterialAt(1).MatD3D.Diffuse, 0, 1, 0, 1);  // used by no face, still listed
    EXPECT_EQ(MaterialAt(1).pTextureFilename, nullptr);

    ExpectColour(MaterialAt(2).MatD3D.Diffuse, 0, 0, 1, 0.5f);
    EXPECT_FLOAT_EQ(MaterialAt(2).MatD3D.Power, 2.0f);
    ASSERT_NE(MaterialAt(2).pTextureFilename, nullptr);
    EXPECT_STREQ(MaterialAt(2).pTextureFilename, "Maps\\Sub\\Other.PNG");

    EXPECT_EQ(mesh_->GetNumFaces(), 3u);  // the quad became two triangles
    EXPECT_EQ(mesh_->GetNumVertices(), 7u);
}

TEST_F(XFile, SubsetIDrawsExactlyTheFacesOfMaterialI)
{
    ASSERT_EQ(Load(test::DataFile("two_materials.x")), D3D_OK);
    // The frame moves everything 1 along +Z: the triangle spans x 1..3, z 0..2, the quad
    // x -3..-1, z 0..2, split along its diagonal from (-3, 0) to (-1, 2).
    const int triangleX = PixelX(1.2f), triangleY = PixelY(1.5f);
    const int upperHalfX = PixelX(-2.7f), upperHalfY = PixelY(1.5f);
    const int lowerHalfX = PixelX(-1.3f), lowerHalfY = PixelY(0.5f);

    test::Frame frame = DrawSubset(0);
    ASSERT_EQ(frame.width, kSize);
    EXPECT_EQ(frame.At(triangleX, triangleY).r, 255);
    EXPECT_EQ(frame.At(upperHalfX, upperHalfY).r, 100);
    EXPECT_EQ(frame.At(lowerHalfX, lowerHalfY).r, 100);
    EXPECT_EQ(frame.At(PixelX(1.2f), PixelY(-0.5f)).r, 100);  // where the frame moved it from

    frame = DrawSubset(2);
    EXPECT_EQ(frame.At(triangleX, triangleY).r, 100);
    EXPECT_EQ(frame.At(upperHalfX, upperHalfY).r, 255);
    EXPECT_EQ(frame.At(lowerHalfX, lowerHalfY).r, 255);

    for (DWORD empty : {1u, 3u, 1000u}) {
        frame = DrawSubset(empty);
        EXPECT_EQ(frame.At(triangleX, triangleY).r, 100) << empty;
        EXPECT_EQ(frame.At(upperHalfX, upperHalfY).r, 100) << empty;
    }
}

TEST_F(XFile, AttributeBufferGivesEachFaceItsSubsetForReadingOnly)
{
    ASSERT_EQ(Load(test::DataFile("two_materials.x")), D3D_OK);
    DWORD* attributes = nullptr;
    EXPECT_EQ(mesh_->LockAttributeBuffer(0, &attributes), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh_->UnlockAttributeBuffer(), D3DERR_INVALIDCALL);
    ASSERT_EQ(mesh_->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
    ASSERT_NE(attributes, nullptr);
    // The triangle uses material 0, the quad's two triangles material 2, material 1 no face.
    std::vector<DWORD> faces(attributes, attributes + mesh_->GetNumFaces());
    std::sort(faces.begin(), faces.end());
    EXPECT_EQ(faces, (std::vector<DWORD>{0, 2, 2}));
    DWORD* again = nullptr;
    EXPECT_EQ(mesh_->LockAttributeBuffer(D3DLOCK_READONLY, &again), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh_->UnlockAttributeBuffer(), D3D_OK);
    EXPECT_EQ(mesh_->UnlockAttributeBuffer(), D3DERR_INVALIDCALL);
}

TEST_F(XFile, TextureCoordinatesPutVZeroAtTheTopOfTheImage)
{
    ASSERT_EQ(Load(test::DataFile("two_materials.x")), D3D_OK);
    // 2 by 2: red top-left, green top-right, blue bottom-left, white bottom-right.
    const std::uint8_t pixels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    test::TempFolder folder;
    const std::string path = folder.path + "/quadrants.png";
    ASSERT_NE(stbi_write_png(path.c_str(), 2, 2, 3, pixels, 6), 0);
    ASSERT_EQ(D3DXCreateTextureFromFileA(device_, path.c_str(), &texture_), D3D_OK);
    D3DMATERIAL9 white{};
    white.Diffuse = D3DXCOLOR(1, 1, 1, 1);
    device_->SetMaterial(&white);
    device_->SetTexture(0, texture_);
    // The quad's far left corner (-3, 2) has uv (0, 0), its near right corner (-1, 0) uv (1, 1).
    const test::Frame frame = DrawSubset(2);
    const test::Rgb topLeft = frame.At(PixelX(-2.5f), PixelY(1.5f));
    const test::Rgb topRight = frame.At(PixelX(-1.5f), PixelY(1.5f));
    const test::Rgb bottomLeft = frame.At(PixelX(-2.5f), PixelY(0.5f));
    EXPECT_EQ(topLeft.r, 255);
    EXPECT_EQ(topLeft.g, 0);
    EXPECT_EQ(topRight.g, 255);
    EXPECT_EQ(topRight.r, 0);
    EXPECT_EQ(bottomLeft.b, 255);
    EXPECT_EQ(bottomLeft.r, 0);
}

TEST_F(XFile, NormalsFromTheFileLightTheMesh)
{
    ASSERT_EQ(Load(test::DataFile("two_materials.x")), D3D_OK);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = {0.0f, -1.0f, 0.0f};
    light.Diffuse = D3DXCOLOR(1, 1, 1, 1);
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    D3DMATERIAL9 half{};
    half.Diffuse = D3DXCOLOR(0.5f, 0.5f, 0.5f, 1);
    device_->SetMaterial(&half);
    const test::Frame frame = DrawSubset(0);
    EXPECT_NEAR(frame.At(PixelX(1.2f), PixelY(1.5f)).g, 128, 1);  // +Y normal, light straight down
}

TEST_F(XFile, NoMaterialListGivesD3DXDefaultMaterial)
{
    ASSERT_EQ(Load(test::DataFile("no_materials.x")), D3D_OK);
    ASSERT_EQ(count_, 1u);
    const D3DXMATERIAL& material = MaterialAt(0);
    ExpectColour(material.MatD3D.Diffuse, 0.5f, 0.5f, 0.5f, 0.0f);
    EXPECT_FLOAT_EQ(material.MatD3D.Specular.r, 0.5f);
    EXPECT_FLOAT_EQ(material.MatD3D.Specular.b, 0.5f);
    EXPECT_FLOAT_EQ(material.MatD3D.Power, 0.0f);
    ExpectColour(material.MatD3D.Emissive, 0, 0, 0, 0);
    EXPECT_EQ(material.pTextureFilename, nullptr);
    EXPECT_EQ(mesh_->GetNumFaces(), 1u);
}

TEST_F(XFile, FileNameIsFoundAsWindowsWouldFindIt)
{
    test::ScopedCurrentFolder here(test::DataFile(".."));  // tests/platform
    EXPECT_EQ(Load("DATA\\Two_Materials.X"), D3D_OK);
    EXPECT_EQ(count_, 3u);
}

// Quads as an X file, each given by its corners' x, y and z in clockwise order seen from above,
// subset i holding the quads of material i; every material is white.
std::string QuadsXFile(const std::vector<std::vector<std::array<float, 12>>>& subsets)
{
    std::string vertices, faces, materials;
    int vertexCount = 0, faceCount = 0;
    std::string faceMaterials;
    for (std::size_t m = 0; m < subsets.size(); ++m) {
        for (const auto& quad : subsets[m]) {
            for (int corner = 0; corner < 4; ++corner)
                vertices += (vertexCount + corner ? ",\n" : "") + std::to_string(quad[corner * 3]) +
                            ";" + std::to_string(quad[corner * 3 + 1]) + ";" +
                            std::to_string(quad[corner * 3 + 2]) + ";";
            faces += (faceCount ? ",\n4;" : "4;") + std::to_string(vertexCount) + "," +
                     std::to_string(vertexCount + 1) + "," + std::to_string(vertexCount + 2) +
                     "," + std::to_string(vertexCount + 3) + ";";
            faceMaterials += (faceCount ? "," : "") + std::to_string(m);
            vertexCount += 4;
            ++faceCount;
        }
        materials += "Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n";
    }
    return "xof 0303txt 0032\nMesh {\n" + std::to_string(vertexCount) + ";\n" + vertices +
           ";\n" + std::to_string(faceCount) + ";\n" + faces + ";\nMeshMaterialList {\n" +
           std::to_string(subsets.size()) + ";\n" + std::to_string(faceCount) + ";\n" +
           faceMaterials + ";\n" + materials + "}\n}\n";
}

// A mesh leaves out the runs of faces whose bounds the view cannot show; nothing that shows may
// go with them: not the one stretch in view of a long strip, nor a face whose corners all lie
// outside the view but on different sides of it.
TEST_F(XFile, FacesInViewAreDrawnHoweverFarTheirMeshReaches)
{
    std::vector<std::array<float, 12>> strip, huge;
    for (int i = -200; i < 200; ++i) {
        const float x0 = static_cast<float>(i), x1 = x0 + 1.0f;
        strip.push_back({x0, 0, -0.5f, x0, 0, 0.5f, x1, 0, 0.5f, x1, 0, -0.5f});
    }
    huge.push_back({-1000, -1, -1000, -1000, -1, 1000, 1000, -1, 1000, 1000, -1, -1000});
    test::TempFolder folder;
    const std::string path = folder.path + "/quads.x";
    std::ofstream(path) << QuadsXFile({strip, huge});
    ASSERT_EQ(Load(path), D3D_OK);
    ASSERT_EQ(mesh_->GetNumFaces(), 802u);

    test::Frame frame = DrawSubset(0);
    for (float x = -4.0f; x <= 4.0f; x += 0.25f) {
        EXPECT_EQ(frame.At(PixelX(x), PixelY(0.0f)).r, 255) << x;
        EXPECT_EQ(frame.At(PixelX(x), PixelY(2.0f)).r, 100) << x;
    }
    frame = DrawSubset(1);
    for (int y : {1, kSize / 2, kSize - 2})
        for (int x : {1, kSize / 2, kSize - 2}) EXPECT_EQ(frame.At(x, y).r, 255) << x << "," << y;
}

// The test behind that leaving out: a box is hidden only wholly beyond one plane of the view.
TEST(ViewVolume, HidesOnlyBoxesWhollyBeyondOnePlane)
{
    D3DXMATRIX view, projection, clip;
    const D3DXVECTOR3 eye(0, 10, 0), at(0, 0, 0), up(0, 0, 1);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 3.1415927f / 4.0f, 1.0f, 1.0f, 100.0f);
    D3DXMatrixMultiply(&clip, &view, &projection);
    d3d9::ViewVolume volume;
    volume.clip = clip;
    volume.shiftX = 1.0f / kSize;
    volume.shiftY = -1.0f / kSize;
    struct Case {
        float lower[3], upper[3];
        bool shows;
        const char* what;
    };
    // At y = 0 the view reaches 4.14 to each side of the origin.
    const Case cases[] = {
        {{5, 0, -1}, {20, 0, 1}, false, "right of the view"},
        {{-20, 0, -1}, {-5, 0, 1}, false, "left of it"},
        {{-1, 0, 5}, {1, 0, 20}, false, "above it"},
        {{-1, 0, -20}, {1, 0, -5}, false, "below it"},
        {{-1, 9.5f, -1}, {1, 30, 1}, false, "nearer than the near plane, and behind the eye"},
        {{-1, -200, -1}, {1, -95, 1}, false, "beyond the far plane"},
        {{3, 0, -1}, {20, 0, 1}, true, "across the right edge"},
        {{-1000, -1, -1000}, {1000, -1, 1000}, true, "corners beyond different planes"},
        {{-1, -50, -1}, {1, 50, 1}, true, "through the eye"},
        {{4.5f, 0, 4.5f}, {4.5f, 0, 4.5f}, false, "a point just outside a corner"},
    };
    for (const Case& c : cases) EXPECT_EQ(volume.MayShow(c.lower, c.upper), c.shows) << c.what;
}

TEST_F(XFile, FailuresWriteNoOutput)
{
    auto* const sentinelMesh = reinterpret_cast<ID3DXMesh*>(0x10);
    auto* const sentinelBuffer = reinterpret_cast<ID3DXBuffer*>(0x20);
    struct Case {
        std::string path;
        HRESULT expected;  // as the reference returns it
    };
    const Case cases[] = {
        {test::DataFile("missing.x"), static_cast<HRESULT>(0x88760B59)},
        {test::DataFile(""), static_cast<HRESULT>(0x88760B59)},  // a folder, not a file
        {test::DataFile("malformed.x"), E_FAIL},
        {test::DataFile("bad_normal_index.x"), E_FAIL},
        {test::DataFile("not_an_x_file.x"), static_cast<HRESULT>(0x8876035D)},
    };
    for (const Case& c : cases) {
        ID3DXMesh* mesh = sentinelMesh;
        ID3DXBuffer* buffer = sentinelBuffer;
        DWORD count = 77;
        const HRESULT result = D3DXLoadMeshFromXA(c.path.c_str(), D3DXMESH_SYSTEMMEM, device_,
                                                  nullptr, &buffer, nullptr, &count, &mesh);
        EXPECT_EQ(result, c.expected) << c.path;
        EXPECT_EQ(mesh, sentinelMesh) << c.path;
        EXPECT_EQ(buffer, sentinelBuffer) << c.path;
        EXPECT_EQ(count, 77u) << c.path;
    }
}

}  // namespace
