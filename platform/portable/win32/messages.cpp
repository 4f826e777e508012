// The thread's message queue on SDL's event queue: posted messages, window input translated from
// SDL events, the quit request; and the default handling of window messages.
#include <deque>

#include "platform/portable/call_recorder.h"
#include "platform/portable/win32/internal.h"
#include "platform/portable/win32/keys.h"

namespace {

// The order in which a peek takes messages, as the reference (Wine) has it: posted messages, then
// the quit request, then window input, then WM_PAINT for a window that needs painting. So a
// WM_CHAR that TranslateMessage posts arrives right after its key, before the next key.
std::deque<MSG> posted;
std::deque<MSG> input;
bool quitPosted = false;
int quitCode = 0;

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{window, message, wParam, lParam, 0, {0, 0}};
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        msg.time = SDL_GetTicks();
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        msg.pt = {x, y};
    }
    return msg;
}

// Keys go to the window that had the keyboard focus, or to the thread when none had.
HWND KeyWindow(Uint32 windowID)
{
    HWND window = WindowFromSdl(SDL_GetWindowFromID(windowID));
    if (window == nullptr) window = WindowFromSdl(SDL_GetKeyboardFocus());
    return window;
}

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    HWND window = WindowFromSdl(SDL_GetWindowFromID(event.windowID));
    if (!IsLiveWindow(window)) return;
    // Windows sends size changes straight to the procedure while the queue is being read.
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: input.push_back(MakeMessage(window, WM_CLOSE, 0, 0)); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        // A resized window has something to paint.
        const bool maximised = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MAXIMIZED) != 0;
        window->needsPaint = true;
        SendMessageA(window, WM_SIZE, maximised ? SIZE_MAXIMIZED : SIZE_RESTORED, ClientSizeParam(window));
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED: SendMessageA(window, WM_SIZE, SIZE_MINIMIZED, 0); break;
    case SDL_WINDOWEVENT_RESTORED:
        window->needsPaint = true;
        SendMessageA(window, WM_SIZE, SIZE_RESTORED, ClientSizeParam(window));
        break;
    case SDL_WINDOWEVENT_EXPOSED: window->needsPaint = true; break;
    default: break;
    }
}

// Moves what SDL has gathered into the input queue. Never waits.
void ReadSdlEvents()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        if (event.type == SDL_WINDOWEVENT) {
            TranslateWindowEvent(event.window);
        } else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
            KeyMessage key{};
            HWND window = KeyWindow(event.key.windowID);
            if (window != nullptr && window->destroyed) continue;
            if (KeyMessageFromSdl(event.key, &key))
                input.push_back(MakeMessage(window, key.message, key.virtualKey, key.lParam));
        }
    }
}

bool TakeFrom(std::deque<MSG>& queue, LPMSG out)
{
    if (queue.empty()) return false;
    *out = queue.front();
    queue.pop_front();
    return true;
}

}  // namespace

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND, UINT, UINT, UINT)
{
    if (lpMsg == nullptr) return FALSE;
    ReadSdlEvents();
    if (TakeFrom(posted, lpMsg)) return TRUE;
    if (quitPosted) {
        *lpMsg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0);
        quitPosted = false;
        return TRUE;
    }
    if (TakeFrom(input, lpMsg)) return TRUE;
    // WM_PAINT stays due, removed or not, until the window is painted (DefWindowProcA paints).
    if (HWND window = WindowNeedingPaint(); window != nullptr) {
        *lpMsg = MakeMessage(window, WM_PAINT, 0, 0);
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(CONST MSG* lpMsg)
{
    if (lpMsg == nullptr) return FALSE;
    const bool keyDown = lpMsg->message == WM_KEYDOWN || lpMsg->message == WM_SYSKEYDOWN;
    const bool keyUp = lpMsg->message == WM_KEYUP || lpMsg->message == WM_SYSKEYUP;
    if (!keyDown && !keyUp) return FALSE;
    if (keyDown) {
        const int character = CharacterForKey(lpMsg->wParam, SDL_GetModState());
        if (character >= 0) {
            PostMessageA(lpMsg->hwnd, lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                         static_cast<WPARAM>(character), lpMsg->lParam);
        }
    }
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(CONST MSG* lpMsg)
{
    if (lpMsg == nullptr || !IsLiveWindow(lpMsg->hwnd)) return 0;
    return lpMsg->hwnd->procedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (!IsLiveWindow(hWnd)) return 0;
    return hWnd->procedure(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    // Posting to no window posts to the thread.
    if (hWnd != nullptr && !IsLiveWindow(hWnd)) return FALSE;
    posted.push_back(MakeMessage(hWnd, Msg, wParam, lParam));
    return TRUE;
}

VOID WINAPI PostQuitMessage(int nExitCode)
{
    quitPosted = true;
    quitCode = nExitCode;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    RecordCall("DefWindowProcA(%p, 0x%04x, 0x%llx, 0x%llx)", static_cast<void*>(hWnd), Msg,
               static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
    switch (Msg) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_PAINT:
        // The device draws the whole client area on every frame: painting only validates.
        if (IsLiveWindow(hWnd)) hWnd->needsPaint = false;
        return 0;
    case WM_SYSKEYDOWN: {
        const bool altHeld = (static_cast<std::uint32_t>(lParam) & (1u << 29)) != 0;
        if (wParam == VK_F4 && altHeld && IsLiveWindow(hWnd) && !hWnd->noClose)
            PostMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hWnd, WM_CLOSE, 0, 0);
        return 0;
    default: return 0;
    }
}
