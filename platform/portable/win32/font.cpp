// The default device-context font: found through fontconfig (DejaVu Sans Bold, from Debian's
// fonts-dejavu-core, comes closest to Windows' bold "System" font), rasterised with stb_truetype,
// on a thread of its own while the window that will show it is being made.
#include "platform/portable/win32/font.h"

#ifndef __EMSCRIPTEN__
#include <fontconfig/fontconfig.h>
#endif
#include <stb_truetype.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>

#include "platform/portable/frame_rate.h"

namespace {

constexpr const char* kFontPattern = "DejaVu Sans:bold";

#ifdef __EMSCRIPTEN__
// The web page carries the font as preloaded data, at this path.
std::string FindFontFile(int* faceIndex)
{
    *faceIndex = 0;
    return "/fonts/DejaVuSans-Bold.ttf";
}
#else
// The file that fontconfig offers for the pattern, with its face index; empty when none.
std::string FindFontFile(int* faceIndex)
{
    std::string path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(kFontPattern));
    if (pattern == nullptr) return path;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, faceIndex) != FcResultMatch) *faceIndex = 0;
    }
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}
#endif

std::unique_ptr<DeviceFont> LoadFont(std::string* error)
{
    int faceIndex = 0;
    const std::string path = FindFontFile(&faceIndex);
    if (path.empty()) {
        *error = "fontconfig offers no font for \"" + std::string(kFontPattern) +
                 "\"; install fonts-dejavu-core";
        return nullptr;
    }
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> data{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    stbtt_fontinfo info{};
    const int offset = data.empty() ? -1 : stbtt_GetFontOffsetForIndex(data.data(), faceIndex);
    if (offset < 0 || !stbtt_InitFont(&info, data.data(), offset)) {
        *error = "cannot read the TrueType font " + path + "; install fonts-dejavu-core";
        return nullptr;
    }

    auto font = std::make_unique<DeviceFont>();
    font->cellHeight = kDefaultFontCellHeight;
    // Ascent minus descent fills the cell, as a GDI font's cell height is its ascent plus descent.
    const float scale = stbtt_ScaleForPixelHeight(&info, static_cast<float>(kDefaultFontCellHeight));
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &lineGap);
    const int baseline = static_cast<int>(std::lround(static_cast<float>(ascent) * scale));
    for (int code = ' '; code <= '~'; ++code) {
        FontGlyph& glyph = font->glyphs[code - ' '];
        int advance = 0, leftBearing = 0;
        stbtt_GetCodepointHMetrics(&info, code, &advance, &leftBearing);
        glyph.advance = static_cast<int>(std::lround(static_cast<float>(advance) * scale));
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBox(&info, code, scale, scale, &x0, &y0, &x1, &y1);
        glyph.left = x0;
        glyph.top = baseline + y0;
        glyph.width = x1 - x0;
        glyph.height = y1 - y0;
        glyph.coverage.assign(static_cast<std::size_t>(glyph.width * glyph.height), 0);
        if (!glyph.coverage.empty()) {
            stbtt_MakeCodepointBitmap(&info, glyph.coverage.data(), glyph.width, glyph.height,
                                      glyph.width, scale, scale, code);
        }
    }
    return font;
}

struct LoadedFont {
    std::unique_ptr<DeviceFont> font;
    std::string error;
};

#ifdef __EMSCRIPTEN__
// The page runs no threads: the font is read at its first use.
constexpr std::launch kLoadPolicy = std::launch::deferred;
#else
constexpr std::launch kLoadPolicy = std::launch::async;
#endif

std::once_flag loadStarted;
std::future<LoadedFont> pendingFont;

}  // namespace

void StartLoadingDefaultDeviceFont()
{
    std::call_once(loadStarted, [] {
        pendingFont = std::async(kLoadPolicy, [] {
            LoadedFont loaded;
            loaded.font = LoadFont(&loaded.error);
            return loaded;
        });
    });
}

const DeviceFont* DefaultDeviceFont()
{
    static const std::unique_ptr<DeviceFont> font = [] {
        StartLoadingDefaultDeviceFont();
        LoadedFont loaded = pendingFont.get();
        if (!loaded.font) std::fprintf(stderr, "TextOutA: no font: %s\n", loaded.error.c_str());
        MarkStartupStep("font");
        return std::move(loaded.font);
    }();
    return font.get();
}
