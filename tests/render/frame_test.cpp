// One frame of the viewer, read from the portable backend's call log: the course's world transform
// where the pitch is not zero, the overlay of that state, a scene that does not begin, and mesh
// objects with nothing to draw.
#include <cstdlib>
#include <filesystem>

#include "app/app.h"
#include "platform/portable/call_recorder.h"
#include "render/device.h"
#include "render/drawing.h"
#include "render/frame.h"
#include "tests/platform/d3d_test_support.h"
#include "tests/render/viewer_fixture.h"

namespace {

// The recorded calls starting with `prefix`, in order.
std::vector<std::string> Calls(const char* prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : RecordedCalls())
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

// The 16 values of a recorded SetTransform line.
std::vector<float> MatrixOf(const std::string& line)
{
    std::vector<float> m;
    const char* at = line.c_str() + line.find('[') + 1;
    for (int i = 0; i < 16; i++) {
        char* end = nullptr;
        m.push_back(std::strtof(at, &end));
        at = end + 1;
    }
    return m;
}

class FrameTest : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        test::ScopedCurrentFolder inData(ViewerDataDir());
        ASSERT_EQ(InitD3D(MainWindow()), S_OK);
        hdc_ = GetDC(MainWindow());
    }
    HDC hdc_ = nullptr;
};

// After 26 presses the course is pitched (crsAngleX 4074) and turned (crsAngleY 1024), so the
// order of the factors shows: T(9.199, 0.006, -13) Ry(pi/2) Rx(-22 steps) S(4.6), worked out
// apart from the code. Rx before Ry would give row 1 as (0, 0, -4.6).
TEST_F(FrameTest, CourseWorldTransformWherePitchIsNotZeroAndItsOverlay)
{
    for (int i = 0; i < 26; i++) WndProc(MainWindow(), WM_KEYDOWN, VK_UP, 0x01480001);
    RecorderStart();
    Render(hdc_);
    const std::vector<std::string> worlds = Calls("SetTransform(D3DTS_WORLD");
    ASSERT_EQ(worlds.size(), 2u);
    // Then the car: a half turn and a shrink to 0.3 about the origin.
    const float expected[2][16] = {
        {0, -0.15521f, -4.59738f, 0, 0, 4.59738f, -0.15521f, 0, 4.6f, 0, 0, 0, -59.8f, -1.40019f,
         -42.29224f, 1},
        {-0.3f, 0, 0, 0, 0, 0.3f, 0, 0, 0, 0, -0.3f, 0, 0, 0, 0, 1}};
    for (int w = 0; w < 2; w++)
        for (int i = 0; i < 16; i++)
            EXPECT_NEAR(MatrixOf(worlds[w])[i], expected[w][i], 1e-4) << w << ", " << i;
    // The course's light has an ambient term of 0.3, the car's none.
    const std::vector<std::string> lights = Calls("SetLight(");
    ASSERT_EQ(lights.size(), 2u);
    EXPECT_NE(lights[0].find("ambient [0.300000012, "), std::string::npos) << lights[0];
    EXPECT_NE(lights[1].find("ambient [0, 0, 0, 0]"), std::string::npos) << lights[1];

    // The overlay: the state's ten lines, 18 pixels apart.
    const std::vector<std::string> texts = Calls("TextOutA(");
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[0], "TextOutA(0, 0, \"wx = -9199\", 10)");
    EXPECT_EQ(texts[9], "TextOutA(0, 162, \"plate_pos = 26\", 14)");
    EXPECT_STREQ(overlayText, "plate_pos = 26");
}

TEST_F(FrameTest, SceneThatDoesNotBeginGetsNoTextNoMeshesNoEndButStillItsPresent)
{
    // A scene already open makes the frame's own BeginScene fail, as in Direct3D.
    ASSERT_EQ(pD3DDevice->BeginScene(), D3D_OK);
    std::snprintf(overlayText, sizeof overlayText, "%s", "left from before");
    RecorderStart();
    Render(hdc_);
    EXPECT_EQ(RecordedCalls().size(), 3u) << "Clear, BeginScene, Present";
    EXPECT_STREQ(overlayText, "left from before");
    pD3DDevice->EndScene();

    // The next frame begins again.
    RecorderStart();
    Render(hdc_);
    EXPECT_EQ(Calls("TextOutA(").size(), 10u);
    EXPECT_EQ(Calls("EndScene(").size(), 1u);
}

// A course that failed to load, or a mesh without materials, is an empty record: the frame
// draws the car's two subsets alone and is presented.
TEST_F(FrameTest, EmptyMeshObjectDrawsNothingAndTheCarStillDraws)
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
    EXPECT_EQ(Calls("DrawSubset("), (std::vector<std::string>{"DrawSubset(0)", "DrawSubset(1)"}));
    EXPECT_EQ(Calls("Present(").size(), 1u);
    // The log is the viewer's: the device calls that D3DX makes to draw a subset are not in it.
    EXPECT_EQ(Calls("DrawIndexedPrimitive(").size(), 0u);
}

}  // namespace
