// The test window: a recording procedure on the offscreen driver.
#include "tests/platform/win32/test_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

std::vector<UINT>& ReceivedMessages()
{
    static std::vector<UINT> received;
    return received;
}

HWND CreateTestWindow()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    static const ATOM atom = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            ReceivedMessages().push_back(message);
            return DefWindowProcA(window, message, wParam, lParam);
        };
        wc.lpszClassName = "win32 test";
        return RegisterClassExA(&wc);
    }();
    if (atom == 0) std::abort();
    HWND window = CreateWindowExA(0, "win32 test", "test window", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                                  600, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    TakeAllMessages();
    ReceivedMessages().clear();
    return window;
}

void PushKey(HWND window, bool down, SDL_Scancode scancode, SDL_Keycode sym, Uint16 modifiers,
             bool repeat)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(window->sdl);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym = {scancode, sym, modifiers, 0};
    // A full queue would drop the key silently and fail a later check for no clear reason.
    if (SDL_PushEvent(&event) != 1) ADD_FAILURE() << "SDL_PushEvent: " << SDL_GetError();
}

std::vector<MSG> TakeAllMessages()
{
    std::vector<MSG> messages;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_PAINT) DispatchMessageA(&msg);   // due until painted, as on Windows
        else messages.push_back(msg);
    }
    return messages;
}
