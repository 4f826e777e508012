// Course files that are damaged or made to hurt: each is told with the X-file message box
// captioned "crs.x" or loads and is drawn; the viewer goes on with the car in every case, and
// nothing crashes, hangs or reads past the file (the sanitizer build runs these too).
#include <fstream>
#include <sstream>

#include "tests/render/hostile_input.h"

namespace {

using Boxes = std::vector<std::string>;

std::string ReadViewerFile(const char* name)
{
    std::ifstream in(ViewerDataDir() + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Repeat(const std::string& text, int times)
{
    std::string all;
    all.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; i++) all += text;
    return all;
}

using HostileCourse = HostileInputTest;

TEST_F(HostileCourse, EmptyOrNotAnXFileIsToldAndTheCourseStaysEmpty)
{
    const std::string notXFiles[] = {
        "",
        "xof ",
        std::string(4096, '\0'),
        "\x89PNG\r\n\x1a\n not a mesh at all, although the name says crs.x",
        "Mesh Course { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; }",  // no header
        "xof 0303txt 0032",                                          // header only
        "xof 0303xyz 0032\nMesh { }\n",                               // unknown encoding
    };
    for (const std::string& bytes : notXFiles) {
        EXPECT_EQ(StartWithCourse(bytes), Boxes{kXFileFailed}) << bytes.substr(0, 40);
    }
}

// Every prefix of the test course and car that ends on a multiple of 64 bytes: either it still
// holds a mesh, or it is told; a cut texture name may also be told as a missing texture.
TEST_F(HostileCourse, FilesTruncatedAtEvery64thByteAreToldOrLoadWhatTheyHold)
{
    for (const char* name : {"crs.x", "F1.x"}) {
        const std::string whole = ReadViewerFile(name);
        ASSERT_GT(whole.size(), 64u);
        int told = 0;
        for (std::size_t size = 0; size < whole.size(); size += 64) {
            const Boxes boxes = StartWithCourse(whole.substr(0, size));
            const bool xFileTold = !boxes.empty() && boxes.front() == kXFileFailed;
            for (const std::string& box : boxes)
                EXPECT_TRUE(box == kXFileFailed ? boxes.size() == 1 : box == kTextureFailed)
                    << name << " cut at " << size;
            told += xFileTold ? 1 : 0;
        }
        // Cut before the faces, nothing is left to draw.
        EXPECT_GT(told, 0) << name;
    }
}

TEST_F(HostileCourse, BinaryAndCompressedVariantsWithBadBodiesAreTold)
{
    std::string binary = "xof 0303bin 0032";
    // Tokens of the binary format: a name token with a length far past the end, then noise.
    binary += std::string("\x01\x00\xff\xff\xff\x7f", 6) + "Mesh";
    for (int i = 0; i < 256; i++) binary += static_cast<char>((i * 37) & 0xff);
    EXPECT_EQ(StartWithCourse(binary), Boxes{kXFileFailed});

    for (const char* header : {"xof 0303bzip0032", "xof 0303tzip0032"}) {
        // Compressed: the uncompressed size, then blocks of (uncompressed size, compressed size,
        // "CK", deflate data). The sizes promise far more than there is, and the data is noise.
        std::string zipped = header;
        zipped += std::string("\xff\xff\xff\x7f", 4) + std::string("\xff\xff\xff\xff", 4) +
                  "CK" + std::string(200, '\x5a');
        EXPECT_EQ(StartWithCourse(zipped), Boxes{kXFileFailed}) << header;
        std::string tiny = header;
        tiny += std::string("\x20\x00\x00\x00\x10\x00", 6);
        EXPECT_EQ(StartWithCourse(tiny), Boxes{kXFileFailed}) << header;
    }
}

// Assimp does not refuse these files: a face corner past the vertices becomes a vertex of its own
// in the child. What reaches the viewer has every index checked against its vertices.
TEST_F(HostileCourse, FaceAndNormalIndicesOutOfRangeAreToldOrDrawnWithinTheMesh)
{
    const std::string cases[] = {
        TextXFile(kSquareVertices, "2;\n3;0,1,4;,\n3;4000000000,2,3;;\n"),
        TextXFile(kSquareVertices, "2;\n3;0,1,2;,\n3;0,2,99;;\n"),
        TextXFile(kSquareVertices, kSquareFaces,
                  "MeshNormals {\n1;\n0.0;1.0;0.0;;\n2;\n3;0,0,70000000;,\n3;0,0,0;;\n}\n"),
    };
    for (const std::string& bytes : cases) {
        const Boxes boxes = StartWithCourse(bytes);
        EXPECT_TRUE(boxes == Boxes{} || boxes == Boxes{kXFileFailed}) << bytes;
    }
}

TEST_F(HostileCourse, CountsPromisingMoreThanTheFileHoldsAreTold)
{
    const std::string cases[] = {
        TextXFile("1000000000;\n0.0;0.0;0.0;,\n1.0;0.0;0.0;;\n", kSquareFaces),
        TextXFile(kSquareVertices, "2000000000;\n3;0,1,2;;\n"),
        TextXFile(kSquareVertices, "1;\n4000000;0,1,2;;\n"),
        TextXFile(kSquareVertices, kSquareFaces, "MeshTextureCoords {\n900000000;\n0.0;0.0;;\n}\n"),
        TextXFile(kSquareVertices, kSquareFaces, "MeshMaterialList {\n1;\n300000000;\n0;;\n}\n"),
    };
    for (const std::string& bytes : cases) EXPECT_EQ(StartWithCourse(bytes), Boxes{kXFileFailed});
}

// A list of a million materials loads and draws; Assimp folds a million references to one
// material into one. A count of a million with a single material given loads too.
TEST_F(HostileCourse, AMillionMaterialsLoadAndDrawWithoutMessages)
{
    const std::string list = "MeshMaterialList {\n1000000;\n2;\n0,\n0;;\n" +
                             Repeat("{ Grey }\n", 1000000) + "}\n";
    const std::string grey = "Material Grey {\n0.5;0.5;0.5;1.0;;\n0.0;\n0.0;0.0;0.0;;\n"
                             "0.0;0.0;0.0;;\n}\n";
    EXPECT_EQ(StartWithCourse(TextXFile(kSquareVertices, kSquareFaces, list, grey)), Boxes{});
    EXPECT_EQ(StartWithCourse(TextXFile(
                  kSquareVertices, kSquareFaces,
                  "MeshMaterialList {\n1000000;\n2;\n0,\n999999;;\n" + grey + "}\n")),
              Boxes{});
}

TEST_F(HostileCourse, NaNAndHugeVertexValuesLoadAndDraw)
{
    const std::string vertices =
        "4;\nnan;0.0;-1.0;,\n-1e38;0.0;3.4e38;,\n1e39;-inf;1.0;,\n1.0;0.0;-1.0;;\n";
    EXPECT_EQ(StartWithCourse(TextXFile(vertices, kSquareFaces)), Boxes{});
}

TEST_F(HostileCourse, DeeplyNestedFramesAreToldOrLoad)
{
    for (int depth : {1000, 200000}) {
        std::string bytes = "xof 0303txt 0032\n" + Repeat("Frame f {\n", depth) +
                            "Mesh Course {\n" + kSquareVertices + kSquareFaces + "}\n" +
                            Repeat("}\n", depth);
        const Boxes boxes = StartWithCourse(bytes);
        EXPECT_TRUE(boxes == Boxes{} || boxes == Boxes{kXFileFailed}) << depth;
        // Never closed at all.
        EXPECT_EQ(StartWithCourse("xof 0303txt 0032\n" + Repeat("Frame f {\n", depth)),
                  Boxes{kXFileFailed})
            << depth;
    }
}

TEST_F(HostileCourse, MeshWithoutFacesIsTold)
{
    EXPECT_EQ(StartWithCourse(TextXFile(kSquareVertices, "0;\n")), Boxes{kXFileFailed});
    EXPECT_EQ(StartWithCourse(TextXFile("0;\n", "0;\n")), Boxes{kXFileFailed});
}

// Assimp reads no mesh from an empty material list, so the file is told; without a material list
// the mesh gets the default material, as from D3DX.
TEST_F(HostileCourse, MeshWithAnEmptyMaterialListIsToldAndOneWithoutAListLoads)
{
    for (const char* list : {"MeshMaterialList {\n0;\n2;\n0,\n0;;\n}\n",
                             "MeshMaterialList {\n0;\n0;\n;\n}\n"})
        EXPECT_EQ(StartWithCourse(TextXFile(kSquareVertices, kSquareFaces, list)),
                  Boxes{kXFileFailed})
            << list;
    EXPECT_EQ(StartWithCourse(TextXFile(kSquareVertices, kSquareFaces)), Boxes{});
}

}  // namespace
