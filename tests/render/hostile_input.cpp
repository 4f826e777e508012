// The scratch folder, the viewer's start-up in it and the X-file text of the hostile-input tests.
#include "tests/render/hostile_input.h"

#include <filesystem>
#include <fstream>

#include "platform/portable/win32/message_box_hook.h"
#include "render/device.h"
#include "render/frame.h"
#include "render/mesh_object.h"

namespace fs = std::filesystem;

const char kXFileFailed[] = "Xファイルの読み込みに失敗しました";
const char kTextureFailed[] = "テクスチャの読み込みに失敗しました";

const char kSquareVertices[] =
    "4;\n-1.0;0.0;-1.0;,\n-1.0;0.0;1.0;,\n1.0;0.0;1.0;,\n1.0;0.0;-1.0;;\n";
const char kSquareFaces[] = "2;\n3;0,1,2;,\n3;0,2,3;;\n";

void HostileInputTest::SetUp()
{
    ViewerTest::SetUp();
    for (const char* file : {"F1.x", "roof.png"})
        fs::copy_file(fs::path(ViewerDataDir()) / file, fs::path(folder_.path) / file);
}

void HostileInputTest::Write(const std::string& name, const std::string& bytes)
{
    const fs::path path = fs::path(folder_.path) / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> HostileInputTest::StartWithCourse(const std::string& course)
{
    Write("crs.x", course);
    test::ScopedCurrentFolder inFolder(folder_.path);
    HWND window = MainWindow();
    EXPECT_EQ(InitD3D(window), S_OK);
    EXPECT_NE(meshObjects[1].pMesh, nullptr) << "the car did not load";
    // A course that loaded is drawn; one that did not is an empty record that draws nothing.
    if (meshObjects[0].pMesh == nullptr) {
        EXPECT_EQ(meshObjects[0].pMeshMaterials, nullptr);
        EXPECT_EQ(meshObjects[0].dwNumMaterials, 0u);
    }
    HDC hdc = GetDC(window);
    for (int frame = 0; frame < 3; frame++) Render(hdc);

    std::vector<std::string> texts;
    for (const CapturedMessageBox& box : CapturedMessageBoxes()) {
        texts.push_back(box.text);
        if (box.text == kXFileFailed) {
            EXPECT_EQ(box.rawCaption, "crs.x");
        }
    }
    // Each case starts afresh: the next one may use the same window and device names.
    Cleanup();
    MessageBoxCaptureStart();
    return texts;
}

std::string TextXFile(const std::string& vertices, const std::string& faces,
                      const std::string& materialList, const std::string& before)
{
    return "xof 0303txt 0032\n" + before + "Mesh Course {\n" + vertices + faces + materialList +
           "}\n";
}

std::string TexturedMaterialList(const std::string& textureName, int faces)
{
    std::string list = "MeshMaterialList {\n1;\n" + std::to_string(faces) + ";\n";
    for (int i = 0; i < faces; i++) list += i + 1 < faces ? "0,\n" : "0;;\n";
    return list + "Material {\n1.0;1.0;1.0;1.0;;\n8.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\n"
                  "TextureFilename {\n\"" + textureName + "\";\n}\n}\n}\n";
}
