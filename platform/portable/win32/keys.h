// Keyboard translation between SDL and Win32: the key message, virtual-key code and lParam bits of
// an SDL key event, and the character that TranslateMessage makes of a virtual key.
#pragma once

#include <SDL.h>

#include "platform/portable/win32/win32.h"

struct KeyMessage {
    UINT message;   // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP
    WPARAM virtualKey;
    LPARAM lParam;
};

// False for keys that have no virtual-key code here (they make no message).
bool KeyMessageFromSdl(const SDL_KeyboardEvent& event, KeyMessage* out);

// The character of a key pressed with the given modifiers, as WM_CHAR carries it, or -1 for keys
// that make no character.
int CharacterForKey(WPARAM virtualKey, SDL_Keymod modifiers);
