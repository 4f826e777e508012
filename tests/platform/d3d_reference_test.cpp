// The portable device against the reference: the probe scene (a course with a textured and an
// untextured material, a car, the course drawing's camera, light and states) drawn here must
// match the frame that the same source showed when built with mingw-w64 and run under Wine in
// Xvfb (tests/reference/wine_probe*.png, made by scripts/compare-reference): the mean absolute
// difference of each channel over the client area at most 2 of 255. Once with the course
// drawing's light, once with a white specular colour added to it, and once with the window made
// smaller after the device was created, so that Present stretches the back buffer.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <SDL.h>

#include "tests/platform/d3d_test_support.h"
#include "tests/reference/probe_scene.h"

namespace {

const double kTolerance = 2.0;  // of 255, per channel
// The client area of the reference's 800 by 600 window when the device is created.
const int kClientWidth = 792, kClientHeight = 573;

void ExpectProbeMatchesWine(const std::string& name, bool specularLight, bool stretch)
{
    // The comparison script points here at frames it has just taken.
    const char* folder = std::getenv("CRS_REFERENCE_FRAMES");
    const std::string referencePath =
        (folder ? std::string(folder) : test::DataFile("../../reference")) + "/" + name + ".png";
    int width = 0, height = 0, channels = 0;
    stbi_uc* reference = stbi_load(referencePath.c_str(), &width, &height, &channels, 4);
    ASSERT_NE(reference, nullptr) << referencePath;
    const std::vector<std::uint8_t> expected(reference, reference + width * height * 4);
    stbi_image_free(reference);

    auto window = test::MakeWindow(kClientWidth, kClientHeight);
    auto made = test::MakeDevice(&window->record);
    ASSERT_NE(made->device, nullptr);
    if (stretch) SDL_SetWindowSize(window->record.sdl, width, height);
    ASSERT_TRUE(stretch || (width == kClientWidth && height == kClientHeight));
    test::ScopedCurrentFolder here(test::DataFile("../../reference"));
    ProbeMesh course, car;
    ASSERT_TRUE(LoadProbeMesh(made->device, "probe_course.x", &course));
    ASSERT_TRUE(LoadProbeMesh(made->device, "probe_car.x", &car));
    SetProbeRenderStates(made->device);
    DrawProbeFrame(made->device, course, car, specularLight);
    const test::Frame frame = test::Capture(&window->record);
    ReleaseProbeMesh(&car);
    ReleaseProbeMesh(&course);
    ASSERT_EQ(frame.width, width);
    ASSERT_EQ(frame.height, height);
    if (folder) {
        const std::string out = std::string(folder) + "/portable_" + name + ".png";
        stbi_write_png(out.c_str(), width, height, 4, frame.rgba.data(), width * 4);
    }

    double sum[3] = {0, 0, 0};
    long differing = 0;
    for (std::size_t i = 0; i < expected.size(); i += 4) {
        bool differs = false;
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(int{frame.rgba[i + c]} - int{expected[i + c]});
            sum[c] += d;
            differs = differs || d > 2;
        }
        differing += differs;
    }
    const double pixels = static_cast<double>(width) * height;
    std::printf("%s: mean absolute difference per channel (of 255): red %.3f green %.3f "
                "blue %.3f; pixels differing by more than 2: %ld of %.0f\n",
                name.c_str(), sum[0] / pixels, sum[1] / pixels, sum[2] / pixels, differing, pixels);
    for (int c = 0; c < 3; ++c) EXPECT_LE(sum[c] / pixels, kTolerance) << "channel " << c;
}

TEST(ReferenceProbe, CourseDrawingMatchesWineWithinTwoLevelsPerChannel)
{
    ExpectProbeMatchesWine("wine_probe", false, false);
}

TEST(ReferenceProbe, SpecularLightMatchesWineWithinTwoLevelsPerChannel)
{
    ExpectProbeMatchesWine("wine_probe_specular", true, false);
}

TEST(ReferenceProbe, StretchedPresentMatchesWineWithinTwoLevelsPerChannel)
{
    ExpectProbeMatchesWine("wine_probe_stretch", false, true);
}

}  // namespace
