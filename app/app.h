// The application shell: its one window and that window's procedure. The entry, WinMain, is
// declared by the platform.
#pragma once

#include "platform/platform.h"

// Both the window class name and the window title.
extern const char appName[];

// Up arrow drives one plate; Escape and the window's destruction ask the loop to end. Every
// message then goes on to the default window procedure, whose result is returned.
LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers the window class and creates the 800 by 600 window "crs move pos" at the top-left
// corner of the screen, then shows and updates it.
HWND CreateMainWindow(HINSTANCE hInstance);
