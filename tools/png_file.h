// PNG output of the tools that checks every write: stb_image_write's own file output ignores the
// results of fwrite and fclose, so a full disk would pass for a written picture.
#pragma once

#include <string>

// Writes `width` by `height` pixels of `channels` bytes each, rows top to bottom, as a PNG file.
// Returns "" when every byte reached the file, otherwise what went wrong ("PATH: reason").
std::string WritePngFile(const std::string& path, int width, int height, int channels,
                         const unsigned char* pixels);
