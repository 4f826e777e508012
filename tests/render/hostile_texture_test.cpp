// Textures that a course names but that are damaged, huge, of a format not read, or named in
// unusual ways: each failure is the texture message box and an untextured material, the load
// goes on and the viewer draws; names that Windows would resolve are found.
#include <cstdint>
#include <filesystem>

#include "tests/render/hostile_input.h"

namespace {

using Boxes = std::vector<std::string>;

void PutBigEndian(std::string& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xff);
}

void PutLittleEndian(std::string& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; i++) bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

// A PNG that is only a signature and a header of the given size, 8-bit RGBA, then a few bytes of
// image data that cannot fill it.
std::string PngHeader(std::uint32_t width, std::uint32_t height)
{
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutBigEndian(png, 13);
    png += "IHDR";
    PutBigEndian(png, width);
    PutBigEndian(png, height);
    png += std::string("\x08\x06\x00\x00\x00", 5);
    PutBigEndian(png, 0);  // CRC, which decoders may or may not check
    PutBigEndian(png, 4);
    png += "IDAT";
    png += std::string("\x78\x9c\x03\x00", 4);
    PutBigEndian(png, 0);
    return png;
}

// A 24-bit BMP header of the given size followed by a few pixels.
std::string BmpHeader(std::uint32_t width, std::uint32_t height)
{
    std::string bmp = "BM";
    PutLittleEndian(bmp, 54 + 48, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 54, 4);
    PutLittleEndian(bmp, 40, 4);
    PutLittleEndian(bmp, width, 4);
    PutLittleEndian(bmp, height, 4);
    PutLittleEndian(bmp, 1, 2);
    PutLittleEndian(bmp, 24, 2);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, width * height * 3, 4);
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 0, 4);
    return bmp + std::string(48, '\x40');
}

std::string Copy(const char* name)
{
    const std::filesystem::path path = std::filesystem::path(ViewerDataDir()) / name;
    std::string bytes(std::filesystem::file_size(path), '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);
    }
    return bytes;
}

class HostileTexture : public HostileInputTest {
protected:
    // The course with one material naming `name`, started with the file written under `file`
    // (none when `bytes` is null).
    Boxes StartNaming(const std::string& name, const std::string& file = "",
                      const std::string* bytes = nullptr)
    {
        if (bytes != nullptr) Write(file, *bytes);
        return StartWithCourse(
            TextXFile(kSquareVertices, kSquareFaces, TexturedMaterialList(name, 2)));
    }
};

TEST_F(HostileTexture, EmptyCorruptAndUnreadableFormatsAreToldAndTheCourseStillDraws)
{
    const std::string ground = Copy("ground.png");
    const std::string cases[] = {
        "",                                                   // empty
        "\x89PNG\r\n\x1a\n" + std::string(100, '\xee'),       // a PNG signature, then noise
        ground.substr(0, ground.size() / 2),                  // a real PNG cut in half
        "DDS " + std::string(124, '\0'),                      // DirectDraw surface: not read here
        std::string("II*\0", 4) + std::string(60, '\x01'),    // TIFF: not read here
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(StartNaming("t.png", "t.png", &bytes), Boxes{kTextureFailed})
            << bytes.substr(0, 8);
    }
}

TEST_F(HostileTexture, HeadersClaimingHugeImagesAreToldWithoutDecoding)
{
    for (std::uint32_t side : {30000u, 65535u, 16000u}) {
        const std::string png = PngHeader(side, side);
        EXPECT_EQ(StartNaming("big.png", "big.png", &png), Boxes{kTextureFailed}) << side;
        const std::string bmp = BmpHeader(side, side);
        EXPECT_EQ(StartNaming("big.bmp", "big.bmp", &bmp), Boxes{kTextureFailed}) << side;
    }
    const std::string wide = PngHeader(0x7fffffffu, 1);
    EXPECT_EQ(StartNaming("wide.png", "wide.png", &wide), Boxes{kTextureFailed});
}

TEST_F(HostileTexture, NamesAreFoundAsWindowsFindsThemOrTold)
{
    const std::string ground = Copy("ground.png");
    // One backslash as written in the file, folders in another letter case.
    EXPECT_EQ(StartNaming("Tex\\Sub\\GROUND.png", "tex/sub/ground.png", &ground), Boxes{});
    // An absolute name is taken as it is.
    EXPECT_EQ(StartNaming(folder_.path + "/tex/sub/ground.png"), Boxes{});
    // A drive letter, a UNC name, parent folders that do not exist, a folder instead of a file.
    for (const std::string& name : {std::string("C:\\textures\\ground.png"),
                                    std::string("\\\\server\\share\\ground.png"),
                                    std::string("..\\..\\..\\..\\nowhere\\ground.png"),
                                    std::string("tex")})
        EXPECT_EQ(StartNaming(name), Boxes{kTextureFailed}) << name;
}

// Whatever a name says about the image (a bump map, a normal map, a specular or environment map),
// it is the material's texture, as in D3DX: some importers sort such names into other kinds of
// map.
TEST_F(HostileTexture, NamesThatSoundLikeOtherKindsOfMapAreStillTheTexture)
{
    const std::string ground = Copy("ground.png");
    for (const char* name :
         {"road_bump.png", "height.png", "normal.png", "grass_nm.png", "tarmac_specular.png",
          "glanz.png", "ambient.png", "env.png", "diffuse.png"}) {
        EXPECT_EQ(StartNaming(name), Boxes{kTextureFailed}) << name;
        EXPECT_EQ(StartNaming(name, name, &ground), Boxes{}) << name;
    }
}

TEST_F(HostileTexture, TenThousandCharacterNameIsTold)
{
    EXPECT_EQ(StartNaming(std::string(10000, 'a') + ".png"), Boxes{kTextureFailed});
    std::string folders;
    for (int i = 0; i < 2000; i++) folders += "ab\\";
    EXPECT_EQ(StartNaming(folders + "ground.png"), Boxes{kTextureFailed});
}

}  // namespace
