// The generated crs.x and F1.x (build/data) through the reference D3DX: the platform probe's
// Windows build, run under Wine in a virtual X server, loads both files and all their textures
// and reports the materials, faces and faces per subset that the generator's own models hold.
// The portable backend is held to the same models (tests/platform/generated_meshes_test.cpp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/assets/car_mesh.h"
#include "tools/assets/course_mesh.h"
#include "tools/assets/course_path.h"
#include "x_session.h"

namespace {

namespace fs = std::filesystem;

// The line the probe prints for a file that loads with every texture.
std::string CountsLine(const std::string& file, const MeshModel& model)
{
    std::string subsets;
    for (int count : TrianglesPerMaterial(model))
        subsets += (subsets.empty() ? "" : "/") + std::to_string(count);
    int textures = 0;
    for (const MeshMaterial& material : model.materials) textures += !material.texture.empty();
    return file + ": " + std::to_string(model.materials.size()) + " materials, " +
           std::to_string(model.triangles.size()) + " faces (" + subsets + "), " +
           std::to_string(textures) + " of " + std::to_string(textures) + " textures\n";
}

TEST(WineProbe, GeneratedMeshesLoadInTheReferenceD3DXAsTheGeneratorBuiltThem)
{
    ASSERT_TRUE(fs::exists(PROBE_EXE)) << PROBE_EXE << " is missing: build it with scripts/build-windows";
    const pid_t xvfb = StartXvfb();
    ASSERT_GT(xvfb, 0) << "Xvfb did not start";
    ASSERT_TRUE(UseWinePrefix(WINE_PREFIX)) << "wineboot failed";
    const fs::path previous = fs::current_path();
    fs::current_path(CRS_DATA_DIR);
    RunResult run = RunProgram({"wine", PROBE_EXE, "counts", "crs.x", "F1.x"}, 120.0);
    fs::current_path(previous);
    RunProgram({"wineserver", "-k"}, 30.0);
    StopProcess(xvfb);

    EXPECT_EQ(run.status, 0);
    std::string out;
    for (char c : run.out)
        if (c != '\r') out += c;
    EXPECT_EQ(out, CountsLine("crs.x", BuildCourse(DriveCourse())) + CountsLine("F1.x", BuildCar()));
}

}  // namespace
