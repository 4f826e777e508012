// What the files of the Win32 half share among themselves and nothing else needs: the record of an
// SDL window, whether a handle names a live window, and starting SDL's video subsystem.
#pragma once

#include "platform/portable/win32_window.h"

// The window record of an SDL window of ours, or null for any other window.
HWND WindowFromSdl(SDL_Window* window);

// The two 16-bit halves of WM_SIZE's and WM_MOVE's lParam.
LPARAM PackPoint(int x, int y);
// WM_SIZE's lParam for the window's current client area.
LPARAM ClientSizeParam(HWND window);

// A shown window that needs painting, or null.
HWND WindowNeedingPaint();

// True for a window that was created and not yet destroyed.
inline bool IsLiveWindow(HWND window) { return window != nullptr && !window->destroyed; }

// Starts SDL's video subsystem once. Ends the program with "no display available" and the reason
// on stderr when SDL found no display and fell back to a headless driver nobody asked for.
void StartVideo();
