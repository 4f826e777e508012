// GDI text in the window's text layer: black on an opaque white cell where TextOutA put it, nothing
// elsewhere, overlay lines 18 pixels apart kept apart, and the call in the call log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/portable/call_recorder.h"
#include "tests/platform/win32/test_window.h"

namespace {

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;   // inclusive; empty when right < left
    bool Empty() const { return right < left; }
};

const std::uint8_t* Pixel(HWND window, int x, int y)
{
    return &window->textPixels[(static_cast<std::size_t>(y) * window->textWidth + x) * 4];
}

// The bounding box of the layer's pixels within rows [firstRow, lastRow] that pass the test.
template <typename Test>
Box Bounds(HWND window, int firstRow, int lastRow, Test test)
{
    Box box;
    for (int y = firstRow; y <= lastRow; ++y) {
        for (int x = 0; x < window->textWidth; ++x) {
            if (!test(Pixel(window, x, y))) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

bool Opaque(const std::uint8_t* p) { return p[3] == 255; }
bool Black(const std::uint8_t* p) { return p[3] == 255 && p[0] == 0 && p[1] == 0 && p[2] == 0; }
bool White(const std::uint8_t* p) { return p[3] == 255 && p[0] == 255 && p[1] == 255 && p[2] == 255; }
bool Grey(const std::uint8_t* p) { return p[0] == p[1] && p[1] == p[2]; }

class Win32Text : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = CreateTestWindow();
        dc = GetDC(window);
    }
    void TearDown() override
    {
        RecorderStop();
        DestroyWindow(window);
        TakeAllMessages();
    }

    HWND window = nullptr;
    HDC dc = nullptr;
};

TEST_F(Win32Text, TextIsBlackOnAnOpaqueWhiteCellAtThePoint)
{
    const char text[] = "wx = -4000";
    ASSERT_TRUE(TextOutA(dc, 100, 50, text, static_cast<int>(std::strlen(text))));
    ASSERT_EQ(window->textWidth, 792);
    ASSERT_EQ(window->textHeight, 573);
    ASSERT_EQ(window->textPixels.size(), 792u * 573u * 4u);

    const Box cell = Bounds(window, 0, window->textHeight - 1, Opaque);
    ASSERT_FALSE(cell.Empty());
    EXPECT_EQ(cell.left, 100);
    EXPECT_EQ(cell.top, 50);
    EXPECT_EQ(cell.bottom, 50 + 15) << "a 16-pixel cell";
    // About eight pixels a character in a bold 16-pixel font.
    EXPECT_GT(cell.right - cell.left + 1, 10 * 5);
    EXPECT_LT(cell.right - cell.left + 1, 10 * 12);

    const Box ink = Bounds(window, 0, window->textHeight - 1, Black);
    ASSERT_FALSE(ink.Empty()) << "solid black strokes";
    EXPECT_GE(ink.left, cell.left);
    EXPECT_LE(ink.right, cell.right);
    EXPECT_GT(ink.top, cell.top) << "room above the tallest letters";
    EXPECT_LE(ink.bottom, cell.bottom);

    // Every opaque pixel is a grey between the two, most of the cell is white background.
    int white = 0, cellPixels = 0;
    for (int y = cell.top; y <= cell.bottom; ++y) {
        for (int x = cell.left; x <= cell.right; ++x) {
            const std::uint8_t* p = Pixel(window, x, y);
            ASSERT_TRUE(Opaque(p) && Grey(p)) << x << ", " << y;
            white += White(p);
            ++cellPixels;
        }
    }
    EXPECT_GT(white, cellPixels / 2);
}

TEST_F(Win32Text, OverlayLinesEighteenPixelsApartDoNotTouch)
{
    const char* lines[] = {"wx = -4000", "wy = 13000", "fPosZ = -13.000000", "plate_pos = 0"};
    for (int i = 0; i < 4; ++i)
        TextOutA(dc, 0, 18 * i, lines[i], static_cast<int>(std::strlen(lines[i])));
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(lines[i]);
        const Box line = Bounds(window, 18 * i, 18 * i + 17, Opaque);
        ASSERT_FALSE(line.Empty());
        EXPECT_EQ(line.top, 18 * i);
        EXPECT_EQ(line.bottom, 18 * i + 15) << "two transparent rows before the next line";
        EXPECT_FALSE(Bounds(window, 18 * i, 18 * i + 17, Black).Empty());
    }
    // The longer line is wider.
    EXPECT_GT(Bounds(window, 36, 53, Opaque).right, Bounds(window, 0, 17, Opaque).right);
}

TEST_F(Win32Text, TheDrawnRectangleHoldsEveryCellDrawnAndNothingMore)
{
    ASSERT_TRUE(TextOutA(dc, 100, 50, "wx = -4000", 10));
    ASSERT_TRUE(TextOutA(dc, 20, 80, "plate_pos = 1072", 16));
    // Present composites this rectangle alone, so it must hold every opaque pixel.
    const Box cells = Bounds(window, 0, window->textHeight - 1, Opaque);
    ASSERT_FALSE(cells.Empty());
    EXPECT_EQ(window->textDrawn.left, cells.left);
    EXPECT_EQ(window->textDrawn.top, cells.top);
    EXPECT_EQ(window->textDrawn.right, cells.right + 1);
    EXPECT_EQ(window->textDrawn.bottom, cells.bottom + 1);
    EXPECT_EQ(window->textDrawn.top, 50);
    EXPECT_EQ(window->textDrawn.bottom, 80 + 16);
}

TEST_F(Win32Text, OnlyTheGivenLengthIsDrawn)
{
    TextOutA(dc, 0, 0, "wx = 1", 6);
    const int sixWide = Bounds(window, 0, 17, Opaque).right;
    window->textPixels.assign(window->textPixels.size(), 0);
    TextOutA(dc, 0, 0, "wx = 1 and more", 6);
    EXPECT_EQ(Bounds(window, 0, 17, Opaque).right, sixWide);
    window->textPixels.assign(window->textPixels.size(), 0);
    EXPECT_TRUE(TextOutA(dc, 0, 0, "ignored", 0));
    EXPECT_TRUE(Bounds(window, 0, 17, Opaque).Empty());
}

TEST_F(Win32Text, TextLeavingTheClientAreaIsClipped)
{
    EXPECT_TRUE(TextOutA(dc, 780, 565, "clipped text", 12));
    EXPECT_TRUE(TextOutA(dc, -50, -8, "clipped text", 12));
    const Box all = Bounds(window, 0, window->textHeight - 1, Opaque);
    EXPECT_EQ(all.left, 0);
    EXPECT_EQ(all.top, 0);
    EXPECT_EQ(all.right, 791);
    EXPECT_EQ(all.bottom, 572);
}

TEST_F(Win32Text, LayerFollowsTheClientAreaAfterAResize)
{
    SDL_SetWindowSize(window->sdl, 400, 300);
    TakeAllMessages();
    const std::vector<ReceivedMessage> sizes = ReceivedOf(WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(LOWORD(sizes.back().lParam), 400);
    EXPECT_EQ(HIWORD(sizes.back().lParam), 300);
    TextOutA(dc, 0, 0, "wx", 2);
    EXPECT_EQ(window->textWidth, 400);
    EXPECT_EQ(window->textHeight, 300);
    EXPECT_EQ(window->textPixels.size(), 400u * 300u * 4u);
}

}  // namespace
