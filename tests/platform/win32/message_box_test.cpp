// Code page 932 to UTF-8 as message boxes convert it: characters only Windows has, and bad bytes
// that must not break the conversion. The viewer's own texts are checked where InitD3D shows them.
#include <gtest/gtest.h>

#include "platform/portable/win32/codepage.h"

namespace {

TEST(Win32CodePage, ConvertsWindowsCharactersAndReplacesBadBytes)
{
    const struct {
        std::string cp932, utf8;
    } rows[] = {
        {"\x87\x40", "①"},                  // an NEC extension
        {"\x81\x60", "～"},                  // the wave dash as Windows maps it
        {"\xb1\xb2", "ｱｲ"},                  // half-width katakana
        {"tex\\a.png", "tex\\a.png"},        // the yen sign's byte stays a backslash
        {"ab\x82", "ab\xEF\xBF\xBD"},        // a lead byte cut off at the end
        {std::string("\x82\x0a" "c", 3), "\xEF\xBF\xBD\nc"},   // a byte that cannot trail
        {"\xa0x", "\xEF\xBF\xBDx"},          // no character at all
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(Cp932ToUtf8(row.cp932), row.utf8) << row.cp932;
    // Long input crosses the converter's buffer.
    std::string many, expected;
    for (int i = 0; i < 1000; ++i) many += "\x82\xa0", expected += "あ";
    EXPECT_EQ(Cp932ToUtf8(many), expected);
}

}  // namespace
