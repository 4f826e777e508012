// Device set-up and teardown as the viewer does them, read from the portable backend's call log
// and its captured message boxes: the hardware-to-reference fallback, the messages and captions,
// the load order of the two meshes, the render states, the failure paths and the release order.
#include <filesystem>

#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/fault_hook.h"
#include "platform/portable/win32/message_box_hook.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "tests/platform/d3d_test_support.h"
#include "tests/render/viewer_fixture.h"

namespace {

namespace fs = std::filesystem;

const char kCreateD3DFailed[] = "Direct3Dの作成に失敗しました";
const char kHalFailed[] = "HALモードでDIRECT3Dデバイスを作成できません\nREFモードで再試行します";
const char kDeviceFailed[] = "DIRECT3Dデバイスの作成に失敗しました";
const char kXFileFailed[] = "Xファイルの読み込みに失敗しました";
const char kTextureFailed[] = "テクスチャの読み込みに失敗しました";

const std::vector<std::string> kRenderStates = {
    "SetRenderState(D3DRS_ZENABLE, 1)",
    "SetRenderState(D3DRS_LIGHTING, 1)",
    "SetRenderState(D3DRS_AMBIENT, 0x00111111)",
    "SetRenderState(D3DRS_SPECULARENABLE, 1)",
};

// The loads of the test data: the ground with its texture, then the car with its roof texture.
const std::vector<std::string> kLoads = {
    "D3DXLoadMeshFromXA(\"crs.x\", 0x110)",
    "GetBufferPointer()",
    "D3DXCreateTextureFromFileA(\"ground.png\")",
    "Release(ID3DXBuffer)",
    "D3DXLoadMeshFromXA(\"F1.x\", 0x110)",
    "GetBufferPointer()",
    "D3DXCreateTextureFromFileA(\"roof.png\")",
    "Release(ID3DXBuffer)",
};

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string MessageBoxLine(const std::string& text, const char* caption)
{
    std::string escaped;
    for (char c : text) escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
    return "MessageBoxA(\"" + escaped + "\", " +
           (caption ? "\"" + std::string(caption) + "\"" : std::string("NULL")) + ", 0)";
}

void ExpectBox(const CapturedMessageBox& box, const char* text, const char* caption)
{
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.captionNull, caption == nullptr);
    if (caption != nullptr) {
        EXPECT_EQ(box.rawCaption, caption);
    }
}

void ExpectEmpty(const MeshObject& meshObject)
{
    EXPECT_EQ(meshObject.pMesh, nullptr);
    EXPECT_EQ(meshObject.pMeshMaterials, nullptr);
    EXPECT_EQ(meshObject.pMeshTextures, nullptr);
    EXPECT_EQ(meshObject.dwNumMaterials, 0u);
}

// A folder holding only the named files of the test data.
struct PartialData {
    test::TempFolder folder;
    explicit PartialData(std::initializer_list<const char*> files)
    {
        for (const char* file : files)
            fs::copy_file(fs::path(ViewerDataDir()) / file, fs::path(folder.path) / file);
    }
};

using InitD3DTest = ViewerTest;

TEST_F(InitD3DTest, HardwareDeviceThenCourseThenCarThenTheFourRenderStates)
{
    HWND window = MainWindow();
    test::ScopedCurrentFolder inData(ViewerDataDir());
    RecorderStart();
    EXPECT_EQ(InitD3D(window), S_OK);
    EXPECT_EQ(RecordedCalls(), Join({{"Direct3DCreate9(32)",
                                      "CreateDevice(0, D3DDEVTYPE_HAL, window, 0x80)"},
                                     kLoads, kRenderStates}));
    EXPECT_TRUE(CapturedMessageBoxes().empty());
    EXPECT_NE(pD3D, nullptr);
    EXPECT_NE(pD3DDevice, nullptr);
}

TEST_F(InitD3DTest, MaterialsTakeTheirDiffuseAsAmbientAndTexturesFollowTheirNames)
{
    test::ScopedCurrentFolder inData(ViewerDataDir());
    ASSERT_EQ(InitD3D(MainWindow()), S_OK);
    const MeshObject& car = meshObjects[1];
    ASSERT_NE(car.pMesh, nullptr);
    ASSERT_EQ(car.dwNumMaterials, 2u);
    // Body: red, untextured, with a grey specular the file gives; the roof is textured.
    const D3DMATERIAL9& body = car.pMeshMaterials[0];
    EXPECT_FLOAT_EQ(body.Diffuse.r, 0.8f);
    EXPECT_FLOAT_EQ(body.Ambient.r, 0.8f);
    EXPECT_FLOAT_EQ(body.Ambient.g, 0.1f);
    EXPECT_FLOAT_EQ(body.Ambient.b, 0.1f);
    EXPECT_FLOAT_EQ(body.Ambient.a, 1.0f);
    EXPECT_FLOAT_EQ(body.Specular.r, 0.3f);
    EXPECT_FLOAT_EQ(body.Power, 20.0f);
    EXPECT_EQ(car.pMeshTextures[0], nullptr);
    EXPECT_NE(car.pMeshTextures[1], nullptr);
    EXPECT_EQ(meshObjects[0].dwNumMaterials, 1u);
    EXPECT_NE(meshObjects[0].pMeshTextures[0], nullptr);
}

TEST_F(InitD3DTest, HardwareFailureIsToldBeforeTheReferenceDeviceIsTried)
{
    HWND window = MainWindow();
    test::ScopedCurrentFolder inData(ViewerDataDir());
    D3DFaults faults;
    faults.halDevice = true;
    SetD3DFaults(faults);
    RecorderStart();
    EXPECT_EQ(InitD3D(window), S_OK);
    EXPECT_EQ(RecordedCalls(),
              Join({{"Direct3DCreate9(32)", "CreateDevice(0, D3DDEVTYPE_HAL, window, 0x80)",
                     MessageBoxLine(kHalFailed, nullptr),
                     "CreateDevice(0, D3DDEVTYPE_REF, window, 0x80)"},
                    kLoads, kRenderStates}));
    ASSERT_EQ(CapturedMessageBoxes().size(), 1u);
    ExpectBox(CapturedMessageBoxes()[0], kHalFailed, nullptr);
    EXPECT_NE(pD3DDevice, nullptr);
}

TEST_F(InitD3DTest, BothDeviceTypesFailingIsToldTwiceAndReleasesTheObject)
{
    HWND window = MainWindow();
    test::ScopedCurrentFolder inData(ViewerDataDir());
    D3DFaults faults;
    faults.halDevice = faults.refDevice = true;
    SetD3DFaults(faults);
    RecorderStart();
    EXPECT_EQ(InitD3D(window), E_FAIL);
    // No mesh is loaded and no render state set; nothing is left held.
    EXPECT_EQ(RecordedCalls(),
              (std::vector<std::string>{"Direct3DCreate9(32)",
                                        "CreateDevice(0, D3DDEVTYPE_HAL, window, 0x80)",
                                        MessageBoxLine(kHalFailed, nullptr),
                                        "CreateDevice(0, D3DDEVTYPE_REF, window, 0x80)",
                                        MessageBoxLine(kDeviceFailed, nullptr),
                                        "Release(IDirect3D9)"}));
    ASSERT_EQ(CapturedMessageBoxes().size(), 2u);
    ExpectBox(CapturedMessageBoxes()[0], kHalFailed, nullptr);
    ExpectBox(CapturedMessageBoxes()[1], kDeviceFailed, nullptr);
    EXPECT_EQ(pD3D, nullptr);
    EXPECT_EQ(pD3DDevice, nullptr);
    ExpectEmpty(meshObjects[0]);
    ExpectEmpty(meshObjects[1]);
}

TEST_F(InitD3DTest, NoDirect3DIsToldWithAnEmptyCaptionAndNothingElseIsTried)
{
    HWND window = MainWindow();
    D3DFaults faults;
    faults.direct3DCreate9 = true;
    SetD3DFaults(faults);
    RecorderStart();
    EXPECT_EQ(InitD3D(window), E_FAIL);
    EXPECT_EQ(RecordedCalls(), (std::vector<std::string>{"Direct3DCreate9(32)",
                                                         MessageBoxLine(kCreateD3DFailed, "")}));
    ASSERT_EQ(CapturedMessageBoxes().size(), 1u);
    ExpectBox(CapturedMessageBoxes()[0], kCreateD3DFailed, "");
    EXPECT_EQ(pD3D, nullptr);
}

TEST_F(InitD3DTest, MissingCourseIsToldWithItsNameAndTheCarStillLoads)
{
    HWND window = MainWindow();
    PartialData data({"F1.x", "roof.png"});
    test::ScopedCurrentFolder inData(data.folder.path);
    meshObjects[0].vecPosition = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    RecorderStart();
    EXPECT_EQ(InitD3D(window), S_OK);
    EXPECT_EQ(RecordedCalls(),
              Join({{"Direct3DCreate9(32)", "CreateDevice(0, D3DDEVTYPE_HAL, window, 0x80)",
                     "D3DXLoadMeshFromXA(\"crs.x\", 0x110)", MessageBoxLine(kXFileFailed, "crs.x"),
                     "D3DXLoadMeshFromXA(\"F1.x\", 0x110)", "GetBufferPointer()",
                     "D3DXCreateTextureFromFileA(\"roof.png\")", "Release(ID3DXBuffer)"},
                    kRenderStates}));
    ASSERT_EQ(CapturedMessageBoxes().size(), 1u);
    ExpectBox(CapturedMessageBoxes()[0], kXFileFailed, "crs.x");
    // The course stays empty but takes its position; the car is loaded.
    ExpectEmpty(meshObjects[0]);
    EXPECT_EQ(meshObjects[0].vecPosition, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_NE(meshObjects[1].pMesh, nullptr);
}

TEST_F(InitD3DTest, MissingCarIsToldWithItsName)
{
    HWND window = MainWindow();
    PartialData data({"crs.x", "ground.png"});
    test::ScopedCurrentFolder inData(data.folder.path);
    EXPECT_EQ(InitD3D(window), S_OK);
    ASSERT_EQ(CapturedMessageBoxes().size(), 1u);
    ExpectBox(CapturedMessageBoxes()[0], kXFileFailed, "F1.x");
    EXPECT_NE(meshObjects[0].pMesh, nullptr);
    ExpectEmpty(meshObjects[1]);
}

TEST_F(InitD3DTest, MissingTextureIsToldWithoutCaptionAndItsMaterialStaysUntextured)
{
    HWND window = MainWindow();
    PartialData data({"crs.x", "F1.x", "roof.png"});
    test::ScopedCurrentFolder inData(data.folder.path);
    EXPECT_EQ(InitD3D(window), S_OK);
    ASSERT_EQ(CapturedMessageBoxes().size(), 1u);
    ExpectBox(CapturedMessageBoxes()[0], kTextureFailed, nullptr);
    ASSERT_NE(meshObjects[0].pMesh, nullptr);
    ASSERT_EQ(meshObjects[0].dwNumMaterials, 1u);
    EXPECT_EQ(meshObjects[0].pMeshTextures[0], nullptr);
    EXPECT_NE(meshObjects[1].pMeshTextures[1], nullptr);
}

using CleanupTest = ViewerTest;

TEST_F(CleanupTest, ReleasesMeshesTexturesDeviceAndObjectInThatOrderAndOnlyOnce)
{
    test::ScopedCurrentFolder inData(ViewerDataDir());
    ASSERT_EQ(InitD3D(MainWindow()), S_OK);
    RecorderStart();
    Cleanup();
    EXPECT_EQ(RecordedCalls(), (std::vector<std::string>{
                                   "Release(ID3DXMesh)", "Release(ID3DXMesh)",
                                   "Release(IDirect3DTexture9)", "Release(IDirect3DTexture9)",
                                   "Release(IDirect3DDevice9)", "Release(IDirect3D9)"}));
    EXPECT_EQ(pD3D, nullptr);
    EXPECT_EQ(pD3DDevice, nullptr);
    ExpectEmpty(meshObjects[0]);
    ExpectEmpty(meshObjects[1]);

    RecorderStart();
    Cleanup();
    EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(CleanupTest, WithNothingMadeCallsNothing)
{
    RecorderStart();
    Cleanup();
    EXPECT_TRUE(RecordedCalls().empty());
}

}  // namespace
