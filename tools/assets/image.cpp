// Pixel operations, the text face of stb_easy_font (rectangles in a 7-pixel grid) and PNG output.
#include "tools/assets/image.h"

#include <stb/stb_easy_font.h>

#include <algorithm>
#include <cmath>

#include "tools/png_file.h"

Image MakeImage(int width, int height, Rgb fill)
{
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * height * 3);
    FillRect(image, 0, 0, width, height, fill);
    return image;
}

Rgb GetPixel(const Image& image, int x, int y)
{
    const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
    return {image.pixels[at], image.pixels[at + 1], image.pixels[at + 2]};
}

void SetPixel(Image& image, int x, int y, Rgb colour)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
    image.pixels[at] = colour.r;
    image.pixels[at + 1] = colour.g;
    image.pixels[at + 2] = colour.b;
}

void FillRect(Image& image, int x0, int y0, int x1, int y1, Rgb colour)
{
    for (int y = std::max(y0, 0); y < std::min(y1, image.height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, image.width); ++x) SetPixel(image, x, y, colour);
}

void FillDisc(Image& image, double cx, double cy, double radius, Rgb colour)
{
    const int x0 = static_cast<int>(std::floor(cx - radius)), x1 = static_cast<int>(std::ceil(cx + radius));
    const int y0 = static_cast<int>(std::floor(cy - radius)), y1 = static_cast<int>(std::ceil(cy + radius));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy <= radius * radius) SetPixel(image, x, y, colour);
        }
}

void FillTriangle(Image& image, const double (&x)[3], const double (&y)[3], Rgb colour)
{
    const int x0 = static_cast<int>(std::floor(std::min({x[0], x[1], x[2]})));
    const int x1 = static_cast<int>(std::ceil(std::max({x[0], x[1], x[2]})));
    const int y0 = static_cast<int>(std::floor(std::min({y[0], y[1], y[2]})));
    const int y1 = static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]})));
    const double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0.0) return;
    for (int py = y0; py <= y1; ++py)
        for (int px = x0; px <= x1; ++px) {
            const double cx = px + 0.5, cy = py + 0.5;
            const double a = ((x[1] - cx) * (y[2] - cy) - (x[2] - cx) * (y[1] - cy)) / area;
            const double b = ((x[2] - cx) * (y[0] - cy) - (x[0] - cx) * (y[2] - cy)) / area;
            if (a >= 0.0 && b >= 0.0 && a + b <= 1.0) SetPixel(image, px, py, colour);
        }
}

void DrawLine(Image& image, double x0, double y0, double x1, double y1, double width, Rgb colour)
{
    const double length = std::hypot(x1 - x0, y1 - y0);
    const int steps = std::max(1, static_cast<int>(std::ceil(length * 2)));
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        FillDisc(image, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, colour);
    }
}

void DrawText(Image& image, int x, int y, int scale, const std::string& text, Rgb colour)
{
    // stb_easy_font fills quads of four vertices of 16 bytes: x, y, z as floats, then a colour.
    std::vector<char> buffer(text.size() * 1200 + 64);   // a glyph takes up to about 1 KB
    std::string copy = text;
    const int quads = stb_easy_font_print(0.0f, 0.0f, copy.data(), nullptr, buffer.data(),
                                          static_cast<int>(buffer.size()));
    for (int q = 0; q < quads; ++q) {
        const float* v0 = reinterpret_cast<const float*>(buffer.data() + q * 64);
        const float* v2 = reinterpret_cast<const float*>(buffer.data() + q * 64 + 32);
        FillRect(image, x + static_cast<int>(v0[0]) * scale, y + static_cast<int>(v0[1]) * scale,
                 x + static_cast<int>(v2[0]) * scale, y + static_cast<int>(v2[1]) * scale, colour);
    }
}

int TextWidth(const std::string& text, int scale)
{
    std::string copy = text;
    return stb_easy_font_width(copy.data()) * scale;
}

int TextHeight(int scale) { return 7 * scale; }

double Grain(int x, int y, int seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFu) / 65535.0;
}

Rgb Shade(Rgb colour, double factor)
{
    auto channel = [factor](std::uint8_t c) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(c * factor), 0L, 255L));
    };
    return {channel(colour.r), channel(colour.g), channel(colour.b)};
}

std::string WritePng(const Image& image, const std::string& path)
{
    return WritePngFile(path, image.width, image.height, 3, image.pixels.data());
}
