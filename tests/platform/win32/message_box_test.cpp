// Message boxes: the viewer's five Japanese texts arrive from code page 932 as the right UTF-8,
// captions follow Windows (null shows "Error", empty stays empty), boxes keep their order, and bad
// bytes cannot break the conversion.
#include <gtest/gtest.h>

#include "platform/portable/call_recorder.h"
#include "platform/portable/win32/message_box_hook.h"
#include "platform/portable/win32/win32.h"
#include "platform/portable/win32/codepage.h"

namespace {

struct Text {
    const char* cp932;
    const char* utf8;
};

// The bytes as the Windows build passes them (produced with iconv -f UTF-8 -t CP932).
const Text kViewerTexts[] = {
    {"\x44\x69\x72\x65\x63\x74\x33\x44\x82\xcc\x8d\xec\x90\xac\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82"
     "\xdc\x82\xb5\x82\xbd",
     "Direct3Dの作成に失敗しました"},
    {"\x48\x41\x4c\x83\x82\x81\x5b\x83\x68\x82\xc5\x44\x49\x52\x45\x43\x54\x33\x44\x83\x66\x83\x6f"
     "\x83\x43\x83\x58\x82\xf0\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x0a\x52\x45"
     "\x46\x83\x82\x81\x5b\x83\x68\x82\xc5\x8d\xc4\x8e\x8e\x8d\x73\x82\xb5\x82\xdc\x82\xb7",
     "HALモードでDIRECT3Dデバイスを作成できません\nREFモードで再試行します"},
    {"\x44\x49\x52\x45\x43\x54\x33\x44\x83\x66\x83\x6f\x83\x43\x83\x58\x82\xcc\x8d\xec\x90\xac\x82"
     "\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd",
     "DIRECT3Dデバイスの作成に失敗しました"},
    {"\x58\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8"
     "\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd",
     "Xファイルの読み込みに失敗しました"},
    {"\x83\x65\x83\x4e\x83\x58\x83\x60\x83\x83\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc9\x8e"
     "\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd",
     "テクスチャの読み込みに失敗しました"},
};

class Win32MessageBox : public ::testing::Test {
protected:
    void SetUp() override { MessageBoxCaptureStart(); }
    void TearDown() override
    {
        MessageBoxCaptureStop();
        RecorderStop();
    }
};

TEST_F(Win32MessageBox, ViewerTextsArriveAsUtf8InOrder)
{
    MessageBoxA(nullptr, kViewerTexts[0].cp932, "", MB_OK);
    MessageBoxA(nullptr, kViewerTexts[1].cp932, nullptr, MB_OK);
    MessageBoxA(nullptr, kViewerTexts[2].cp932, nullptr, MB_OK);
    MessageBoxA(nullptr, kViewerTexts[3].cp932, "crs.x", MB_OK);
    MessageBoxA(nullptr, kViewerTexts[4].cp932, nullptr, MB_OK);
    const std::vector<CapturedMessageBox>& boxes = CapturedMessageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(boxes[i].text, kViewerTexts[i].utf8);
        EXPECT_EQ(boxes[i].rawText, kViewerTexts[i].cp932);
        EXPECT_EQ(boxes[i].owner, nullptr);
        EXPECT_EQ(boxes[i].type, static_cast<UINT>(MB_OK));
    }
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_FALSE(boxes[0].captionNull);
    EXPECT_EQ(boxes[1].caption, "Error");
    EXPECT_TRUE(boxes[1].captionNull);
    EXPECT_EQ(boxes[3].caption, "crs.x");
    EXPECT_EQ(boxes[3].rawCaption, "crs.x");
}

TEST(Win32CodePage, WindowsOnlyCharactersConvert)
{
    // Circled one (an NEC extension), the wave dash as Windows maps it, half-width katakana, the
    // yen sign's byte that code page 932 keeps as a backslash.
    EXPECT_EQ(Cp932ToUtf8("\x87\x40"), "①");
    EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "～");
    EXPECT_EQ(Cp932ToUtf8("\xb1\xb2"), "ｱｲ");
    EXPECT_EQ(Cp932ToUtf8("tex\\a.png"), "tex\\a.png");
}

TEST(Win32CodePage, BadBytesBecomeReplacementCharacters)
{
    // A lead byte cut off at the end, a lead byte followed by a byte that cannot trail, a byte
    // that is no character at all.
    EXPECT_EQ(Cp932ToUtf8("ab\x82"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8(std::string("\x82\x0a" "c", 3)), "\xEF\xBF\xBD\nc");
    EXPECT_EQ(Cp932ToUtf8("\xa0x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(Cp932ToUtf8(""), "");
    // Long input crosses the converter's buffer.
    std::string many;
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        many += "\x82\xa0";
        expected += "あ";
    }
    EXPECT_EQ(Cp932ToUtf8(many), expected);
}

}  // namespace
