// One frame of the viewer as the portable backend's call log shows it: the clear, the scene with
// the ten overlay lines, the course and the car with their transforms, light and subsets, and the
// one Present; a frame whose scene does not begin; and the drawing of an empty mesh object.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/app.h"
#include "platform/portable/call_recorder.h"
#include "render/device.h"
#include "render/drawing.h"
#include "render/frame.h"
#include "render/mesh_object.h"
#include "motion/motion_state.h"
#include "tests/platform/d3d_test_support.h"
#include "tests/render/viewer_fixture.h"

namespace {

using Matrix = std::vector<float>;   // 16 values, row by row

const std::vector<std::string> kStartOverlay = {
    "TextOutA(0, 0, \"wx = -4000\", 10)",
    "TextOutA(0, 18, \"wy = 13000\", 10)",
    "TextOutA(0, 36, \"wz = 0\", 6)",
    "TextOutA(0, 54, \"vect_x = 0\", 10)",
    "TextOutA(0, 72, \"vect_y = 0\", 10)",
    "TextOutA(0, 90, \"vect_z = 0\", 10)",
    "TextOutA(0, 108, \"fPosX = 4.000000\", 16)",
    "TextOutA(0, 126, \"fPosY = 0.000000\", 16)",
    "TextOutA(0, 144, \"fPosZ = -13.000000\", 18)",
    "TextOutA(0, 162, \"plate_pos = 0\", 13)",
};

// The calls of DrawCourse or DrawCar: world transform, view, projection, light, then per material
// the material, the texture and the subset. SetTransform lines keep only their target here; their
// matrices are compared as numbers.
std::vector<std::string> DrawingCalls(const char* translation, const char* heading,
                                      const char* pitch, const char* scale,
                                      const char* lightAmbient,
                                      const std::vector<std::string>& subsets)
{
    std::vector<std::string> calls = {"D3DXMatrixIdentity()"};
    if (translation != nullptr) {
        calls.push_back(std::string("D3DXMatrixTranslation(") + translation + ")");
        calls.push_back("D3DXMatrixMultiply()");
    }
    const std::vector<std::string> rest = {
        "D3DXMatrixIdentity()",
        std::string("D3DXMatrixRotationY(") + heading + ")",
        "D3DXMatrixMultiply()",
        std::string("D3DXMatrixRotationX(") + pitch + ")",
        "D3DXMatrixMultiply()",
        "D3DXMatrixRotationZ(0)",
        "D3DXMatrixMultiply()",
        "D3DXMatrixMultiply()",
        std::string("D3DXMatrixScaling(") + scale + ", " + scale + ", " + scale + ")",
        "D3DXMatrixMultiply()",
        "SetTransform(D3DTS_WORLD)",
        "D3DXMatrixRotationY(0)",
        "D3DXMatrixRotationX(0)",
        "D3DXMatrixRotationZ(0)",
        "D3DXMatrixLookAtLH([0, 1, -1.79999995], [0, 0, 1.20000005], [0, 1, 0])",
        "D3DXMatrixIdentity()",
        "D3DXMatrixMultiply()",
        "D3DXMatrixMultiply()",
        "D3DXMatrixMultiply()",
        "D3DXMatrixMultiply()",
        "SetTransform(D3DTS_VIEW)",
        "D3DXMatrixPerspectiveFovLH(0.785398185, 1, 1, 100)",
        "SetTransform(D3DTS_PROJECTION)",
        std::string("SetLight(0, {type 3, diffuse [1, 1, 1, 1], specular [0, 0, 0, 0], ambient [") +
            lightAmbient + ", " + lightAmbient + ", " + lightAmbient + ", " + lightAmbient +
            "], position [0, 0, 0], direction [-0.200000003, -0.800000012, 0], range 200, "
            "falloff 0, attenuation [0, 0, 0], theta 0, phi 0})",
        "LightEnable(0, 1)",
    };
    calls.insert(calls.end(), rest.begin(), rest.end());
    calls.insert(calls.end(), subsets.begin(), subsets.end());
    return calls;
}

const char kWhiteMaterial[] =
    "SetMaterial({diffuse [1, 1, 1, 1], ambient [1, 1, 1, 1], specular [0, 0, 0, 1], "
    "emissive [0, 0, 0, 1], power 8})";
const char kBodyMaterial[] =
    "SetMaterial({diffuse [0.800000012, 0.100000001, 0.100000001, 1], ambient [0.800000012, "
    "0.100000001, 0.100000001, 1], specular [0.300000012, 0.300000012, 0.300000012, 1], "
    "emissive [0, 0, 0, 1], power 20})";

const std::vector<std::string> kGroundSubsets = {kWhiteMaterial, "SetTexture(0, \"ground.png\")",
                                                 "DrawSubset(0)"};
const std::vector<std::string> kCarSubsets = {kBodyMaterial, "SetTexture(0, NULL)", "DrawSubset(0)",
                                              kWhiteMaterial, "SetTexture(0, \"roof.png\")",
                                              "DrawSubset(1)"};

// The log split into calls (SetTransform reduced to its target) and the matrices set, in order.
struct Log {
    std::vector<std::string> calls;
    std::vector<Matrix> matrices;
};

Log ReadLog()
{
    Log log;
    for (const std::string& line : RecordedCalls()) {
        if (line.rfind("SetTransform(", 0) != 0) {
            log.calls.push_back(line);
            continue;
        }
        const std::size_t open = line.find('[');
        log.calls.push_back(line.substr(0, line.find(',')) + ")");
        Matrix m;
        const char* at = line.c_str() + open + 1;
        for (int i = 0; i < 16; i++) {
            char* end = nullptr;
            m.push_back(std::strtof(at, &end));
            at = end + 1;
        }
        log.matrices.push_back(m);
    }
    return log;
}

void ExpectMatrix(const Matrix& actual, const Matrix& expected, const char* what)
{
    ASSERT_EQ(actual.size(), 16u) << what;
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(actual[i], expected[i], 1e-5) << what << " element " << i / 4 + 1 << i % 4 + 1;
}

// Camera at (0, 1, -1.8) looking at (0, 0, 1.2): axes x (1, 0, 0), y (0, 3, 1) / sqrt 10 and
// z (0, -1, 3) / sqrt 10. Projection with a quarter-pi field of view, square, planes 1 and 100.
const Matrix kView = {1, 0, 0, 0, 0, 0.9486833f, -0.3162278f, 0, 0, 0.3162278f, 0.9486833f, 0,
                      0, -0.3794733f, 2.0238577f, 1};
const Matrix kProjection = {2.4142136f, 0, 0, 0, 0, 2.4142136f, 0, 0, 0, 0, 1.0101010f, 1,
                            0, 0, -1.0101010f, 0};

class FrameTest : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        test::ScopedCurrentFolder inData(ViewerDataDir());
        ASSERT_EQ(InitD3D(MainWindow()), S_OK);
        InitPosition();
        hdc_ = GetDC(MainWindow());
    }
    HDC hdc_ = nullptr;
};

TEST_F(FrameTest, StartFrameClearsWritesTheOverlayDrawsCourseThenCarAndPresentsOnce)
{
    RecorderStart();
    Render(hdc_);
    const Log log = ReadLog();

    std::vector<std::string> expected = {"Clear(0, NULL, 3, 0xff646464, 1, 0)", "BeginScene()"};
    expected.insert(expected.end(), kStartOverlay.begin(), kStartOverlay.end());
    const auto course = DrawingCalls("4, 0, -13", "1.57079637", "0", "4.5999999", "0.300000012",
                                     kGroundSubsets);
    const auto car = DrawingCalls(nullptr, "3.14159274", "0", "0.300000012", "0", kCarSubsets);
    expected.insert(expected.end(), course.begin(), course.end());
    expected.insert(expected.end(), car.begin(), car.end());
    expected.push_back("EndScene()");
    expected.push_back("Present(NULL, NULL, NULL, NULL)");
    EXPECT_EQ(log.calls, expected);

    // Course: T(4, 0, -13) Ry(pi/2) S(4.6) brings the point under the car, (-4, 0, 13), to the
    // origin. Car: a half turn and a shrink to 0.3.
    ASSERT_EQ(log.matrices.size(), 6u);
    ExpectMatrix(log.matrices[0],
                 {0, 0, -4.6f, 0, 0, 4.6f, 0, 0, 4.6f, 0, 0, 0, -59.8f, 0, -18.4f, 1},
                 "course world");
    ExpectMatrix(log.matrices[1], kView, "course view");
    ExpectMatrix(log.matrices[2], kProjection, "course projection");
    ExpectMatrix(log.matrices[3], {-0.3f, 0, 0, 0, 0, 0.3f, 0, 0, 0, 0, -0.3f, 0, 0, 0, 0, 1},
                 "car world");
    ExpectMatrix(log.matrices[4], kView, "car view");
    ExpectMatrix(log.matrices[5], kProjection, "car projection");
    EXPECT_STREQ(overlayText, "plate_pos = 0");
}

TEST_F(FrameTest, FrameAfterPressesShowsTheirStateInTheOverlayAndTheCourseTransform)
{
    for (int press = 0; press < 26; press++) WndProc(MainWindow(), WM_KEYDOWN, VK_UP, 0x01480001);
    RecorderStart();
    Render(hdc_);
    const Log log = ReadLog();
    const std::vector<std::string> overlay(log.calls.begin() + 2, log.calls.begin() + 12);
    EXPECT_EQ(overlay, (std::vector<std::string>{
                           "TextOutA(0, 0, \"wx = -9199\", 10)",
                           "TextOutA(0, 18, \"wy = 13000\", 10)",
                           "TextOutA(0, 36, \"wz = 6\", 6)",
                           "TextOutA(0, 54, \"vect_x = 22\", 11)",
                           "TextOutA(0, 72, \"vect_y = 0\", 10)",
                           "TextOutA(0, 90, \"vect_z = 0\", 10)",
                           "TextOutA(0, 108, \"fPosX = 9.199000\", 16)",
                           "TextOutA(0, 126, \"fPosY = 0.006000\", 16)",
                           "TextOutA(0, 144, \"fPosZ = -13.000000\", 18)",
                           "TextOutA(0, 162, \"plate_pos = 26\", 14)",
                       }));
    EXPECT_EQ(log.calls[13], "D3DXMatrixTranslation(9.19900036, 0.00600000005, -13)");
    EXPECT_EQ(log.calls[18], "D3DXMatrixRotationX(6.24943781)");
}

TEST_F(FrameTest, SceneThatDoesNotBeginGetsNoTextNoMeshesNoEndButStillItsPresent)
{
    // A scene already open makes the frame's own BeginScene fail, as in Direct3D.
    ASSERT_EQ(pD3DDevice->BeginScene(), D3D_OK);
    std::snprintf(overlayText, sizeof overlayText, "%s", "left from before");
    RecorderStart();
    Render(hdc_);
    EXPECT_EQ(RecordedCalls(), (std::vector<std::string>{"Clear(0, NULL, 3, 0xff646464, 1, 0)",
                                                         "BeginScene()",
                                                         "Present(NULL, NULL, NULL, NULL)"}));
    EXPECT_STREQ(overlayText, "left from before");
    pD3DDevice->EndScene();

    // The next frame begins again.
    RecorderStart();
    Render(hdc_);
    const std::vector<std::string>& calls = RecordedCalls();
    ASSERT_GT(calls.size(), 12u);
    EXPECT_EQ(calls[2], kStartOverlay[0]);
    EXPECT_EQ(calls[calls.size() - 2], "EndScene()");
    EXPECT_EQ(calls.back(), "Present(NULL, NULL, NULL, NULL)");
}

TEST_F(FrameTest, EmptyMeshObjectSetsTransformsAndLightButDrawsNothing)
{
    // A course that failed to load, or a mesh with no materials, is such a record.
    const MeshObject empty;
    pD3DDevice->BeginScene();
    RecorderStart();
    DrawCourse(empty);
    const Log log = ReadLog();
    EXPECT_EQ(log.calls,
              DrawingCalls("4, 0, -13", "1.57079637", "0", "4.5999999", "0.300000012", {}));
    pD3DDevice->EndScene();
}

TEST_F(FrameTest, MissingCourseDrawsOnlyTheCar)
{
    Cleanup();
    test::TempFolder folder;
    for (const char* file : {"F1.x", "roof.png"})
        std::filesystem::copy_file(std::filesystem::path(ViewerDataDir()) / file,
                                   std::filesystem::path(folder.path) / file);
    {
        test::ScopedCurrentFolder inFolder(folder.path);
        ASSERT_EQ(InitD3D(MainWindow()), S_OK);
    }
    RecorderStart();
    Render(hdc_);
    const Log log = ReadLog();
    int subsets = 0;
    for (const std::string& call : log.calls) subsets += call.rfind("DrawSubset(", 0) == 0;
    EXPECT_EQ(subsets, 2);
    EXPECT_EQ(log.calls.back(), "Present(NULL, NULL, NULL, NULL)");
}

}  // namespace
