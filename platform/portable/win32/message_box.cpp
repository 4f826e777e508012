// MessageBoxA: a modal message box with the texts converted from code page 932; on a machine
// without a display (or where the headless driver was asked for), the text goes to stderr as
// "caption: text" instead. Tests capture the boxes through message_box_hook.h.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/portable/call_recorder.h"
#include "platform/portable/win32/message_box_hook.h"
#include "platform/portable/win32/codepage.h"
#include "platform/portable/win32/internal.h"
#ifdef __EMSCRIPTEN__
#include "platform/portable/web/browser.h"
#endif

namespace {

// What Windows shows for a null caption.
constexpr const char* kDefaultCaption = "Error";

bool capturing = false;
std::vector<CapturedMessageBox> captured;

bool HeadlessDriverName(const char* name)
{
    return name != nullptr && (strcasestr(name, "offscreen") != nullptr || strcasestr(name, "dummy") != nullptr);
}

bool Set(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// Whether a box can be shown: not when SDL runs (or was asked to run) without a display, nor
// before any window when no display is named (SDL would try them all, and say so). A box that
// still cannot be shown goes to stderr as well.
bool MayShowBox()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) return !HeadlessDriverName(SDL_GetCurrentVideoDriver());
    return !HeadlessDriverName(SDL_GetHint(SDL_HINT_VIDEODRIVER)) &&
           (Set("DISPLAY") || Set("WAYLAND_DISPLAY"));
}

#ifdef __EMSCRIPTEN__
// In the browser the box is drawn on the page, which waits for its button as Windows' box does.
int ShowBox(HWND, const std::string& text, const std::string& caption)
{
    ShowMessageBoxOnPage(caption.c_str(), text.c_str());
    return IDOK;
}
#else
// The box that the backend draws itself; -1 when it could not be shown. A box before any window
// starts SDL's video for itself alone, which may find no display after all.
int ShowBox(HWND owner, const std::string& text, const std::string& caption)
{
    const bool startedVideo = !SDL_WasInit(SDL_INIT_VIDEO);
    if (startedVideo && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return -1;
    const int chosen = HeadlessDriverName(SDL_GetCurrentVideoDriver())
                           ? -1
                           : ShowDrawnMessageBox(owner, text, caption);
    if (startedVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return chosen;
}
#endif

// Keeps the recorded call on one line.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

}  // namespace

void MessageBoxCaptureStart()
{
    captured.clear();
    capturing = true;
}

void MessageBoxCaptureStop() { capturing = false; }

const std::vector<CapturedMessageBox>& CapturedMessageBoxes() { return captured; }

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    if (uType != MB_OK) return 0;

    const std::string rawText = lpText != nullptr ? lpText : "";
    const std::string rawCaption = lpCaption != nullptr ? lpCaption : "";
    const std::string text = Cp932ToUtf8(rawText);
    const std::string caption = lpCaption != nullptr ? Cp932ToUtf8(rawCaption) : kDefaultCaption;
    RecordCall("MessageBoxA(\"%s\", %s%s%s, %u)", Escaped(text).c_str(), lpCaption ? "\"" : "",
               lpCaption ? Escaped(caption).c_str() : "NULL", lpCaption ? "\"" : "", uType);

    if (capturing) {
        captured.push_back({hWnd, text, caption, rawText, rawCaption, lpCaption == nullptr, uType});
        return IDOK;
    }
    if (MayShowBox()) {
        const int chosen = ShowBox(hWnd, text, caption);
        if (chosen >= 0) return chosen;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return IDOK;
}
