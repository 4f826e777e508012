// The ten diagnostic lines that show the motion state, in their order and formats. The window's
// overlay and the headless drive tool both format through here, so they print the same text.
#pragma once

#include <cstddef>

constexpr int kOverlayLineCount = 10;
constexpr int kOverlayLineSpacing = 18;   // pixels from one line's top to the next

// Formats line `index` (0 = "wx = ...", 9 = "plate_pos = ...") of the current motion state into
// `buffer`, truncating to `size` - 1 characters. Returns the length of the full line.
int FormatOverlayLine(int index, char* buffer, std::size_t size);
