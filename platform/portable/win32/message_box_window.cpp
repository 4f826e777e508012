// The desktop's message box, drawn by the backend itself in an SDL window of its own: its text in
// a Japanese font found through fontconfig (SDL's own box needs the X server's core fonts, which
// many servers lack), the caption as the window's title and one OK button. Modal: it reads every
// event until it is dismissed, so the viewer's windows get no input meanwhile.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/portable/win32/font.h"
#include "platform/portable/win32/internal.h"

namespace {

// Any font with the Japanese glyphs; the package brings IPA Gothic (fonts-ipafont-gothic).
constexpr const char* kBoxFontPattern = ":lang=ja";
constexpr int kTextCellHeight = 18;
constexpr int kMargin = 24;
constexpr int kMinimumWidth = 260;
constexpr int kButtonWidth = 88, kButtonHeight = 28;
constexpr int kButtonBandHeight = 48;   // the grey band along the bottom that holds the button
constexpr std::uint32_t kWhite = 0xFFFFFF, kBand = 0xF0F0F0, kButtonFace = 0xE1E1E1,
                        kButtonEdge = 0x0078D7, kBlack = 0x000000;

// The box's picture: 0xRRGGBB pixels, width by height.
struct Canvas {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

struct Layout {
    std::vector<std::vector<FontGlyph>> lines;
    int width = 0, height = 0;
    SDL_Rect button{0, 0, 0, 0};
};

std::vector<std::vector<FontGlyph>> GlyphLines(const ScalableFont& font, const std::string& text)
{
    std::vector<std::vector<FontGlyph>> lines(1);
    // UTF-32 in the machine's byte order, ended by a zero.
    const char* utf32 = SDL_BYTEORDER == SDL_LIL_ENDIAN ? "UTF-32LE" : "UTF-32BE";
    const std::unique_ptr<Uint32, decltype(&SDL_free)> codepoints(
        reinterpret_cast<Uint32*>(SDL_iconv_string(utf32, "UTF-8", text.c_str(), text.size() + 1)),
        &SDL_free);
    for (const Uint32* c = codepoints.get(); c != nullptr && *c != 0; ++c) {
        if (*c == '\n') lines.emplace_back();
        else if (*c != '\r') lines.back().push_back(RasteriseGlyph(font, kTextCellHeight, *c));
    }
    return lines;
}

int LineWidth(const std::vector<FontGlyph>& line)
{
    int width = 0;
    for (const FontGlyph& glyph : line) width += glyph.advance;
    return width;
}

Layout LayOut(const ScalableFont& font, const std::string& text)
{
    Layout layout;
    layout.lines = GlyphLines(font, text);
    int textWidth = 0;
    for (const auto& line : layout.lines) textWidth = std::max(textWidth, LineWidth(line));
    const int textHeight = static_cast<int>(layout.lines.size()) * kTextCellHeight;
    layout.width = std::max(kMinimumWidth, textWidth + 2 * kMargin);
    layout.height = textHeight + 2 * kMargin + kButtonBandHeight;
    layout.button = {layout.width - kMargin / 2 - kButtonWidth,
                     layout.height - (kButtonBandHeight + kButtonHeight) / 2, kButtonWidth,
                     kButtonHeight};
    return layout;
}

void Fill(Canvas& canvas, const SDL_Rect& rect, std::uint32_t colour)
{
    for (int y = std::max(0, rect.y); y < std::min(canvas.height, rect.y + rect.h); ++y)
        for (int x = std::max(0, rect.x); x < std::min(canvas.width, rect.x + rect.w); ++x)
            canvas.pixels[static_cast<std::size_t>(y) * canvas.width + x] = colour;
}

// Black text blended over what is there, its cell's top left at (x, y).
void DrawText(Canvas& canvas, const std::vector<FontGlyph>& line, int x, int y)
{
    for (const FontGlyph& glyph : line) {
        for (int row = 0; row < glyph.height; ++row) {
            for (int column = 0; column < glyph.width; ++column) {
                const int px = x + glyph.left + column, py = y + glyph.top + row;
                const int cover =
                    glyph.coverage[static_cast<std::size_t>(row * glyph.width + column)];
                if (cover == 0 || px < 0 || py < 0 || px >= canvas.width || py >= canvas.height)
                    continue;
                std::uint32_t& pixel =
                    canvas.pixels[static_cast<std::size_t>(py) * canvas.width + px];
                std::uint32_t blended = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int under = static_cast<int>((pixel >> shift) & 0xFF);
                    blended |= static_cast<std::uint32_t>(under - under * cover / 255) << shift;
                }
                pixel = blended;
            }
        }
        x += glyph.advance;
    }
}

Canvas Paint(const Layout& layout, const std::vector<FontGlyph>& okLabel)
{
    const std::size_t size = static_cast<std::size_t>(layout.width) * layout.height;
    Canvas canvas{layout.width, layout.height, std::vector<std::uint32_t>(size)};
    Fill(canvas, {0, 0, layout.width, layout.height}, kWhite);
    int y = kMargin;
    for (const auto& line : layout.lines) {
        DrawText(canvas, line, kMargin, y);
        y += kTextCellHeight;
    }
    Fill(canvas, {0, layout.height - kButtonBandHeight, layout.width, kButtonBandHeight}, kBand);
    const SDL_Rect& b = layout.button;
    // The default button's blue edge, two pixels wide.
    Fill(canvas, b, kButtonEdge);
    Fill(canvas, {b.x + 2, b.y + 2, b.w - 4, b.h - 4}, kButtonFace);
    DrawText(canvas, okLabel, b.x + (b.w - LineWidth(okLabel)) / 2,
             b.y + (b.h - kTextCellHeight) / 2);
    return canvas;
}

void Show(SDL_Window* window, Canvas& canvas)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        canvas.pixels.data(), canvas.width, canvas.height, 32, canvas.width * 4,
        SDL_PIXELFORMAT_RGB888);
    if (target != nullptr && source != nullptr) {
        SDL_BlitSurface(source, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(window);
    }
    SDL_FreeSurface(source);
}

bool Inside(const SDL_Rect& rect, int x, int y)
{
    const SDL_Point point{x, y};
    return SDL_PointInRect(&point, &rect) == SDL_TRUE;
}

// Reads events until the box is dismissed. Window events of other windows (exposure, resizing)
// are kept for the viewer's queue; their input and close requests are dropped, as a modal box
// disables its owner.
//
// It polls rather than waits: while SDL_WaitEvent blocks, SDL's X11 driver wakes it with a
// message sent to the window over a second connection, which the X server may handle after the
// box is destroyed on the first; the BadWindow that follows ends the program (Xlib's default
// error handler), as it did when Return dismissed the box on a loaded machine.
void RunBox(SDL_Window* box, const Layout& layout, Canvas& canvas)
{
    constexpr Uint32 kPollMs = 10;
    const Uint32 boxId = SDL_GetWindowID(box);
    std::vector<SDL_Event> kept;
    bool pressedOnButton = false;
    for (bool done = false; !done;) {
        SDL_Event event;
        if (SDL_PollEvent(&event) == 0) {
            SDL_Delay(kPollMs);
            continue;
        }
        switch (event.type) {
        case SDL_WINDOWEVENT:
            if (event.window.windowID != boxId) {
                if (event.window.event != SDL_WINDOWEVENT_CLOSE) kept.push_back(event);
            } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                done = true;
            } else {
                Show(box, canvas);
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.windowID != boxId) break;
            switch (event.key.keysym.sym) {
            case SDLK_RETURN: case SDLK_KP_ENTER: case SDLK_ESCAPE: case SDLK_SPACE:
                done = true;
                break;
            default: break;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            pressedOnButton = event.button.windowID == boxId &&
                              event.button.button == SDL_BUTTON_LEFT &&
                              Inside(layout.button, event.button.x, event.button.y);
            break;
        case SDL_MOUSEBUTTONUP:
            done = pressedOnButton && event.button.windowID == boxId &&
                   Inside(layout.button, event.button.x, event.button.y);
            pressedOnButton = false;
            break;
        default: break;
        }
    }
    for (SDL_Event& event : kept) SDL_PushEvent(&event);
}

}  // namespace

int ShowDrawnMessageBox(HWND owner, const std::string& text, const std::string& caption)
{
    std::string error;
    const ScalableFontPtr font = OpenScalableFont(kBoxFontPattern, &error);
    if (!font) {
        std::fprintf(stderr, "MessageBoxA: no font: %s; install fonts-ipafont-gothic\n",
                     error.c_str());
        return -1;
    }
    if (!FontHasGlyph(*font, 0x3042)) {   // HIRAGANA LETTER A
        std::fprintf(stderr, "MessageBoxA: the font has no Japanese glyphs; "
                             "install fonts-ipafont-gothic\n");
    }
    // Drawing into the box may make a GL context current (SDL's window surface on Wayland is a
    // texture); the viewer's is made current again afterwards.
    SDL_Window* glWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext glContext = SDL_GL_GetCurrentContext();

    const Layout layout = LayOut(*font, text);
    Canvas canvas = Paint(layout, GlyphLines(*font, "OK").front());
    SDL_Window* box = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                       SDL_WINDOWPOS_CENTERED, layout.width, layout.height, 0);
    if (box == nullptr) return -1;
    SDL_Window* parent = IsLiveWindow(owner) ? owner->sdl : SDL_GetKeyboardFocus();
    if (parent != nullptr) SDL_SetWindowModalFor(box, parent);
    SDL_RaiseWindow(box);
    Show(box, canvas);
    RunBox(box, layout, canvas);
    SDL_DestroyWindow(box);
    if (glWindow != nullptr && glContext != nullptr) SDL_GL_MakeCurrent(glWindow, glContext);
    return IDOK;
}
