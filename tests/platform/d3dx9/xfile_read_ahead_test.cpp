// X files read ahead: a load takes the parse of its own file's bytes, once, the same as a parse on
// the spot; bytes that were not read ahead, and the files after one whose parse failed, are left
// to the load to parse.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/portable/d3dx9/xfile_read_ahead.h"
#include "platform/portable/windows_path.h"
#include "tests/platform/d3d_test_support.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& name)
{
    std::vector<std::uint8_t> data;
    EXPECT_TRUE(ReadWholeFile(test::DataFile(name), 1u << 20, data)) << name;
    return data;
}

TEST(XFileReadAhead, GivesEachLoadTheParseOfItsOwnBytesOnce)
{
    test::TempFolder folder;
    // Listed by name: the malformed file's parse comes third.
    const char* const files[][2] = {{"plane.x", "1.x"},
                                    {"two_materials.x", "2.X"},
                                    {"malformed.x", "3.x"},
                                    {"no_materials.x", "4.x"},
                                    {"checker.png", "5.png"}};
    for (const auto& [from, to] : files)
        std::filesystem::copy_file(test::DataFile(from), folder.path + "/" + to);
    {
        const test::ScopedCurrentFolder inFolder(folder.path);
        StartReadingXFilesAhead();
    }

    HRESULT result = E_FAIL;
    XFileMesh taken, parsed;
    std::vector<std::uint8_t> changed = Bytes("plane.x");
    changed[changed.size() / 2] ^= 1;
    EXPECT_FALSE(TakeXFileReadAhead(changed, result, taken)) << "other bytes";
    for (const char* name : {"plane.x", "two_materials.x"}) {
        const std::vector<std::uint8_t> data = Bytes(name);
        ASSERT_TRUE(TakeXFileReadAhead(data, result, taken)) << name;
        EXPECT_EQ(result, S_OK) << name;
        ASSERT_EQ(ReadXFile(data, parsed), S_OK) << name;
        EXPECT_EQ(EncodeXFileMesh(taken), EncodeXFileMesh(parsed)) << name;
        EXPECT_FALSE(TakeXFileReadAhead(data, result, taken)) << name << " taken twice";
    }
    ASSERT_TRUE(TakeXFileReadAhead(Bytes("malformed.x"), result, taken));
    EXPECT_EQ(result, E_FAIL);
    EXPECT_FALSE(TakeXFileReadAhead(Bytes("no_materials.x"), result, taken))
        << "a file after a failed parse";
}

}  // namespace
