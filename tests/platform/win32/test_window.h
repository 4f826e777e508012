// A window for the Win32 tests, on SDL's offscreen driver: its procedure records every message it
// receives and passes it on to DefWindowProcA.
#pragma once

#include <vector>

#include "platform/portable/win32/window.h"

struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message that a test window's procedure received, oldest first.
std::vector<ReceivedMessage>& ReceivedMessages();

// The messages received with the given message code.
std::vector<ReceivedMessage> ReceivedOf(UINT message);

// Registers the test class once and creates a visible 800 by 600 overlapped window at (0, 0),
// after emptying the message queue and the record of received messages.
HWND CreateTestWindow();

// Pushes an SDL key event for the window, as SDL's video driver would deliver it.
void PushKey(HWND window, bool down, SDL_Scancode scancode, SDL_Keycode sym, Uint16 modifiers = 0,
             bool repeat = false);

// Removes and returns every message waiting now, in the order PeekMessageA gives them; WM_PAINT is
// dispatched (so painted) instead.
std::vector<MSG> TakeAllMessages();
