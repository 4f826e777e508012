// Keyboard translation between SDL and Win32. Virtual-key codes follow the key's meaning in the
// current layout for letters (as Windows does) and its position for everything else; scan codes
// are those of a PC keyboard (set 1), which Windows puts in bits 16..23 of lParam.
#include "platform/portable/win32/keys.h"

#include <cstdint>

namespace {

struct KeyInfo {
    SDL_Scancode scancode;
    int virtualKey;
    int scanCode;
    bool extended;   // the key's scan code has the E0 prefix: lParam bit 24
};

constexpr KeyInfo kKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_1, '1', 0x02, false}, {SDL_SCANCODE_2, '2', 0x03, false},
    {SDL_SCANCODE_3, '3', 0x04, false}, {SDL_SCANCODE_4, '4', 0x05, false},
    {SDL_SCANCODE_5, '5', 0x06, false}, {SDL_SCANCODE_6, '6', 0x07, false},
    {SDL_SCANCODE_7, '7', 0x08, false}, {SDL_SCANCODE_8, '8', 0x09, false},
    {SDL_SCANCODE_9, '9', 0x0A, false}, {SDL_SCANCODE_0, '0', 0x0B, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
    {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_F1, VK_F1, 0x3B, false}, {SDL_SCANCODE_F2, VK_F2, 0x3C, false},
    {SDL_SCANCODE_F3, VK_F3, 0x3D, false}, {SDL_SCANCODE_F4, VK_F4, 0x3E, false},
    {SDL_SCANCODE_F5, VK_F5, 0x3F, false}, {SDL_SCANCODE_F6, VK_F6, 0x40, false},
    {SDL_SCANCODE_F7, VK_F7, 0x41, false}, {SDL_SCANCODE_F8, VK_F8, 0x42, false},
    {SDL_SCANCODE_F9, VK_F9, 0x43, false}, {SDL_SCANCODE_F10, VK_F10, 0x44, false},
    {SDL_SCANCODE_F11, VK_F11, 0x57, false}, {SDL_SCANCODE_F12, VK_F12, 0x58, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
    {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
    {SDL_SCANCODE_END, VK_END, 0x4F, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
};

// Set-1 scan codes of the letter keys by position, A to Z.
constexpr unsigned char kLetterScanCodes[26] = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
};

bool FindKey(const SDL_Keysym& key, KeyInfo* out)
{
    if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z) {
        const int position = key.scancode - SDL_SCANCODE_A;
        // The letter printed on the key decides its code, so Windows' 'Z' is the key that types z
        // on any layout; a key that types no letter there keeps the letter of its position.
        const bool typesLetter = key.sym >= SDLK_a && key.sym <= SDLK_z;
        const int letter = typesLetter ? static_cast<int>(key.sym - SDLK_a) : position;
        *out = {key.scancode, 'A' + letter, kLetterScanCodes[position], false};
        return true;
    }
    for (const KeyInfo& info : kKeys) {
        if (info.scancode == key.scancode) {
            *out = info;
            return true;
        }
    }
    return false;
}

}  // namespace

bool KeyMessageFromSdl(const SDL_KeyboardEvent& event, KeyMessage* out)
{
    KeyInfo info{};
    if (!FindKey(event.keysym, &info)) return false;

    const bool down = event.state == SDL_PRESSED;
    const bool isAlt = info.virtualKey == VK_MENU;
    const bool altHeld = (event.keysym.mod & KMOD_ALT) != 0 || isAlt;
    const bool ctrlHeld = (event.keysym.mod & KMOD_CTRL) != 0;
    // Windows makes system keys of keys pressed with Alt (unless Ctrl is held too: AltGr), of the
    // Alt key itself, and of F10, which opens the menu bar.
    const bool system = (altHeld && !ctrlHeld) || info.virtualKey == VK_F10;

    // lParam: repeat count (bits 0..15), scan code (16..23), extended key (24), context code: Alt
    // held (29), previous key state: down before this message (30), transition: released (31).
    std::uint32_t bits = 1u | static_cast<std::uint32_t>(info.scanCode) << 16;
    if (info.extended) bits |= 1u << 24;
    if (altHeld && (down || !isAlt)) bits |= 1u << 29;
    if (!down || event.repeat) bits |= 1u << 30;
    if (!down) bits |= 1u << 31;

    out->message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    out->virtualKey = static_cast<WPARAM>(info.virtualKey);
    // The bits as the 32-bit LPARAM of Windows has them, sign included.
    out->lParam = static_cast<LPARAM>(static_cast<std::int32_t>(bits));
    return true;
}

int CharacterForKey(WPARAM virtualKey, SDL_Keymod modifiers)
{
    const bool shift = (modifiers & KMOD_SHIFT) != 0;
    const bool ctrl = (modifiers & KMOD_CTRL) != 0;
    const bool capsLock = (modifiers & KMOD_CAPS) != 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        const int index = static_cast<int>(virtualKey - 'A');
        if (ctrl) return 1 + index;   // Ctrl+A is 1, as a terminal has it
        return (shift != capsLock ? 'A' : 'a') + index;
    }
    if (ctrl) return -1;
    if (virtualKey >= '0' && virtualKey <= '9') return shift ? -1 : static_cast<int>(virtualKey);
    switch (virtualKey) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    default: return -1;
    }
}
