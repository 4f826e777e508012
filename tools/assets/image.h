// A plain 24-bit RGB picture for the generated textures and the course map: pixels, filled
// rectangles and discs, text in stb_easy_font's built-in face, and PNG output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t r, g, b;
};

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;   // rows top to bottom, three bytes a pixel
};

Image MakeImage(int width, int height, Rgb fill);
Rgb GetPixel(const Image& image, int x, int y);
// Pixels outside the picture are ignored.
void SetPixel(Image& image, int x, int y, Rgb colour);
void FillRect(Image& image, int x0, int y0, int x1, int y1, Rgb colour);   // x1, y1 exclusive
void FillDisc(Image& image, double cx, double cy, double radius, Rgb colour);
// Fills the pixels whose centres lie inside the triangle.
void FillTriangle(Image& image, const double (&x)[3], const double (&y)[3], Rgb colour);
// A line `width` pixels wide.
void DrawLine(Image& image, double x0, double y0, double x1, double y1, double width, Rgb colour);
// Text with its top-left corner at (x, y), each font pixel drawn as a `scale` by `scale` block.
void DrawText(Image& image, int x, int y, int scale, const std::string& text, Rgb colour);
int TextWidth(const std::string& text, int scale);
int TextHeight(int scale);

// A repeatable pseudo-random value in 0..1 for a cell and a seed, for texture grain.
double Grain(int x, int y, int seed);
// Scales a colour's channels, clamped to 0..255.
Rgb Shade(Rgb colour, double factor);

// Writes the picture as an 8-bit RGB PNG; "" when written, otherwise what went wrong.
std::string WritePng(const Image& image, const std::string& path);
