// Window classes and top-level windows on SDL: registration, creation with the messages Windows
// sends on the way, showing, destruction, the client rectangle and the window's device context.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/portable/d3dx9/xfile_read_ahead.h"
#include "platform/portable/frame_rate.h"
#include "platform/portable/win32/font.h"
#include "platform/portable/win32/internal.h"

namespace {

// Frame of an overlapped window with the Windows look of the reference (Wine under Xvfb): an
// 800 by 600 window keeps a 792 by 573 client area. A sizing border on every side, and a caption.
constexpr int kFrameBorder = 4;
constexpr int kCaptionHeight = 19;
// Client size of a window created with CW_USEDEFAULT as its width.
constexpr int kDefaultClientWidth = 640;
constexpr int kDefaultClientHeight = 480;

constexpr const char* kWindowDataKey = "crs.HWND";

struct WindowClass {
    std::string name;
    ATOM atom;
    WNDPROC procedure;
    UINT style;
};

// Windows' class atoms start at 0xC000.
constexpr ATOM kFirstClassAtom = 0xC000;

std::vector<WindowClass> classes;
// Every window record ever created; records outlive their windows (see win32_window.h).
std::vector<std::unique_ptr<HWND__>> windows;

bool IsAtom(LPCSTR name) { return (reinterpret_cast<UINT_PTR>(name) >> 16) == 0; }

const WindowClass* FindClass(LPCSTR name)
{
    if (name == nullptr) return nullptr;
    for (const WindowClass& windowClass : classes) {
        if (IsAtom(name) ? windowClass.atom == reinterpret_cast<UINT_PTR>(name)
                         : strcasecmp(windowClass.name.c_str(), name) == 0)
            return &windowClass;
    }
    return nullptr;
}

bool HasCaption(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

// The client area's size (or, with `size` false, its top-left corner) that an outer window
// rectangle of the given size (or corner) leaves.
void OuterToClient(DWORD style, int outerX, int outerY, int& clientX, int& clientY, bool size = true)
{
    const int border = HasCaption(style) ? kFrameBorder : 0;
    const int caption = HasCaption(style) ? kCaptionHeight : 0;
    if (size) {
        clientX = SDL_max(1, outerX - 2 * border);
        clientY = SDL_max(1, outerY - 2 * border - caption);
    } else {
        clientX = outerX + border;
        clientY = outerY + border + caption;
    }
}

bool HeadlessDriver(const char* driver)
{
    return driver != nullptr &&
           (strcasecmp(driver, "offscreen") == 0 || strcasecmp(driver, "dummy") == 0);
}

std::string FallbackReason()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool hasX11 = x11 != nullptr && *x11 != '\0';
    const bool hasWayland = wayland != nullptr && *wayland != '\0';
    if (!hasX11 && !hasWayland) return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    std::string reason = "cannot connect to";
    if (hasX11) reason += std::string(" the X display \"") + x11 + "\"";
    if (hasX11 && hasWayland) reason += " nor";
    if (hasWayland) reason += std::string(" the Wayland display \"") + wayland + "\"";
    return reason;
}

// The viewer cannot go on without a window and, as on Windows, does not check for one: so the
// program ends here, saying why.
[[noreturn]] void NoDisplay(const std::string& reason)
{
    std::fprintf(stderr, "no display available: %s\n", reason.c_str());
    std::exit(EXIT_FAILURE);
}

// The two 16-bit halves of WM_SIZE's and WM_MOVE's lParam.
LPARAM PackPoint(int x, int y)
{
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(x)) |
                               static_cast<DWORD>(static_cast<WORD>(y)) << 16);
}

// Starts SDL's video subsystem once. Ends the program with "no display available" and the reason
// on stderr when SDL found no display and fell back to a headless driver nobody asked for.
void StartVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) return;
    // Ctrl+C ends the program as it would end a Windows program, rather than becoming an SDL
    // quit event that no window would see; and closing the window is the viewer's own business.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SDL opens X's input method, which reads the locale's compose table (for UTF-8 locales some
    // 500 KB of text, 10-20 ms of every start). Nothing here takes composed text: WM_CHAR comes
    // from the key and its modifiers (TranslateMessage). An empty table is read instead.
    setenv("XCOMPOSEFILE", "/dev/null", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) NoDisplay(SDL_GetError());
    MarkStartupStep("SDL video");

    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool askedFor = asked != nullptr && driver != nullptr && strcasestr(asked, driver);
    if (HeadlessDriver(driver) && !askedFor) {
        NoDisplay(FallbackReason() + " (SDL fell back to its " + driver +
                  " driver; set SDL_VIDEODRIVER=offscreen to run without a display on purpose)");
    }
}

}  // namespace

LPARAM ClientSizeParam(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return PackPoint(client.right, client.bottom);
}

HWND WindowNeedingPaint()
{
    for (const std::unique_ptr<HWND__>& window : windows) {
        if (window->needsPaint && !window->destroyed &&
            (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0)
            return window.get();
    }
    return nullptr;
}

HWND WindowFromSdl(SDL_Window* window)
{
    if (window == nullptr) return nullptr;
    return static_cast<HWND>(SDL_GetWindowData(window, kWindowDataKey));
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpwcx)
{
    if (lpwcx == nullptr || lpwcx->cbSize != sizeof(WNDCLASSEXA) || lpwcx->lpfnWndProc == nullptr ||
        lpwcx->lpszClassName == nullptr || IsAtom(lpwcx->lpszClassName) ||
        FindClass(lpwcx->lpszClassName) != nullptr)
        return 0;
    const ATOM atom = static_cast<ATOM>(kFirstClassAtom + classes.size());
    classes.push_back({lpwcx->lpszClassName, atom, lpwcx->lpfnWndProc, lpwcx->style});
    return atom;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam)
{
    const WindowClass* windowClass = FindClass(lpClassName);
    // Only top-level windows: the viewer has one.
    if (windowClass == nullptr || hWndParent != nullptr || (dwStyle & WS_CHILD) != 0) return nullptr;
    // The meshes to come are parsed while the window and its GL driver load.
    StartReadingXFilesAhead();
    StartVideo();
    // Text will be drawn on the window: its font is read while the window and its GL driver load.
    StartLoadingDefaultDeviceFont();

    // The outer size includes the frame and caption; SDL sizes and places the client area.
    int clientWidth = kDefaultClientWidth, clientHeight = kDefaultClientHeight;
    if (nWidth != CW_USEDEFAULT) OuterToClient(dwStyle, nWidth, nHeight, clientWidth, clientHeight);
    int clientX = static_cast<int>(SDL_WINDOWPOS_UNDEFINED), clientY = clientX;
    if (X != CW_USEDEFAULT) OuterToClient(dwStyle, X, Y, clientX, clientY, false);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (dwStyle & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!HasCaption(dwStyle)) flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* sdl = SDL_CreateWindow(lpWindowName != nullptr ? lpWindowName : "", clientX, clientY,
                                       clientWidth, clientHeight, flags);
    if (sdl == nullptr) {
        std::fprintf(stderr, "CreateWindowExA: %s\n", SDL_GetError());
        return nullptr;
    }
    MarkStartupStep("window");

    windows.push_back(std::make_unique<HWND__>());
    HWND window = windows.back().get();
    window->sdl = sdl;
    window->procedure = windowClass->procedure;
    window->style = dwStyle;
    window->instance = hInstance;
    window->noClose = (windowClass->style & CS_NOCLOSE) != 0;
    window->dc.window = window;
    SDL_SetWindowData(sdl, kWindowDataKey, window);

    CREATESTRUCTA create{lpParam,      hInstance, hMenu,       hWndParent,
                         nHeight,      nWidth,    Y,           X,
                         static_cast<LONG>(dwStyle), lpWindowName, lpClassName, dwExStyle};
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    if (SendMessageA(window, WM_NCCREATE, 0, createParam) == 0 ||
        SendMessageA(window, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (dwStyle & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return window;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    if (!IsLiveWindow(hWnd)) return FALSE;
    const bool wasVisible = (SDL_GetWindowFlags(hWnd->sdl) & SDL_WINDOW_SHOWN) != 0;
    if (nCmdShow == SW_HIDE) {
        if (wasVisible) {
            SendMessageA(hWnd, WM_SHOWWINDOW, FALSE, 0);
            SDL_HideWindow(hWnd->sdl);
        }
        return wasVisible;
    }
    if (!wasVisible) {
        SendMessageA(hWnd, WM_SHOWWINDOW, TRUE, 0);
        SDL_ShowWindow(hWnd->sdl);
        hWnd->needsPaint = true;
        if (!hWnd->sizeSent) {
            // A window learns its size and place when it is first shown, as on Windows.
            hWnd->sizeSent = true;
            int x = 0, y = 0;
            SDL_GetWindowPosition(hWnd->sdl, &x, &y);
            SendMessageA(hWnd, WM_SIZE, SIZE_RESTORED, ClientSizeParam(hWnd));
            SendMessageA(hWnd, WM_MOVE, 0, PackPoint(x, y));
        }
    }
    switch (nCmdShow) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: SDL_MinimizeWindow(hWnd->sdl); break;
    case SW_MAXIMIZE: SDL_MaximizeWindow(hWnd->sdl); break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: SDL_RestoreWindow(hWnd->sdl); break;
    default: break;
    }
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND hWnd)
{
    if (!IsLiveWindow(hWnd)) return FALSE;
    if (hWnd->needsPaint) SendMessageA(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    if (!IsLiveWindow(hWnd)) return FALSE;
    // Marked first, so that a procedure destroying the window again from WM_DESTROY does nothing.
    hWnd->destroyed = true;
    hWnd->procedure(hWnd, WM_DESTROY, 0, 0);
    hWnd->procedure(hWnd, WM_NCDESTROY, 0, 0);
    SDL_HideWindow(hWnd->sdl);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect)
{
    if (!IsLiveWindow(hWnd) || lpRect == nullptr) return FALSE;
    int width = 0, height = 0;
    // A minimised window has an empty client area on Windows.
    if ((SDL_GetWindowFlags(hWnd->sdl) & SDL_WINDOW_MINIMIZED) == 0)
        SDL_GetWindowSize(hWnd->sdl, &width, &height);
    *lpRect = {0, 0, width, height};
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint)
{
    if (!IsLiveWindow(hWnd) || lpPoint == nullptr) return FALSE;
    int x = 0, y = 0;
    SDL_GetWindowPosition(hWnd->sdl, &x, &y);
    lpPoint->x += x;
    lpPoint->y += y;
    return TRUE;
}

// The size change reaches the procedure as WM_SIZE from SDL's resize event, on the next
// PeekMessageA, as a user's resize does.
BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags)
{
    (void)hWndInsertAfter;
    if (!IsLiveWindow(hWnd)) return FALSE;
    if ((uFlags & SWP_NOSIZE) == 0) {
        int width = 0, height = 0;
        OuterToClient(hWnd->style, cx, cy, width, height);
        SDL_SetWindowSize(hWnd->sdl, width, height);
    }
    if ((uFlags & SWP_NOMOVE) == 0) {
        int x = 0, y = 0;
        OuterToClient(hWnd->style, X, Y, x, y, false);
        SDL_SetWindowPosition(hWnd->sdl, x, y);
    }
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) { return IsLiveWindow(hWnd) ? &hWnd->dc : nullptr; }
