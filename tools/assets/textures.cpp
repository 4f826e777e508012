// Texture pictures. u runs across a strip (left to right as the car drives), v along it; a
// repeating texture's rows 0 and last meet without a seam. Grain is low in contrast because the
// viewer samples without mipmaps, where strong noise would shimmer.
#include "tools/assets/textures.h"

#include <cmath>

#include "tools/assets/car_mesh.h"

namespace {

constexpr Rgb kWhite{236, 236, 230};
constexpr Rgb kAsphalt{96, 97, 102};

Image Grainy(int width, int height, Rgb base, double amount, int seed)
{
    Image image = MakeImage(width, height, base);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPixel(image, x, y, Shade(base, 1.0 + amount * (Grain(x, y, seed) - 0.5)));
    return image;
}

// Asphalt with white edge lines; the centre line is left to the caller.
Image Asphalt(int height)
{
    Image image = Grainy(128, height, kAsphalt, 0.12, 1);
    FillRect(image, 3, 0, 7, height, kWhite);
    FillRect(image, 121, 0, 125, height, kWhite);
    return image;
}

Image Road()
{
    Image image = Asphalt(256);
    FillRect(image, 62, 0, 66, 128, kWhite);   // a dash and a gap of the centre line per repeat
    return image;
}

// The road with a chequered band across it at the start of the plate (v = 0) and a white line
// just beyond.
Image StartLine()
{
    Image image = Asphalt(128);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 8; ++col) {
            const Rgb c = (row + col) % 2 == 0 ? kWhite : Rgb{20, 20, 22};
            FillRect(image, col * 16, row * 16, col * 16 + 16, row * 16 + 16, c);
        }
    FillRect(image, 0, 36, 128, 42, kWhite);
    return image;
}

Image Kerb()
{
    Image image = MakeImage(16, 64, Rgb{205, 32, 28});
    FillRect(image, 0, 32, 16, 64, kWhite);
    return image;
}

Image Grass()
{
    Image image = Grainy(64, 64, Rgb{72, 122, 48}, 0.18, 2);
    return image;
}

Image Concrete()
{
    Image image = Grainy(64, 64, Rgb{172, 170, 162}, 0.10, 3);
    FillRect(image, 0, 62, 64, 64, Rgb{130, 128, 122});   // a joint between pours
    return image;
}

Image Barrier()
{
    Image image = MakeImage(32, 64, Rgb{32, 70, 170});
    FillRect(image, 0, 32, 32, 64, kWhite);
    return image;
}

// Red body, a white stripe along the middle, the number 7 on the nose and the engine cover; the
// side view below with the stripe along the flank.
Image Livery()
{
    const Rgb red{210, 24, 20}, white{240, 240, 240}, dark{25, 25, 30};
    Image image = MakeImage(256, 1024, red);
    // Top view: 256 pixels across 2 * kLiveryHalfWidth, 512 along kCarLength.
    const double perX = 256 / (2 * kLiveryHalfWidth), perZ = 512 / kCarLength;
    auto row = [perZ](double z) { return static_cast<int>(std::lround((z + kCarLength / 2) * perZ)); };
    FillRect(image, 128 - 6, 0, 128 + 6, 512, white);
    for (const double z : {-1.55, 1.05}) {
        const double cy = row(z), r = 0.15 * perX;
        FillDisc(image, 128, cy, r + 3, dark);
        FillDisc(image, 128, cy, r, white);
        const int scale = 4;
        DrawText(image, 128 - TextWidth("7", scale) / 2 + scale / 2, static_cast<int>(cy) - TextHeight(scale) / 2,
                 scale, "7", dark);
    }
    // Side view: 512 rows for kLiveryHeight, the stripe at mid height of the sidepods.
    FillRect(image, 0, 512 + static_cast<int>(512 * (1 - 0.36 / kLiveryHeight)), 256,
             512 + static_cast<int>(512 * (1 - 0.30 / kLiveryHeight)), white);
    return image;
}

// Rubber with a yellow band around the sidewall; the middle pixel, which the tread takes, is plain.
Image Tyre()
{
    Image image = Grainy(64, 64, Rgb{30, 30, 33}, 0.10, 4);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double r = std::hypot(x + 0.5 - 32, y + 0.5 - 32) / 32;
            if (r > 0.78 && r < 0.86) SetPixel(image, x, y, Rgb{235, 190, 30});
            if (r < 0.55) SetPixel(image, x, y, Rgb{24, 24, 27});
        }
    return image;
}

// A twill weave in two dark greys.
Image Carbon()
{
    Image image = MakeImage(32, 32, Rgb{24, 24, 28});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (((x / 4) + (y / 4)) % 2 == 0) SetPixel(image, x, y, Rgb{44, 44, 50});
    return image;
}

// The helmet from crown (top row) to chin: yellow with a blue band.
Image Helmet()
{
    Image image = MakeImage(16, 64, Rgb{250, 200, 24});
    FillRect(image, 0, 20, 16, 26, Rgb{30, 60, 200});
    return image;
}

}  // namespace

std::vector<NamedImage> CourseTextures()
{
    return {{"grass.png", Grass()},     {"road.png", Road()},           {"start.png", StartLine()},
            {"kerb.png", Kerb()},       {"concrete.png", Concrete()},   {"barrier.png", Barrier()}};
}

std::vector<NamedImage> CarTextures()
{
    return {{"livery.png", Livery()},
            {"tyre.png", Tyre()},
            {"carbon.png", Carbon()},
            {"cockpit.png", Grainy(16, 16, Rgb{14, 14, 16}, 0.2, 5)},
            {"helmet.png", Helmet()},
            {"metal.png", Grainy(16, 16, Rgb{150, 152, 160}, 0.15, 6)}};
}
