// The test window: a recording procedure on the offscreen driver.
#include "tests/platform/win32/test_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ReceivedMessages().push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::vector<ReceivedMessage>& ReceivedMessages()
{
    static std::vector<ReceivedMessage> received;
    return received;
}

std::vector<ReceivedMessage> ReceivedOf(UINT message)
{
    std::vector<ReceivedMessage> matching;
    for (const ReceivedMessage& received : ReceivedMessages())
        if (received.message == message) matching.push_back(received);
    return matching;
}

HWND CreateTestWindow()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    static const ATOM atom = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = RecordingProcedure;
        wc.lpszClassName = "win32 test";
        return RegisterClassExA(&wc);
    }();
    if (atom == 0) std::abort();
    TakeAllMessages();
    ReceivedMessages().clear();
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
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = modifiers;
    // A full event queue would silently drop the key and make a later check fail for no clear reason.
    if (SDL_PushEvent(&event) != 1) ADD_FAILURE() << "SDL_PushEvent: " << SDL_GetError();
}

std::vector<MSG> TakeAllMessages()
{
    std::vector<MSG> messages;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // WM_PAINT stays due until painted, as on Windows.
        if (msg.message == WM_PAINT) DispatchMessageA(&msg);
        else messages.push_back(msg);
    }
    return messages;
}
