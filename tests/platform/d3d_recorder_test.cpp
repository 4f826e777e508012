// The call log of the Direct3D and D3DX calls, as the viewer's call-order tests read it.
#include <gtest/gtest.h>

#include "platform/portable/call_recorder.h"
#include "tests/platform/d3d_test_support.h"

namespace {

class Recording : public ::testing::Test {
protected:
    void TearDown() override { RecorderStop(); }
};

TEST_F(Recording, DeviceCallsReadWithTheirArguments)
{
    auto window = test::MakeWindow(32, 32);
    RecorderStart();
    auto made = test::MakeDevice(&window->record);
    ASSERT_NE(made->device, nullptr);
    IDirect3DDevice9* device = made->device;
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x00111111);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff646464, 1.0f, 0);
    device->BeginScene();
    D3DXMATRIXA16 world;
    D3DXMatrixScaling(&world, 4.6f, 4.6f, 4.6f);
    device->SetTransform(D3DTS_WORLD, &world);
    test::SetCourseLight(device, 0.3f);
    D3DMATERIAL9 material = test::Material(1, 0, 0);
    device->SetMaterial(&material);
    device->SetTexture(0, nullptr);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    made.reset();

    const std::vector<std::string> expected = {
        "Direct3DCreate9(32)",
        "CreateDevice(0, D3DDEVTYPE_HAL, window, 0x80)",
        "SetRenderState(D3DRS_ZENABLE, 1)",
        "SetRenderState(D3DRS_AMBIENT, 0x00111111)",
        "Clear(0, NULL, 3, 0xff646464, 1, 0)",
        "BeginScene()",
        "D3DXMatrixScaling(4.5999999, 4.5999999, 4.5999999)",
        "SetTransform(D3DTS_WORLD, [4.5999999, 0, 0, 0, 0, 4.5999999, 0, 0, 0, 0, 4.5999999, 0, "
        "0, 0, 0, 1])",
        "SetLight(0, {type 3, diffuse [1, 1, 1, 1], specular [0, 0, 0, 0], ambient [0.300000012, "
        "0.300000012, 0.300000012, 0.300000012], position [0, 0, 0], direction [-0.200000003, "
        "-0.800000012, 0], range 200, falloff 0, attenuation [0, 0, 0], theta 0, phi 0})",
        "LightEnable(0, 1)",
        "SetMaterial({diffuse [1, 0, 0, 1], ambient [1, 0, 0, 1], specular [0, 0, 0, 0], "
        "emissive [0, 0, 0, 0], power 0})",
        "SetTexture(0, NULL)",
        "EndScene()",
        "Present(NULL, NULL, NULL, NULL)",
        "Release(IDirect3DDevice9)",
        "Release(IDirect3D9)",
    };
    EXPECT_EQ(RecordedCalls(), expected);
}

TEST_F(Recording, MeshAndTextureCallsNameTheirFilesAndSubsets)
{
    auto window = test::MakeWindow(32, 32);
    auto made = test::MakeDevice(&window->record);
    ASSERT_NE(made->device, nullptr);
    RecorderStart();
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    ASSERT_EQ(D3DXLoadMeshFromXA(test::DataFile("plane.x").c_str(), D3DXMESH_SYSTEMMEM,
                                 made->device, nullptr, &materials, nullptr, &count, &mesh),
              D3D_OK);
    materials->GetBufferPointer();
    IDirect3DTexture9* texture = nullptr;
    D3DXCreateTextureFromFileA(made->device, "no such file.png", &texture);
    mesh->DrawSubset(2);
    materials->Release();
    mesh->Release();
    const std::vector<std::string> expected = {
        "D3DXLoadMeshFromXA(\"" + test::DataFile("plane.x") + "\", 0x110)",
        "GetBufferPointer()",
        "D3DXCreateTextureFromFileA(\"no such file.png\")",
        "DrawSubset(2)",
        "Release(ID3DXBuffer)",
        "Release(ID3DXMesh)",
    };
    EXPECT_EQ(RecordedCalls(), expected);
}

TEST_F(Recording, NothingIsLoggedWhenSwitchedOff)
{
    RecorderStart();
    RecorderStop();
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    d3d->Release();
    EXPECT_TRUE(RecordedCalls().empty());
}

}  // namespace
