// The default font of a device context, as GDI's TextOutA draws with it: one proportional font
// with a 16-pixel cell, rasterised once for printable ASCII.
#pragma once

#include <cstdint>
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
