// Shared by the tests of hostile course files and textures: a scratch folder holding the test
// car and a course file that the test writes, the viewer started in it as the entry starts it, and
// a few frames drawn afterwards, so that a file that loads but is strange is also drawn.
#pragma once

#include <string>
#include <vector>

#include "tests/platform/d3d_test_support.h"
#include "tests/render/viewer_fixture.h"

extern const char kXFileFailed[];
extern const char kTextureFailed[];

class HostileInputTest : public ViewerTest {
protected:
    void SetUp() override;

    // Writes a file into the scratch folder, folders on the way included.
    void Write(const std::string& name, const std::string& bytes);
    // The viewer's set-up in the scratch folder with `course` as crs.x, then three frames. Fails
    // the test when set-up does not succeed or the car does not load; returns the texts of the
    // message boxes shown, and for the X-file box checks its caption.
    std::vector<std::string> StartWithCourse(const std::string& course);

    test::TempFolder folder_;
};

// A text X file of one mesh: the given vertex list, face list and material list (each a complete
// X-file body, counts included) and any templates put before it.
std::string TextXFile(const std::string& vertices, const std::string& faces,
                      const std::string& materialList = "", const std::string& before = "");
// The material list of one textured material used by every one of `faces` faces.
std::string TexturedMaterialList(const std::string& textureName, int faces = 1);
// A square of two triangles: vertex and face lists for TextXFile.
extern const char kSquareVertices[];
extern const char kSquareFaces[];
