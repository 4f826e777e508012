// Window classes, windows and stock objects: the client area that Windows leaves of the outer
// size, the messages sent while a window is made, class registration rules, stock handles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/platform/win32/test_window.h"

namespace {

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override { window = CreateTestWindow(); }
    void TearDown() override
    {
        DestroyWindow(window);
        TakeAllMessages();
    }

    HWND window = nullptr;
};

TEST_F(Win32Window, OverlappedWindowOf800By600HasTheReferenceClientArea)
{
    ASSERT_NE(window, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(window->sdl, &width, &height);
    EXPECT_EQ(width, 792);
    EXPECT_EQ(height, 573);
    RECT client{-1, -1, -1, -1};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 792);
    EXPECT_EQ(client.bottom, 573);
    EXPECT_NE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_OPENGL, 0u);
    EXPECT_STREQ(SDL_GetWindowTitle(window->sdl), "test window");
}

TEST_F(Win32Window, ShowWindowShowsAndReportsThePreviousVisibility)
{
    EXPECT_NE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN, 0u);
    EXPECT_TRUE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_EQ(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN, 0u);
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(UpdateWindow(window));
    const std::vector<ReceivedMessage> shows = ReceivedOf(WM_SHOWWINDOW);
    ASSERT_EQ(shows.size(), 2u);
    EXPECT_EQ(shows[0].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(shows[1].wParam, static_cast<WPARAM>(TRUE));
}

std::vector<UINT> ReceivedCodes()
{
    std::vector<UINT> codes;
    for (const ReceivedMessage& received : ReceivedMessages()) codes.push_back(received.message);
    return codes;
}

CREATESTRUCTA createRecord;
std::string createName;

// Keeps a copy of the creation record, which lives only while WM_CREATE is handled.
LRESULT CALLBACK KeepCreateRecord(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ReceivedMessages().push_back({window, message, wParam, lParam});
    if (message == WM_CREATE) {
        createRecord = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
        createName = createRecord.lpszName;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Win32Window, CreationSendsNcCreateAndCreateThenFirstShowSendsSizeMoveAndUpdatePaints)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = KeepCreateRecord;
    wc.lpszClassName = "Keep Create Record";
    ASSERT_NE(RegisterClassExA(&wc), 0);
    ReceivedMessages().clear();
    int marker = 0;
    HWND second = CreateWindowExA(0, "keep create RECORD", "second", WS_OVERLAPPEDWINDOW, 10, 20,
                                  300, 200, nullptr, nullptr, nullptr, &marker);
    ASSERT_NE(second, nullptr);
    const std::vector<UINT> created = {WM_NCCREATE, WM_CREATE};
    EXPECT_EQ(ReceivedCodes(), created);
    EXPECT_EQ(createRecord.lpCreateParams, &marker);
    EXPECT_EQ(createRecord.cx, 300);
    EXPECT_EQ(createRecord.cy, 200);
    EXPECT_EQ(createRecord.x, 10);
    EXPECT_EQ(createRecord.y, 20);
    EXPECT_EQ(createName, "second");
    // Not visible without WS_VISIBLE or ShowWindow.
    EXPECT_EQ(SDL_GetWindowFlags(second->sdl) & SDL_WINDOW_SHOWN, 0u);

    ReceivedMessages().clear();
    ShowWindow(second, SW_SHOW);
    UpdateWindow(second);
    UpdateWindow(second);
    const std::vector<UINT> shown = {WM_SHOWWINDOW, WM_SIZE, WM_MOVE, WM_PAINT};
    EXPECT_EQ(ReceivedCodes(), shown) << "one paint: the first one painted the window";
    const LPARAM size = ReceivedOf(WM_SIZE)[0].lParam;
    EXPECT_EQ(LOWORD(size), 300 - 8);
    EXPECT_EQ(HIWORD(size), 200 - 27);
    const LPARAM place = ReceivedOf(WM_MOVE)[0].lParam;
    EXPECT_EQ(LOWORD(place), 10 + 4);
    EXPECT_EQ(HIWORD(place), 20 + 23);
    DestroyWindow(second);
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ReceivedMessages().push_back({window, message, wParam, lParam});
    if (message == WM_CREATE) return -1;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Win32Window, ProcedureRefusingWmCreateFailsTheCreation)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RefuseCreation;
    wc.lpszClassName = "refusing";
    ASSERT_NE(RegisterClassExA(&wc), 0);
    ReceivedMessages().clear();
    EXPECT_EQ(CreateWindowExA(0, "refusing", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(ReceivedOf(WM_DESTROY).size(), 1u);
}

}  // namespace
