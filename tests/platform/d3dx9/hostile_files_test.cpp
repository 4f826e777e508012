// Course files and textures that are damaged or made to hurt, straight through the loaders, one row
// per guard: each fails with nothing written out, or loads and is drawn; nothing crashes, hangs or
// reads past the file (the sanitizer build runs these too).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/portable/d3dx9/xfile_rewrite.h"
#include "tests/platform/d3d_test_support.h"

namespace {

enum Outcome { kFails, kLoads, kEither };

const char kSquareVertices[] =
    "4;\n-1.0;0.0;-1.0;,\n-1.0;0.0;1.0;,\n1.0;0.0;1.0;,\n1.0;0.0;-1.0;;\n";
const char kSquareFaces[] = "2;\n3;0,1,2;,\n3;0,2,3;;\n";
const std::string kIdentity =
    "1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;\n";

std::string XFile(const std::string& vertices, const std::string& faces,
                  const std::string& rest = "", const std::string& before = "")
{
    return "xof 0303txt 0032\n" + before + "Mesh Course {\n" + vertices + faces + rest + "}\n";
}

std::string Repeat(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; i++) all += text;
    return all;
}

std::string Material(const std::string& texture)
{
    return "Material Grey {\n0.5;0.5;0.5;1.0;;\n0.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\n" +
           (texture.empty() ? "" : "TextureFilename {\n\"" + texture + "\";\n}\n") + "}\n";
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The bytes of `values`, each `size` bytes long, most significant first when `bigEndian`.
std::string Bytes(std::initializer_list<std::uint32_t> values, int size, bool bigEndian)
{
    std::string out;
    for (std::uint32_t value : values)
        for (int i = 0; i < size; i++)
            out += static_cast<char>((value >> (8 * (bigEndian ? size - 1 - i : i))) & 0xff);
    return out;
}

// Binary X tokens: a name, a string and its separator, lists of integers and of floats (of
// `Float`'s size), an object.
std::string Token(std::uint32_t code) { return Bytes({code}, 2, false); }

std::string Count(std::size_t count) { return Bytes({static_cast<std::uint32_t>(count)}, 4, false); }

std::string Name(const std::string& name) { return Token(1) + Count(name.size()) + name; }

std::string String(const std::string& text) { return Token(2) + Count(text.size()) + text + Token(20); }

std::string Ints(std::initializer_list<std::uint32_t> values)
{
    return Token(6) + Count(values.size()) + Bytes(values, 4, false);
}

template <typename Float>
std::string Floats(std::initializer_list<Float> values)
{
    std::string out = Token(7) + Count(values.size());
    for (Float value : values) out.append(reinterpret_cast<const char*>(&value), sizeof value);
    return out;
}

std::string Object(const std::string& header, const std::string& body)
{
    return header + Token(10) + body + Token(11);
}

const std::string kBinaryIdentity =
    Floats<float>({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

// The square of XFile() in binary, `rest` inside the mesh and `before` ahead of it.
std::string BinaryXFile(const std::string& rest = "", const std::string& before = "")
{
    return "xof 0303bin 0032" + before +
           Object(Name("Mesh") + Name("Course"),
                  Ints({4}) + Floats<float>({-1, 0, -1, -1, 0, 1, 1, 0, 1, 1, 0, -1}) +
                      Ints({2, 3, 0, 1, 2, 3, 0, 2, 3}) + rest);
}

// `file` compressed as one block of deflate's stored form, the block claiming to inflate to
// `expanded` bytes and the whole file to be `declared` bytes long.
std::string Compressed(const std::string& file, std::size_t expanded, std::size_t declared)
{
    const std::string body = file.substr(16);
    const auto length = static_cast<std::uint32_t>(body.size());
    return file.substr(0, 8) + (file.compare(8, 4, "txt ") == 0 ? "tzip" : "bzip") +
           file.substr(12, 4) + Count(declared) +
           Bytes({static_cast<std::uint32_t>(expanded), length + 7}, 2, false) + "CK\x01" +
           Bytes({length, ~length & 0xffff}, 2, false) + body;
}

// A PNG signature and header of the given size, 8-bit RGBA, and image data that cannot fill it.
std::string PngHeader(std::uint32_t width, std::uint32_t height)
{
    return std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + Bytes({width, height}, 4, true) +
           std::string("\x08\x06\0\0\0\0\0\0\0\0\0\0\x04IDAT\x78\x9c\x03\0\0\0\0\0", 25);
}

// A 24-bit BMP header of the given size, then a few pixels.
std::string BmpHeader(std::uint32_t width, std::uint32_t height)
{
    return "BM" + Bytes({54u + 48u, 0u, 54u, 40u, width, height}, 4, false) +
           Bytes({1, 24}, 2, false) + Bytes({0u, width * height * 3, 2835u, 2835u, 0u, 0u}, 4,
                                             false) + std::string(48, '\x40');
}

// One window and device for the whole run, never destroyed: destroying the last GL window
// unloads the driver, whose leftovers the sanitizer build's leak check cannot name.
IDirect3DDevice9* Device()
{
    static test::Device* made = test::MakeDevice(&test::MakeWindow(64, 64).release()->record)
                                    .release();
    return made->device;
}

std::string Write(const std::string& name, const std::string& bytes)
{
    static const test::TempFolder folder;
    const std::string path = folder.path + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Loads `bytes` as an X file; what loads is drawn once, subset by subset. The first material's
// texture name, or "" when there is none or the file failed.
std::string ExpectMesh(const std::string& bytes, Outcome outcome, const std::string& what)
{
    auto* const sentinel = reinterpret_cast<ID3DXMesh*>(0x10);
    ID3DXMesh* mesh = sentinel;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 77;
    const HRESULT result = D3DXLoadMeshFromXA(Write("crs.x", bytes).c_str(), D3DXMESH_SYSTEMMEM,
                                              Device(), nullptr, &materials, nullptr, &count, &mesh);
    if (outcome != kEither) {
        EXPECT_EQ(SUCCEEDED(result), outcome == kLoads) << what;
    }
    if (FAILED(result)) {
        EXPECT_EQ(mesh, sentinel) << what;
        EXPECT_EQ(count, 77u) << what;
        return "";
    }
    Device()->BeginScene();
    for (DWORD i = 0; i < count; i++) EXPECT_EQ(mesh->DrawSubset(i), D3D_OK) << what;
    Device()->EndScene();
    const char* name = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer())
                           ->pTextureFilename;
    const std::string texture = name ? name : "";
    materials->Release();
    mesh->Release();
    return texture;
}

bool TextureLoads(const std::string& name)
{
    auto* const sentinel = reinterpret_cast<IDirect3DTexture9*>(0x10);
    IDirect3DTexture9* texture = sentinel;
    if (FAILED(D3DXCreateTextureFromFileA(Device(), name.c_str(), &texture))) {
        EXPECT_EQ(texture, sentinel) << name.substr(0, 60);
        return false;
    }
    texture->Release();
    return true;
}

TEST(HostileFiles, CourseFilesFailOrLoadAndDraw)
{
    const std::string grey = Material("");
    const struct {
        const char* what;
        std::string bytes;
        Outcome outcome;
    } rows[] = {
        {"empty", "", kFails},
        {"a header cut short", "xof ", kFails},
        {"a PNG named crs.x", "\x89PNG\r\n\x1a\n not a mesh at all", kFails},
        {"no header", "Mesh Course { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; }", kFails},
        {"header only", "xof 0303txt 0032", kFails},
        {"unknown encoding", "xof 0303xyz 0032\nMesh { }\n", kFails},
        {"binary: a name running past the end",
         std::string("xof 0303bin 0032\x01\x00\xff\xff\xff\x7fMesh", 26) + std::string(256, '\x25'),
         kFails},
        {"compressed: sizes promising more than there is",
         "xof 0303bzip0032" + std::string("\xff\xff\xff\x7f\xff\xff\xff\xff", 8) + "CK" +
             std::string(200, '\x5a'),
         kFails},
        {"compressed: a block cut short",
         "xof 0303tzip0032" + std::string("\x20\x00\x00\x00\x10\x00", 6), kFails},
        {"binary", BinaryXFile(), kLoads},
        {"binary, 64-bit floats",
         "xof 0303bin 0064" +
             Object(Name("Mesh"), Ints({3}) + Floats<double>({0, 0, 0, 0, 0, 1, 1, 0, 0}) +
                                      Ints({1, 3, 0, 1, 2})),
         kLoads},
        {"binary: an unknown token", BinaryXFile(Token(99)), kFails},
        {"binary: a list of integers longer than the file",
         BinaryXFile(Token(6) + Count(0x40000000) + Count(1)), kFails},
        {"binary: a list of floats longer than the file",
         BinaryXFile(Token(7) + Count(0x7fffffff) + Count(1)), kFails},
        {"binary: a string without its separator",
         BinaryXFile(Object(Name("Frame"), Token(2) + Count(1) + "a" + Token(10))), kFails},
        {"binary: a token cut short", BinaryXFile().substr(0, 25), kFails},
        {"compressed text",
         Compressed(XFile(kSquareVertices, kSquareFaces),
                    XFile(kSquareVertices, kSquareFaces).size() - 16, 1000),
         kLoads},
        {"compressed binary", Compressed(BinaryXFile(), BinaryXFile().size() - 16, 1000), kLoads},
        {"compressed: a block inflating to more than it says",
         Compressed(BinaryXFile(), BinaryXFile().size() - 17, 1000), kFails},
        {"compressed: a block inflating to less than it says",
         Compressed(XFile(kSquareVertices, kSquareFaces),
                    XFile(kSquareVertices, kSquareFaces).size() - 15, 1000),
         kFails},
        {"compressed: more than the file declares", Compressed(BinaryXFile(), 100, 40), kFails},
        {"compressed: a block's stream cut short",
         Compressed(BinaryXFile(), BinaryXFile().size() - 16, 1000).substr(0, 60), kFails},
        {"a face corner past the vertices",
         XFile(kSquareVertices, "2;\n3;0,1,4;,\n3;4000000000,2,3;;\n"), kEither},
        {"a normal index past the normals",
         XFile(kSquareVertices, kSquareFaces,
               "MeshNormals {\n1;\n0.0;1.0;0.0;;\n2;\n3;0,0,70000000;,\n3;0,0,0;;\n}\n"),
         kEither},
        {"a billion vertices promised",
         XFile("1000000000;\n0.0;0.0;0.0;,\n1.0;0.0;0.0;;\n", kSquareFaces), kFails},
        {"two billion faces promised", XFile(kSquareVertices, "2000000000;\n3;0,1,2;;\n"),
         kFails},
        {"a face of four million corners", XFile(kSquareVertices, "1;\n4000000;0,1,2;;\n"),
         kFails},
        {"texture coordinates promised",
         XFile(kSquareVertices, kSquareFaces, "MeshTextureCoords {\n900000000;\n0.0;0.0;;\n}\n"),
         kFails},
        // A colour list is written out whole, one entry per vertex, for Assimp.
        {"vertex colours for a vertex past the mesh",
         XFile(kSquareVertices, kSquareFaces,
               "MeshVertexColors {\n1;\n7;1.0;0.0;0.0;1.0;;;\n}\n"),
         kFails},
        {"vertex colours promised",
         XFile(kSquareVertices, kSquareFaces,
               "MeshVertexColors {\n900000000;\n0;1.0;0.0;0.0;1.0;;;\n}\n"),
         kFails},
        {"vertex colours of a negative count",
         XFile(kSquareVertices, kSquareFaces,
               "MeshVertexColors {\n-1;\n0;1.0;0.0;0.0;1.0;;;\n}\n"),
         kFails},
        {"a billion vertices promised, one coloured",
         XFile("1000000000;\n0.0;0.0;0.0;,\n1.0;0.0;0.0;;\n", kSquareFaces,
               "MeshVertexColors {\n1;\n0;1.0;0.0;0.0;1.0;;;\n}\n"),
         kFails},
        {"vertex colours for some vertices",
         XFile(kSquareVertices, kSquareFaces,
               "MeshVertexColors {\n2;\n0;1.0;0.0;0.0;1.0;;,\n0;0.0;1.0;0.0;1.0;;;\n}\n"),
         kLoads},
        {"material indices promised",
         XFile(kSquareVertices, kSquareFaces, "MeshMaterialList {\n1;\n300000000;\n0;;\n}\n"),
         kFails},
        // Each reference is a material of its own, as D3DX gives them: a million are refused.
        {"a million materials",
         XFile(kSquareVertices, kSquareFaces,
               "MeshMaterialList {\n1000000;\n2;\n0,\n0;;\n" + Repeat("{ Grey }\n", 1000000) +
                   "}\n",
               grey),
         kFails},
        {"a million materials, one given",
         XFile(kSquareVertices, kSquareFaces,
               "MeshMaterialList {\n1000000;\n2;\n0,\n999999;;\n" + grey + "}\n"),
         kLoads},
        {"NaN and huge vertices",
         XFile("4;\nnan;0.0;-1.0;,\n-1e38;0.0;3.4e38;,\n1e39;-inf;1.0;,\n1.0;0.0;-1.0;;\n",
               kSquareFaces),
         kLoads},
        {"frames nested 200000 deep",
         "xof 0303txt 0032\n" + Repeat("Frame f {\n", 200000) + "Mesh Course {\n" +
             kSquareVertices + kSquareFaces + "}\n" + Repeat("}\n", 200000),
         kEither},
        {"frames never closed", "xof 0303txt 0032\n" + Repeat("Frame f {\n", 1000), kFails},
        {"no faces", XFile(kSquareVertices, "0;\n"), kFails},
        {"an empty material list",
         XFile(kSquareVertices, kSquareFaces, "MeshMaterialList {\n0;\n2;\n0,\n0;;\n}\n"), kFails},
        {"no material list: the default material", XFile(kSquareVertices, kSquareFaces), kLoads},
        // Skins and animations are not drawn and are dropped unread, however large they claim
        // to be.
        {"skin weights naming vertices past the mesh",
         XFile(kSquareVertices, kSquareFaces,
               "XSkinMeshHeader {\n1;\n1;\n1;\n}\nSkinWeights {\n\"Bone\";\n2;\n0,\n4000000000;\n"
               "1.0,\n1.0;\n" + kIdentity + "}\n"),
         kLoads},
        {"a million bones",
         XFile(kSquareVertices, kSquareFaces,
               "XSkinMeshHeader {\n1;\n1;\n1000000;\n}\n" +
                   Repeat("SkinWeights {\n\"B\";\n1;\n0;\n1.0;\n" + kIdentity + "}\n", 100000)),
         kLoads},
        {"animation keys of absurd counts",
         XFile(kSquareVertices, kSquareFaces, "",
               "AnimationSet {\nAnimation {\n{ Course }\nAnimationKey {\n0;\n4000000000;\n"
               "0;4;1.0,0.0,0.0,0.0;;;\n}\n}\n}\nAnimTicksPerSecond {\n4294967295;\n}\n"),
         kLoads},
        {"binary: skin weights naming vertices past the mesh",
         BinaryXFile(Object(Name("XSkinMeshHeader"), Ints({1, 1, 1})) +
                     Object(Name("SkinWeights"), String("Bone") + Ints({2, 0, 4000000000u}) +
                                                     Floats<float>({1, 1}) + kBinaryIdentity)),
         kLoads},
        {"binary: a million bones",
         BinaryXFile(Object(Name("XSkinMeshHeader"), Ints({1, 1, 1000000})) +
                     Repeat(Object(Name("SkinWeights"), String("B") + Ints({1, 0}) +
                                                            Floats<float>({1}) + kBinaryIdentity),
                            100000)),
         kLoads},
        {"binary: animation keys of absurd counts",
         BinaryXFile("", Object(Name("AnimationSet"),
                                Object(Name("Animation"),
                                       Object("", Name("Course")) +
                                           Object(Name("AnimationKey"),
                                                  Ints({0, 4000000000u, 0, 4}) +
                                                      Floats<float>({1, 0, 0, 0}))))),
         kLoads},
        {"an exporter's objects nested 100000 deep",
         XFile(kSquareVertices, kSquareFaces, "",
               "template Open {\n<01234567-89ab-cdef-0123-456789abcdef>\n[...]\n}\n" +
                   Repeat("Open {\n", 100000) + Repeat("}\n", 100000)),
         kEither},
    };
    for (const auto& row : rows) ExpectMesh(row.bytes, row.outcome, row.what);

    // Every prefix of the test course and car that ends on a multiple of 64 bytes.
    for (const std::string& name : {std::string(CRS_VIEWER_DATA_DIR) + "/crs.x",
                                   std::string(CRS_VIEWER_DATA_DIR) + "/F1.x",
                                   std::string(CRS_TEST_DATA_DIR) + "/formats/skinned_bin.x",
                                   std::string(CRS_TEST_DATA_DIR) + "/formats/skinned_bzip.x"}) {
        const std::string whole = ReadFile(name);
        ASSERT_GT(whole.size(), 64u);
        for (std::size_t size = 0; size < whole.size(); size += 64)
            ExpectMesh(whole.substr(0, size), size < 64 ? kFails : kEither,
                       name + " cut at " + std::to_string(size));
    }

    // Whatever a name says about the image (a bump, normal, specular or environment map), it is
    // the material's texture, as in D3DX: some importers sort such names into other kinds of map.
    for (const char* name : {"road_bump.png", "height.png", "grass_nm.png", "tarmac_specular.png",
                             "glanz.png", "ambient.png", "env.png"})
        EXPECT_EQ(ExpectMesh(XFile(kSquareVertices, kSquareFaces,
                                   "MeshMaterialList {\n1;\n2;\n0,\n0;;\n" + Material(name) + "}\n"),
                             kLoads, name),
                  name);
}

TEST(HostileFiles, TexturesThatAreDamagedHugeOrNotReadFail)
{
    const std::string ground = ReadFile(std::string(CRS_VIEWER_DATA_DIR) + "/ground.png");
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"empty", ""},
        {"a PNG signature, then noise", "\x89PNG\r\n\x1a\n" + std::string(100, '\xee')},
        {"a PNG cut in half", ground.substr(0, ground.size() / 2)},
        {"a DirectDraw surface", "DDS " + std::string(124, '\0')},
        {"a TIFF", std::string("II*\0", 4) + std::string(60, '\x01')},
        {"a PNG of 30000 by 30000", PngHeader(30000, 30000)},
        {"a PNG of 2^31 - 1 by 1", PngHeader(0x7fffffffu, 1)},
        {"a BMP of 65535 by 65535", BmpHeader(65535, 65535)},
    };
    for (const auto& row : rows) EXPECT_FALSE(TextureLoads(Write("t.png", row.bytes))) << row.what;
    EXPECT_TRUE(TextureLoads(Write("t.png", ground))) << "the same name, a whole image";
    // A DDS whose header says more or other than its data holds.
    const std::string dds = ReadFile(std::string(CRS_TEST_DATA_DIR) + "/formats/dxt1.dds");
    EXPECT_TRUE(TextureLoads(Write("t.dds", dds)));
    const struct {
        const char* what;
        std::size_t at;
        char value;
    } lies[] = {{"header size", 4, 100}, {"height", 14, 1},     {"width", 17, 0x40},
                {"mip count", 28, 9},    {"format size", 76, 24}, {"fourCC", 87, '2'},
                {"cube map", 113, 0x02}, {"a level cut short", dds.size() - 1, 0}};
    for (const auto& lie : lies) {
        std::string bad = dds;
        bad[lie.at] = lie.value;
        if (lie.at == dds.size() - 1) bad.pop_back();
        EXPECT_FALSE(TextureLoads(Write("t.dds", bad))) << lie.what;
    }
    EXPECT_FALSE(TextureLoads(std::string(10000, 'a') + ".png"));
    EXPECT_FALSE(TextureLoads(Repeat("ab\\", 2000) + "ground.png"));
}

// The rewrite on its own: a loader would turn a wrong answer of it into a plain failure.
TEST(XFileRewrite, RefusesWhatItCannotReadAndKeepsWhatD3dxDraws)
{
    const std::string head = "xof 0303txt 0032\n";
    std::string blowUp = "Material A { " + std::string(20000, '1') +
                         "; }\nMesh M { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { 1000; 1; 0;;";
    for (int i = 0; i < 1000; ++i) blowUp += " {A}";
    std::string manyMaterials = "Material A { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
                                "Mesh M { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { 70000; 1; 0;;";
    for (int i = 0; i < 70000; ++i) manyMaterials += " {A}";
    const std::string broken[] = {
        "Mesh M { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; {Gone} } }",
        "Mesh M { 3; 0;0;0;,",  // an open brace
        "} Mesh M { }",         // a brace closed first
        "Material A { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.png; } }",
        // Balanced but deep enough to exhaust the stack of a rewrite that recursed without a bound.
        std::string(100000, '{') + std::string(100000, '}'),
        // A thousand references to one material may not make a file ten thousand times larger.
        blowUp + " } }",
        // More materials than any model has: a million would take the parser past its budget.
        manyMaterials + " } }",
    };
    for (const std::string& text : broken) {
        std::vector<std::uint8_t> data(head.begin(), head.end());
        data.insert(data.end(), text.begin(), text.end());
        EXPECT_FALSE(NormaliseXFile(data)) << text.substr(0, 60);
    }
    // A material whose own list names it: the list is no part of a material that D3DX draws, so
    // it is dropped and cannot make each copy hold another.
    const std::string selfNamed =
        "Material A { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; MeshMaterialList { 1; 1; 0;; {A} } }\n"
        "Mesh M { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { 1; 1; 0;; {A} } }";
    std::vector<std::uint8_t> selfData(head.begin(), head.end());
    selfData.insert(selfData.end(), selfNamed.begin(), selfNamed.end());
    EXPECT_TRUE(NormaliseXFile(selfData));
    EXPECT_LT(selfData.size(), 2 * (head.size() + selfNamed.size()));

    // Binary and compressed files: the same objects kept, a named material copied into the list,
    // and every other object dropped, byte for byte.
    const std::string red = Floats<float>({1, 0, 0, 1, 5, 0, 0, 0, 0, 0, 0});
    const std::string square = Ints({4}) + Floats<float>({0, 0, 0, 1, 0, 0, 1, 0, 1}) +
                               Ints({1, 3, 0, 1, 2});
    const std::string list = Name("MeshMaterialList") + Token(10) + Ints({1, 1, 0});
    const std::string given =
        "xof 0303bin 0032" +
        Token(31) + Name("Skin") + Token(10) + Token(5) + std::string(16, '\x11') + Token(41) +
        Name("n") + Token(20) + Token(14) + Token(18) + Token(18) + Token(18) + Token(15) +
        Token(11) + Object(Name("AnimTicksPerSecond"), Ints({4800})) +
        Object(Name("Material") + Name("Red"), red) +
        Object(Name("Frame") + Name("F"),
               Object(Name("FrameTransformMatrix"), kBinaryIdentity) +
                   Object(Name("Mesh") + Name("M"),
                          square + list + Object("", Name("Red")) + Token(11) +
                              Object(Name("XSkinMeshHeader"), Ints({1, 1, 1})) +
                              Object(Name("DeclData"), Ints({0, 0}))) +
                   Object(Name("Skin"), Object("", Name("F"))));
    const std::string kept =
        "xof 0303bin 0032" +
        Object(Name("Frame") + Name("F"),
               Object(Name("FrameTransformMatrix"), kBinaryIdentity) +
                   Object(Name("Mesh") + Name("M"),
                          square + list + Object(Name("Material") + Name("Red"), red) +
                              Token(11)));
    for (const std::string& file : {given, Compressed(given, given.size() - 16, given.size())}) {
        std::vector<std::uint8_t> data(file.begin(), file.end());
        ASSERT_TRUE(NormaliseXFile(data)) << file.substr(8, 4);
        EXPECT_EQ(std::string(data.begin(), data.end()), kept) << file.substr(8, 4);
    }
    for (const std::string& bad : {std::string("xof 0303bin 0032{{{\""), given.substr(0, given.size() - 1),
                                   given.substr(0, given.size() - 2)}) {
        std::vector<std::uint8_t> data(bad.begin(), bad.end());
        EXPECT_FALSE(NormaliseXFile(data)) << bad.size();
    }
    const std::string other = "\x89PNG\r\n\x1a\n not a mesh at all";
    std::vector<std::uint8_t> data(other.begin(), other.end());
    EXPECT_TRUE(NormaliseXFile(data));
    EXPECT_EQ(std::string(data.begin(), data.end()), other);
}

}  // namespace
