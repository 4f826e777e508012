// The default font of a device context, as GDI's TextOutA draws with it: one proportional font
// with a 16-pixel cell, rasterised once for printable ASCII. Also the fontconfig and stb_truetype
// steps behind it, for the message boxes' text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FontGlyph {
    int advance = 0;               // pen movement to the next character, whole pixels
    int left = 0, top = 0;         // bitmap position relative to the pen on the cell's top edge
    int width = 0, height = 0;
    std::vector<std::uint8_t> coverage;   // width by height, 0 (none) to 255 (full)
};

struct DeviceFont {
    int cellHeight = 0;
    FontGlyph glyphs[95];   // ' ' to '~'
};

// Pixel height of a character cell, as Windows' default font has it.
constexpr int kDefaultFontCellHeight = 16;

// Starts reading the font on a thread of its own, if nothing has started it yet.
void StartLoadingDefaultDeviceFont();
// The font, waiting for it if it is being read, or reading it now if nothing started it; null
// when no usable font is installed (said once on stderr).
const DeviceFont* DefaultDeviceFont();

// A font file read whole, for stb_truetype to rasterise.
struct ScalableFont;
struct ScalableFontDeleter {
    void operator()(ScalableFont* font) const;
};
using ScalableFontPtr = std::unique_ptr<ScalableFont, ScalableFontDeleter>;

// The font that fontconfig offers for the pattern (in FcNameParse's syntax), read; null with
// *error set when none is offered or it cannot be read.
ScalableFontPtr OpenScalableFont(const char* pattern, std::string* error);

// Whether the font has a glyph of its own for the Unicode code point.
bool FontHasGlyph(const ScalableFont& font, int codepoint);

// The glyph of a Unicode code point in a cell of the given pixel height, its ascent plus descent;
// a code point the font lacks gives the font's missing-glyph box.
FontGlyph RasteriseGlyph(const ScalableFont& font, int cellHeight, int codepoint);
