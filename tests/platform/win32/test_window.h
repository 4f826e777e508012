// A window for the Win32 tests on SDL's offscreen driver, whose procedure records the codes of the
// messages it receives and passes them on to DefWindowProcA; key events pushed as SDL sends them.
#pragma once

#include <vector>

#include "platform/portable/win32/window.h"

// The codes of the messages the test window's procedure received, oldest first.
std::vector<UINT>& ReceivedMessages();

// A shown 800 by 600 overlapped window, with the queue and the record of received messages empty.
HWND CreateTestWindow();

void PushKey(HWND window, bool down, SDL_Scancode scancode, SDL_Keycode sym, Uint16 modifiers = 0,
             bool repeat = false);

// Removes and returns every message waiting now; WM_PAINT is dispatched (so painted) instead.
std::vector<MSG> TakeAllMessages();
