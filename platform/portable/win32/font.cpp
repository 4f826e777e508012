// The default device-context font: found through fontconfig (DejaVu Sans Bold, from Debian's
// fonts-dejavu-core, comes closest to Windows' bold "System" font), rasterised with stb_truetype,
// on a thread of its own while the window that will show it is being made. Any other font is
// found and rasterised the same way.
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

// info points into data, so the record stays where it was made.
struct ScalableFont {
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
};

namespace {

constexpr const char* kFontPattern = "DejaVu Sans:bold";

#ifndef __EMSCRIPTEN__
// The file that fontconfig offers for the pattern, with its face index; empty when none.
std::string FontFileOf(const char* pattern, int* faceIndex)
{
    std::string path;
    FcPattern* query = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    if (query == nullptr) return path;
    FcConfigSubstitute(nullptr, query, FcMatchPattern);
    FcDefaultSubstitute(query);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, query, &result);
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, faceIndex) != FcResultMatch) *faceIndex = 0;
    }
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(query);
    return path;
}
#endif

std::unique_ptr<DeviceFont> LoadFont(std::string* error)
{
    const ScalableFontPtr source = OpenScalableFont(kFontPattern, error);
    if (!source) {
        *error += "; install fonts-dejavu-core";
        return nullptr;
    }
    auto font = std::make_unique<DeviceFont>();
    font->cellHeight = kDefaultFontCellHeight;
    for (int code = ' '; code <= '~'; ++code)
        font->glyphs[code - ' '] = RasteriseGlyph(*source, kDefaultFontCellHeight, code);
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

#ifdef __EMSCRIPTEN__
// The web page carries the overlay's font as preloaded data, at this path.
ScalableFontPtr OpenScalableFont(const char*, std::string* error)
{
    const std::string path = "/fonts/DejaVuSans-Bold.ttf";
    const int faceIndex = 0;
#else
ScalableFontPtr OpenScalableFont(const char* pattern, std::string* error)
{
    int faceIndex = 0;
    const std::string path = FontFileOf(pattern, &faceIndex);
    if (path.empty()) {
        *error = "fontconfig offers no font for \"" + std::string(pattern) + "\"";
        return nullptr;
    }
#endif
    ScalableFontPtr font(new ScalableFont);
    std::ifstream in(path, std::ios::binary);
    font->data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const int offset =
        font->data.empty() ? -1 : stbtt_GetFontOffsetForIndex(font->data.data(), faceIndex);
    if (offset < 0 || !stbtt_InitFont(&font->info, font->data.data(), offset)) {
        *error = "cannot read the TrueType font " + path;
        return nullptr;
    }
    return font;
}

void ScalableFontDeleter::operator()(ScalableFont* font) const { delete font; }

bool FontHasGlyph(const ScalableFont& font, int codepoint)
{
    return stbtt_FindGlyphIndex(&font.info, codepoint) != 0;
}

FontGlyph RasteriseGlyph(const ScalableFont& font, int cellHeight, int codepoint)
{
    // Ascent minus descent fills the cell, as a GDI font's cell height is its ascent plus descent.
    const float scale = stbtt_ScaleForPixelHeight(&font.info, static_cast<float>(cellHeight));
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&font.info, &ascent, &descent, &lineGap);
    const int baseline = static_cast<int>(std::lround(static_cast<float>(ascent) * scale));
    FontGlyph glyph;
    int advance = 0, leftBearing = 0;
    stbtt_GetCodepointHMetrics(&font.info, codepoint, &advance, &leftBearing);
    glyph.advance = static_cast<int>(std::lround(static_cast<float>(advance) * scale));
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBitmapBox(&font.info, codepoint, scale, scale, &x0, &y0, &x1, &y1);
    glyph.left = x0;
    glyph.top = baseline + y0;
    glyph.width = x1 - x0;
    glyph.height = y1 - y0;
    glyph.coverage.assign(static_cast<std::size_t>(glyph.width * glyph.height), 0);
    if (!glyph.coverage.empty()) {
        stbtt_MakeCodepointBitmap(&font.info, glyph.coverage.data(), glyph.width, glyph.height,
                                  glyph.width, scale, scale, codepoint);
    }
    return glyph;
}
