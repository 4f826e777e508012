// GDI text in the window's text layer: black on an opaque white cell where TextOutA put it, lines
// 18 pixels apart kept apart, only the given length, clipped to the client area that it follows.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/platform/win32/test_window.h"

namespace {

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;   // inclusive; empty: right < left
};

const std::uint8_t* Pixel(HWND window, int x, int y)
{
    return &window->textPixels[(static_cast<std::size_t>(y) * window->textWidth + x) * 4];
}

bool Opaque(const std::uint8_t* p) { return p[3] == 255; }
bool Black(const std::uint8_t* p) { return p[3] == 255 && p[0] + p[1] + p[2] == 0; }

// The bounds of the layer's pixels in rows [firstRow, lastRow] that pass `test`.
Box Bounds(HWND window, int firstRow, int lastRow, bool (*test)(const std::uint8_t*) = Opaque)
{
    Box box;
    for (int y = firstRow; y <= lastRow; ++y)
        for (int x = 0; x < window->textWidth; ++x)
            if (test(Pixel(window, x, y)))
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                       std::max(box.bottom, y)};
    return box;
}

class Win32Text : public ::testing::Test {
protected:
    void SetUp() override { dc = GetDC(window = CreateTestWindow()); }
    void TearDown() override
    {
        DestroyWindow(window);
        TakeAllMessages();
    }
    HWND window = nullptr;
    HDC dc = nullptr;
};

TEST_F(Win32Text, BlackOnAWhiteCellAtThePointAndTheDrawnRectangleHoldsEveryCell)
{
    ASSERT_TRUE(TextOutA(dc, 100, 50, "wx = -4000", 10));
    ASSERT_TRUE(TextOutA(dc, 20, 80, "plate_pos = 1072", 16));
    ASSERT_EQ(window->textPixels.size(), 792u * 573u * 4u) << "the client area of 800 by 600";
    const Box cell = Bounds(window, 0, 79), ink = Bounds(window, 0, 79, Black);
    EXPECT_EQ(cell.left, 100);
    EXPECT_EQ(cell.top, 50);
    EXPECT_EQ(cell.bottom, 50 + 15) << "a 16-pixel cell";
    EXPECT_GT(cell.right - cell.left + 1, 10 * 5) << "about 8 pixels a character";
    EXPECT_LT(cell.right - cell.left + 1, 10 * 12);
    ASSERT_LE(ink.left, ink.right) << "solid black strokes";
    EXPECT_GE(ink.left, cell.left);
    EXPECT_LE(ink.right, cell.right);
    EXPECT_GT(ink.top, cell.top) << "room above the tallest letters";
    // Every pixel of the cell an opaque grey, most of them white.
    int white = 0;
    for (int y = cell.top; y <= cell.bottom; ++y)
        for (int x = cell.left; x <= cell.right; ++x) {
            const std::uint8_t* p = Pixel(window, x, y);
            ASSERT_TRUE(Opaque(p) && p[0] == p[1] && p[1] == p[2]) << x << ", " << y;
            white += p[0] == 255;
        }
    EXPECT_GT(white, (cell.right - cell.left + 1) * 16 / 2);
    // Present composites this rectangle alone.
    const Box all = Bounds(window, 0, window->textHeight - 1);
    const RECT drawn = window->textDrawn;
    EXPECT_EQ(std::vector<LONG>({drawn.left, drawn.top, drawn.right, drawn.bottom}),
              std::vector<LONG>({all.left, all.top, all.right + 1, all.bottom + 1}));
    EXPECT_EQ(drawn.bottom, 80 + 16);
}

TEST_F(Win32Text, LinesEighteenApartDoNotTouchAndOnlyTheGivenLengthIsDrawn)
{
    const char* lines[] = {"wx = 1", "wx = 1 and more", "fPosZ = -13.000000"};
    for (int i = 0; i < 3; ++i) TextOutA(dc, 0, 18 * i, lines[i], i == 2 ? 18 : 6);
    for (int i = 0; i < 3; ++i) {
        const Box line = Bounds(window, 18 * i, 18 * i + 17);
        EXPECT_EQ(line.top, 18 * i) << lines[i];
        EXPECT_EQ(line.bottom, 18 * i + 15) << lines[i] << ": two clear rows before the next";
        EXPECT_LE(Bounds(window, 18 * i, 18 * i + 17, Black).left, line.right) << lines[i];
    }
    EXPECT_EQ(Bounds(window, 18, 35).right, Bounds(window, 0, 17).right);
    EXPECT_GT(Bounds(window, 36, 53).right, Bounds(window, 0, 17).right);
}

TEST_F(Win32Text, TextIsClippedToTheClientAreaWhichTheLayerFollows)
{
    EXPECT_TRUE(TextOutA(dc, 780, 565, "clipped text", 12));
    EXPECT_TRUE(TextOutA(dc, -50, -8, "clipped text", 12));
    const Box all = Bounds(window, 0, window->textHeight - 1);
    EXPECT_EQ(std::vector<int>({all.left, all.top, all.right, all.bottom}),
              std::vector<int>({0, 0, 791, 572}));
    SDL_SetWindowSize(window->sdl, 400, 300);
    TakeAllMessages();
    TextOutA(dc, 0, 0, "wx", 2);
    EXPECT_EQ(window->textWidth, 400);
    EXPECT_EQ(window->textPixels.size(), 400u * 300u * 4u);
}

}  // namespace
