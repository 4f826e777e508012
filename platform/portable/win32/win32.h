// The Win32 window, message, GDI and string operations of the portable backend, on SDL2, with the
// real SDK's names, types, constants and signatures, so render/ and app/ compile unchanged.
//
// Implemented:
//  [x] Window classes: RegisterClassExA (class names compare without regard to case, atoms too).
//  [x] Windows: CreateWindowExA (top-level windows: an SDL window with an OpenGL surface whose client
//      area is what the outer size leaves on Windows; WM_NCCREATE and WM_CREATE sent as on Windows;
//      CW_USEDEFAULT), ShowWindow (WM_SHOWWINDOW, and WM_SIZE and WM_MOVE when first shown; show,
//      hide, minimise, maximise, restore), UpdateWindow (WM_PAINT when due), DestroyWindow
//      (WM_DESTROY, WM_NCDESTROY), GetClientRect, ClientToScreen, GetDC, SetWindowPos (outer size
//      and place as in CreateWindowExA; SWP_NOSIZE, SWP_NOMOVE; WM_SIZE follows on the next peek).
//  [x] Messages: PeekMessageA (never blocks; posted messages, then WM_QUIT, then window input, then
//      WM_PAINT, as the reference orders them; PM_REMOVE), PostMessageA,
//      SendMessageA, TranslateMessage (WM_CHAR and WM_SYSCHAR), DispatchMessageA, DefWindowProcA,
//      PostQuitMessage.
//  [x] Keyboard: WM_KEYDOWN/WM_KEYUP and WM_SYSKEYDOWN/WM_SYSKEYUP (Alt held, or F10) with Windows'
//      virtual-key codes and lParam bits (repeat count, scan code, extended key, context code,
//      previous state, transition) for letters, digits, F1..F12, arrows, Escape, Enter, Space, Tab,
//      Backspace, Shift, Ctrl, Alt, Caps Lock, Pause, Insert, Delete, Home, End, Page Up, Page Down.
//      An auto-repeat is one more key-down with the previous-state bit set.
//  [x] Window messages: WM_CLOSE for the close button; WM_SIZE on resize, minimise and maximise;
//      WM_PAINT after showing, resizing or uncovering, until DefWindowProcA has painted.
//  [x] Default handling: DefWindowProcA turns WM_CLOSE into DestroyWindow and Alt+F4 into WM_CLOSE
//      (through a posted WM_SYSCOMMAND SC_CLOSE), paints on WM_PAINT (the device draws the whole
//      client area, so painting only validates), returns TRUE for WM_NCCREATE and 0 otherwise.
//  [x] Stock objects: LoadIconA, LoadCursorA (IDI_ and IDC_ stock resources), GetStockObject.
//  [x] GDI text: TextOutA on a window's DC, in the default DC look (black text on an opaque white
//      cell 16 pixels high, a font from fontconfig: DejaVu Sans Bold when installed), into the
//      window's text layer that Present composites over the next frame.
//  [x] MessageBoxA: texts in code page 932, shown as a modal SDL message box, or written to stderr
//      as "caption: text" where no display is available; MB_OK, its one button set.
//  [x] lstrlenA; WinMain called by the runtime start-up (library platform_entry).
// Not implemented:
//  [ ] SetWindowPos's z-order and its other SWP_ flags (there is one window).
//  [ ] PeekMessageA's window and range filters and PM_NOREMOVE: every call takes the next message.
//  [ ] Message box button sets and icons other than MB_OK: such a box fails with 0.
//  [ ] Child windows, menus, window extra bytes and GetWindowLongPtr, timers, mouse messages,
//      BeginPaint/EndPaint and ValidateRect (a procedure that handles WM_PAINT itself must pass it
//      on to DefWindowProcA), GetDC(NULL) for the screen.
//  [ ] Keys not listed above (keypad, punctuation) make no key message; shifted digits make no
//      WM_CHAR (their characters depend on the keyboard layout).
//  [ ] Text other than printable ASCII: TextOutA draws '?' for every other byte.
//  [ ] Message boxes do not dispatch the thread's queued messages while they are open; SDL keeps
//      the window's input queued until the next PeekMessageA.
#pragma once

#include "platform/portable/win_types.h"

typedef WORD ATOM;
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

#ifndef MAKEINTRESOURCE
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#endif
#define MAKEINTATOM(i) ((LPSTR)((UINT_PTR)((WORD)(i))))

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};
typedef WNDCLASSEXA* LPWNDCLASSEXA;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};
typedef CREATESTRUCTA* LPCREATESTRUCTA;

// Window messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_KEYLAST 0x0109
#define WM_SYSCOMMAND 0x0112
#define WM_USER 0x0400
#define WM_APP 0x8000

#define SC_CLOSE 0xF060

#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// Virtual-key codes. Letters and digits are their upper-case ASCII codes, as on Windows.
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B

// Window styles.
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_MAXIMIZE 0x01000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)

// Class styles.
#define CS_VREDRAW 0x0001u
#define CS_HREDRAW 0x0002u
#define CS_OWNDC 0x0020u
#define CS_NOCLOSE 0x0200u

#define CW_USEDEFAULT ((int)0x80000000)

// Show commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_FORCEMINIMIZE 11

// SetWindowPos options; z-order is not kept (see the checklist).
#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u

// PeekMessageA options.
#define PM_REMOVE 0x0001

// Message box styles and results.
#define MB_OK 0x00000000u
#define IDOK 1

// Stock icons and cursors.
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)
#define IDI_WINLOGO MAKEINTRESOURCEA(32517)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)

// Stock GDI objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

// Window classes and windows.
ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpwcx);
HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam);
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
BOOL WINAPI UpdateWindow(HWND hWnd);
BOOL WINAPI DestroyWindow(HWND hWnd);
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint);
BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
HDC WINAPI GetDC(HWND hWnd);

// Messages.
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg);
BOOL WINAPI TranslateMessage(CONST MSG* lpMsg);
LRESULT WINAPI DispatchMessageA(CONST MSG* lpMsg);
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
VOID WINAPI PostQuitMessage(int nExitCode);

// Stock resources and objects.
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
HGDIOBJ WINAPI GetStockObject(int i);

// GDI text, message boxes, strings.
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
int WINAPI lstrlenA(LPCSTR lpString);

// The program's entry, defined by the program and called by the runtime start-up (platform_entry).
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);
