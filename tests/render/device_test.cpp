// Device set-up and teardown as the viewer does them: the hardware-to-reference fallback, the
// message boxes of each failure with their captions, what is loaded and what is left held, the
// materials as loaded, and everything released once.
#include <algorithm>
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

struct Box {
    const char* text;
    const char* caption;   // null: no caption given
};

struct InitRow {
    const char* what;
    D3DFaults faults;
    std::vector<const char*> files;   // of the test data; the rest are missing
    HRESULT result;
    std::vector<Box> boxes;
    bool course, car;   // loaded
};

const std::vector<const char*> kAll = {"crs.x", "ground.png", "F1.x", "roof.png"};

const InitRow kInitRows[] = {
    {"everything there", {}, kAll, S_OK, {}, true, true},
    {"no hardware device", {false, true, false}, kAll, S_OK, {{kHalFailed, nullptr}}, true, true},
    {"no device of either type", {false, true, true}, kAll, E_FAIL,
     {{kHalFailed, nullptr}, {kDeviceFailed, nullptr}}, false, false},
    {"no Direct3D", {true, false, false}, kAll, E_FAIL, {{kCreateD3DFailed, ""}}, false, false},
    {"no course", {}, {"F1.x", "roof.png"}, S_OK, {{kXFileFailed, "crs.x"}}, false, true},
    {"no car", {}, {"crs.x", "ground.png"}, S_OK, {{kXFileFailed, "F1.x"}}, true, false},
    {"no course texture", {}, {"crs.x", "F1.x", "roof.png"}, S_OK, {{kTextureFailed, nullptr}},
     true, true},
};

using InitD3DTest = ViewerTest;

TEST_F(InitD3DTest, EachFailureIsToldWithItsCaptionAndWhatLoadsStillLoads)
{
    for (const InitRow& row : kInitRows) {
        SCOPED_TRACE(row.what);
        test::TempFolder data;
        for (const char* file : row.files)
            fs::copy_file(fs::path(ViewerDataDir()) / file, fs::path(data.path) / file);
        test::ScopedCurrentFolder inData(data.path);
        SetD3DFaults(row.faults);
        MessageBoxCaptureStart();
        RecorderStart();
        EXPECT_EQ(InitD3D(MainWindow()), row.result);
        // When no device can be made, the object that was made is released before the end; the
        // reference device is tried only after the user has been told the hardware one failed.
        const auto& calls = RecordedCalls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "Release(IDirect3D9)"),
                  row.faults.refDevice ? 1 : 0);
        const auto firstOf = [&](const char* prefix) {
            return std::find_if(calls.begin(), calls.end(),
                                [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
        };
        if (row.faults.halDevice) {
            EXPECT_LT(firstOf("MessageBoxA("), firstOf("CreateDevice(0, D3DDEVTYPE_REF"));
        }
        const auto& boxes = CapturedMessageBoxes();
        ASSERT_EQ(boxes.size(), row.boxes.size());
        for (std::size_t i = 0; i < boxes.size(); i++) {
            EXPECT_EQ(boxes[i].text, row.boxes[i].text);
            EXPECT_EQ(boxes[i].captionNull, row.boxes[i].caption == nullptr);
            EXPECT_EQ(boxes[i].rawCaption, row.boxes[i].caption ? row.boxes[i].caption : "");
        }
        // A failed set-up holds nothing; a missing file leaves its record empty.
        EXPECT_EQ(pD3D != nullptr, row.result == S_OK);
        EXPECT_EQ(pD3DDevice != nullptr, row.result == S_OK);
        EXPECT_EQ(meshObjects[0].pMesh != nullptr, row.course);
        EXPECT_EQ(meshObjects[0].pMeshMaterials != nullptr, row.course);
        EXPECT_EQ(meshObjects[0].dwNumMaterials, row.course ? 1u : 0u);
        EXPECT_EQ(meshObjects[1].pMesh != nullptr, row.car);
        if (row.course) {
            const bool textured = std::find(row.files.begin(), row.files.end(),
                                            std::string("ground.png")) != row.files.end();
            EXPECT_EQ(meshObjects[0].pMeshTextures[0] != nullptr, textured);
        }
        Cleanup();
        SetD3DFaults(D3DFaults{});
    }
}

TEST_F(InitD3DTest, MaterialsTakeTheirDiffuseAsAmbientAndTexturesFollowTheirNames)
{
    test::ScopedCurrentFolder inData(ViewerDataDir());
    ASSERT_EQ(InitD3D(MainWindow()), S_OK);
    const MeshObject& car = meshObjects[1];
    ASSERT_EQ(car.dwNumMaterials, 2u);
    // Body: red, untextured, with the grey specular the file gives; the roof is textured.
    const D3DMATERIAL9& body = car.pMeshMaterials[0];
    EXPECT_EQ(std::vector<float>({body.Ambient.r, body.Ambient.g, body.Ambient.a}),
              std::vector<float>({0.8f, 0.1f, 1.0f}));
    EXPECT_FLOAT_EQ(body.Specular.r, 0.3f);
    EXPECT_FLOAT_EQ(body.Power, 20.0f);
    EXPECT_EQ(car.pMeshTextures[0], nullptr);
    EXPECT_NE(car.pMeshTextures[1], nullptr);
}

// Cleanup releases all, once: two meshes, two textures, the device, the object.
TEST_F(InitD3DTest, CleanupReleasesEverythingOnce)
{
    test::ScopedCurrentFolder inData(ViewerDataDir());
    ASSERT_EQ(InitD3D(MainWindow()), S_OK);
    RecorderStart();
    Cleanup();
    Cleanup();
    EXPECT_EQ(RecordedCalls().size(), 6u);
    EXPECT_EQ(meshObjects[1].dwNumMaterials, 0u);
}

}  // namespace
