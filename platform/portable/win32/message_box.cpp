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

struct Button {
    int id;
    const char* label;
};

struct ButtonSet {
    Button buttons[3];
    int count;
    int escapeId;   // the button that Escape or closing the box chooses; 0 for none
};

// The button sets of MB_OK to MB_RETRYCANCEL, left to right; the first is the default.
constexpr ButtonSet kButtonSets[] = {
    {{{IDOK, "OK"}}, 1, IDOK},
    {{{IDOK, "OK"}, {IDCANCEL, "Cancel"}}, 2, IDCANCEL},
    {{{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}}, 3, 0},
    {{{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}}, 3, IDCANCEL},
    {{{IDYES, "Yes"}, {IDNO, "No"}}, 2, 0},
    {{{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}}, 2, IDCANCEL},
};

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
// In the browser the box is drawn on the page, which waits for a button as Windows' box does.
int ShowBox(HWND, const std::string& text, const std::string& caption, UINT, const ButtonSet& set)
{
    std::string labels;
    for (int i = 0; i < set.count; ++i) {
        if (i > 0) labels += '\n';
        labels += set.buttons[i].label;
    }
    const int chosen = ShowMessageBoxOnPage(caption.c_str(), text.c_str(), labels.c_str());
    return set.buttons[chosen >= 0 && chosen < set.count ? chosen : 0].id;
}
#else
Uint32 IconFlags(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    case MB_ICONINFORMATION: return SDL_MESSAGEBOX_INFORMATION;
    default: return 0;
    }
}

// The button chosen in the SDL box, or -1 when it could not be shown.
int ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT type,
            const ButtonSet& set)
{
    SDL_MessageBoxButtonData buttons[3]{};
    for (int i = 0; i < set.count; ++i) {
        buttons[i].buttonid = set.buttons[i].id;
        buttons[i].text = set.buttons[i].label;
        if (i == 0) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (set.buttons[i].id == set.escapeId) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }
    const SDL_MessageBoxData data{IconFlags(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                                  IsLiveWindow(owner) ? owner->sdl : nullptr,
                                  caption.c_str(),
                                  text.c_str(),
                                  set.count,
                                  buttons,
                                  nullptr};
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) return -1;
    // Closing the box chooses what Escape would, or else the default button.
    if (chosen < 0) chosen = set.escapeId != 0 ? set.escapeId : set.buttons[0].id;
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
    const UINT buttons = uType & MB_TYPEMASK;
    if (buttons >= sizeof kButtonSets / sizeof kButtonSets[0]) return 0;
    const ButtonSet& set = kButtonSets[buttons];

    const std::string rawText = lpText != nullptr ? lpText : "";
    const std::string rawCaption = lpCaption != nullptr ? lpCaption : "";
    const std::string text = Cp932ToUtf8(rawText);
    const std::string caption = lpCaption != nullptr ? Cp932ToUtf8(rawCaption) : kDefaultCaption;
    RecordCall("MessageBoxA(\"%s\", %s%s%s, %u)", Escaped(text).c_str(), lpCaption ? "\"" : "",
               lpCaption ? Escaped(caption).c_str() : "NULL", lpCaption ? "\"" : "", uType);

    if (capturing) {
        captured.push_back({hWnd, text, caption, rawText, rawCaption, lpCaption == nullptr, uType});
        return set.buttons[0].id;
    }
    if (MayShowBox()) {
        const int chosen = ShowBox(hWnd, text, caption, uType, set);
        if (chosen >= 0) return chosen;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return set.buttons[0].id;
}
