// What the files of the Win32 half share among themselves and nothing else needs: the record of an
// SDL window, whether a handle names a live window, the window that needs painting.
#pragma once

#include <string>

#include "platform/portable/win32/window.h"

// The window record of an SDL window of ours, or null for any other window.
HWND WindowFromSdl(SDL_Window* window);

// WM_SIZE's lParam for the window's current client area.
LPARAM ClientSizeParam(HWND window);

// A shown window that needs painting, or null.
HWND WindowNeedingPaint();

// True for a window that was created and not yet destroyed.
inline bool IsLiveWindow(HWND window) { return window != nullptr && !window->destroyed; }

// Shows the desktop's message box, drawn by the backend, with UTF-8 texts and an OK button;
// returns IDOK once it is dismissed, or -1 when it cannot be shown.
int ShowDrawnMessageBox(HWND owner, const std::string& text, const std::string& caption);
