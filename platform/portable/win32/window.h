// The window record behind an HWND, shared by the two halves of the portable backend: the Win32
// half creates it and fills the text layer through TextOutA; the Direct3D half presents into its
// SDL window and composites the text layer over each new frame.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/portable/win_types.h"
#include "platform/portable/win32/win32.h"

// A window's device context: the one DC of its window, handed out by GetDC.
struct HDC__ {
    HWND__* window = nullptr;
};

struct HWND__ {
    SDL_Window* sdl = nullptr;   // created with SDL_WINDOW_OPENGL, so a device can render into it

    // Text drawn on the window's DC since the last Present: RGBA, textWidth by textHeight pixels
    // (the client area when it was drawn), alpha 0 where no text was drawn, and textDrawn the
    // rectangle that holds all of it (empty when none). Present composites that rectangle over
    // the frame, then clears it. The GDI text would otherwise be covered by the frame, as it is on
    // Windows; keeping to the rectangle keeps the frame's cost to the text actually drawn.
    std::vector<std::uint8_t> textPixels;
    int textWidth = 0;
    int textHeight = 0;
    RECT textDrawn = {0, 0, 0, 0};

    // The Win32 half's own state. A destroyed window keeps its record (and its SDL window, hidden),
    // so that a device made for it stays valid until released and stale handles stay harmless.
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    HINSTANCE instance = nullptr;
    bool noClose = false;        // the class has CS_NOCLOSE: Alt+F4 does nothing
    bool sizeSent = false;       // WM_SIZE and WM_MOVE go out when the window is first shown
    bool needsPaint = false;     // shown or resized and not yet painted: WM_PAINT is due
    bool destroyed = false;
    HDC__ dc;
};
