// D3DXCreateTextureFromFileA: the image formats it reads, the file found as Windows would find
// it, and the failures that leave the output null.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <filesystem>
#include <fstream>

#include "render/device.h"
#include "render/drawing.h"
#include "tests/platform/d3d_test_support.h"

namespace {

const int kSize = 64;

class TextureFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = test::MakeWindow(kSize, kSize);
        made_ = test::MakeDevice(&window_->record);
        ASSERT_NE(made_->device, nullptr);
        device_ = made_->device;
        ASSERT_EQ(D3DXLoadMeshFromXA(test::DataFile("plane.x").c_str(), D3DXMESH_SYSTEMMEM,
                                     device_, nullptr, nullptr, nullptr, nullptr, &plane_),
                  D3D_OK);
        pD3DDevice = device_;
        SetViewAndProjection();
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    }

    void TearDown() override
    {
        if (plane_) plane_->Release();
        pD3DDevice = nullptr;
        made_.reset();
        window_.reset();
    }

    // The colour the texture shows on the unlit plane.
    test::Rgb Shown(IDirect3DTexture9* texture)
    {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff646464, 1.0f, 0);
        device_->BeginScene();
        device_->SetTexture(0, texture);
        plane_->DrawSubset(0);
        device_->EndScene();
        device_->Present(nullptr, nullptr, nullptr, nullptr);
        const test::Frame frame = test::Capture(&window_->record);
        return frame.width == kSize ? frame.At(kSize / 2, kSize * 3 / 4) : test::Rgb{-1, -1, -1};
    }

    std::unique_ptr<test::Window> window_;
    std::unique_ptr<test::Device> made_;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXMesh* plane_ = nullptr;
    test::TempFolder folder_;
};

// An 8 by 8 image of one colour, as `channels` channels.
std::vector<std::uint8_t> Solid(int channels)
{
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 64; ++i) {
        const std::uint8_t texel[4] = {200, 120, 40, 255};
        pixels.insert(pixels.end(), texel, texel + channels);
    }
    return pixels;
}

TEST_F(TextureFile, ReadsBmpPngTgaAndJpg)
{
    const std::string base = folder_.path + "/image";
    const auto rgb = Solid(3), rgba = Solid(4);
    ASSERT_NE(stbi_write_bmp((base + ".bmp").c_str(), 8, 8, 3, rgb.data()), 0);
    ASSERT_NE(stbi_write_png((base + ".png").c_str(), 8, 8, 3, rgb.data(), 24), 0);
    ASSERT_NE(stbi_write_png((base + "_alpha.png").c_str(), 8, 8, 4, rgba.data(), 32), 0);
    ASSERT_NE(stbi_write_tga((base + ".tga").c_str(), 8, 8, 4, rgba.data()), 0);
    ASSERT_NE(stbi_write_jpg((base + ".jpg").c_str(), 8, 8, 3, rgb.data(), 95), 0);
    for (const char* suffix : {".bmp", ".png", "_alpha.png", ".tga", ".jpg"}) {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileA(device_, (base + suffix).c_str(), &texture), D3D_OK)
            << suffix;
        ASSERT_NE(texture, nullptr);
        const test::Rgb shown = Shown(texture);
        const int tolerance = std::string(suffix) == ".jpg" ? 4 : 0;
        EXPECT_NEAR(shown.r, 200, tolerance) << suffix;
        EXPECT_NEAR(shown.g, 120, tolerance) << suffix;
        EXPECT_NEAR(shown.b, 40, tolerance) << suffix;
        device_->SetTexture(0, nullptr);
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(TextureFile, FindsTheFileWithBackslashesAndAnyLetterCase)
{
    std::filesystem::create_directories(folder_.path + "/Tex/Sub");
    const auto rgb = Solid(3);
    ASSERT_NE(stbi_write_png((folder_.path + "/Tex/Sub/Checker.PNG").c_str(), 8, 8, 3, rgb.data(),
                             24),
              0);
    test::ScopedCurrentFolder here(folder_.path);
    for (const char* name : {"Tex\\Sub\\Checker.PNG", "tex\\sub\\checker.png",
                             "TEX\\\\SUB\\CHECKER.png", "tex/Sub/checker.PNG"}) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileA(device_, name, &texture), D3D_OK) << name;
        ASSERT_NE(texture, nullptr) << name;
        texture->Release();
    }
}

TEST_F(TextureFile, FailuresLeaveTheOutputNull)
{
    std::ofstream(folder_.path + "/text.png") << "not an image at all";
    std::ofstream(folder_.path + "/empty.bmp");
    std::filesystem::create_directories(folder_.path + "/folder.png");
    test::ScopedCurrentFolder here(folder_.path);
    for (const char* name : {"missing.png", "tex\\missing.png", "text.png", "empty.bmp",
                             "folder.png", ""}) {
        IDirect3DTexture9* texture = nullptr;
        const HRESULT result = D3DXCreateTextureFromFileA(device_, name, &texture);
        EXPECT_EQ(result, static_cast<HRESULT>(0x88760B59)) << name;
        EXPECT_EQ(texture, nullptr) << name;
    }
}

}  // namespace
