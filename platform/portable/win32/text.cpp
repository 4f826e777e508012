// GDI text output on a window's device context, with the DC's defaults: black text on an opaque
// white background, top-left aligned at the given point. The text goes into the window's text
// layer, which the device's Present composites over the next frame.
#include <algorithm>
#include <string_view>

#include "platform/portable/call_recorder.h"
#include "platform/portable/win32/font.h"
#include "platform/portable/win32/internal.h"

namespace {

constexpr std::uint8_t kTextValue = 0;          // black
constexpr std::uint8_t kBackgroundValue = 255;  // white

// Sizes the layer to the current client area; text drawn at another size is dropped.
void FitLayer(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    if (client.right == window->textWidth && client.bottom == window->textHeight) return;
    window->textWidth = client.right;
    window->textHeight = client.bottom;
    window->textPixels.assign(static_cast<std::size_t>(client.right) * client.bottom * 4, 0);
    window->textDrawn = {0, 0, 0, 0};
}

void PutPixel(HWND window, int x, int y, std::uint8_t value)
{
    if (x < 0 || y < 0 || x >= window->textWidth || y >= window->textHeight) return;
    std::uint8_t* pixel =
        &window->textPixels[(static_cast<std::size_t>(y) * window->textWidth + x) * 4];
    pixel[0] = pixel[1] = pixel[2] = value;
    pixel[3] = 255;
}

const FontGlyph& GlyphOf(const DeviceFont& font, char c)
{
    const bool printable = c >= ' ' && c <= '~';
    return font.glyphs[(printable ? c : '?') - ' '];
}

}  // namespace

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c)
{
    if (hdc == nullptr || !IsLiveWindow(hdc->window) || c < 0 || (lpString == nullptr && c > 0))
        return FALSE;
    // A view of the caller's characters: a copy would allocate on every line of every frame.
    const std::string_view text(lpString != nullptr ? lpString : "", static_cast<std::size_t>(c));
    RecordCall("TextOutA(%d, %d, \"%.*s\", %d)", x, y, c, text.data(), c);
    const DeviceFont* font = DefaultDeviceFont();
    if (font == nullptr) return FALSE;

    HWND window = hdc->window;
    FitLayer(window);
    int width = 0;
    for (char ch : text) width += GlyphOf(*font, ch).advance;
    // The whole background first: a glyph may reach into its neighbour's cell.
    for (int row = y; row < y + font->cellHeight; ++row)
        for (int column = x; column < x + width; ++column) PutPixel(window, column, row, kBackgroundValue);
    // Glyphs stay inside the text's cells, as a GDI font's do: a low underscore cannot reach the
    // line below.
    int pen = x;
    for (char ch : text) {
        const FontGlyph& glyph = GlyphOf(*font, ch);
        for (int row = 0; row < glyph.height; ++row) {
            const int pixelY = y + glyph.top + row;
            if (pixelY < y || pixelY >= y + font->cellHeight) continue;
            for (int column = 0; column < glyph.width; ++column) {
                const int pixelX = pen + glyph.left + column;
                const int coverage = glyph.coverage[static_cast<std::size_t>(row * glyph.width + column)];
                if (coverage == 0 || pixelX < x || pixelX >= x + width) continue;
                const int value = kBackgroundValue - (kBackgroundValue - kTextValue) * coverage / 255;
                PutPixel(window, pixelX, pixelY, static_cast<std::uint8_t>(value));
            }
        }
        pen += glyph.advance;
    }
    // The cells drawn, clipped to the layer, join the rectangle that Present composites.
    const LONG left = std::max(x, 0), top = std::max(y, 0);
    const LONG right = std::min(x + width, window->textWidth);
    const LONG bottom = std::min(y + font->cellHeight, window->textHeight);
    if (left < right && top < bottom) {
        RECT& drawn = window->textDrawn;
        if (drawn.right <= drawn.left || drawn.bottom <= drawn.top) {
            drawn = {left, top, right, bottom};
        } else {
            drawn = {std::min(drawn.left, left), std::min(drawn.top, top),
                     std::max(drawn.right, right), std::max(drawn.bottom, bottom)};
        }
    }
    return TRUE;
}
