// MessageBoxA: a modal SDL message box with the texts converted from code page 932; on a machine
// without a display (or where the headless driver was asked for), the text goes to stderr as
// "caption: text" instead. Tests capture the boxes through message_box_hook.h.
#include <strings.h>

#include <cstdio>
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

// Whether a box can be shown: not when SDL runs (or was asked to run) without a display. A box
// that SDL still fails to show goes to stderr as well.
bool MayShowBox()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) return !HeadlessDriverName(SDL_GetCurrentVideoDriver());
    return !HeadlessDriverName(SDL_GetHint(SDL_HINT_VIDEODRIVER));
}

#ifdef __EMSCRIPTEN__
// In the browser the box is drawn on the page, which waits for its button as Windows' box does.
int ShowBox(HWND, const std::string& text, const std::string& caption)
{
    ShowMessageBoxOnPage(caption.c_str(), text.c_str());
    return IDOK;
}
#else
// The one button, OK, which Return, Escape and closing the box all choose; -1 when the box could
// not be shown.
int ShowBox(HWND owner, const std::string& text, const std::string& caption)
{
    const SDL_MessageBoxButtonData ok{
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
    const SDL_MessageBoxData data{0, IsLiveWindow(owner) ? owner->sdl : nullptr, caption.c_str(),
                                  text.c_str(), 1, &ok, nullptr};
    int chosen = -1;
    return SDL_ShowMessageBox(&data, &chosen) == 0 ? IDOK : -1;
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
