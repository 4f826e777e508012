// The message queue as the viewer's loop uses it: SDL keys become Windows key messages with their
// virtual-key codes and lParam bits, F4 alone closes nothing, a posted
// quit carries its code, a resize makes a paint due, and an empty queue answers at once.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/platform/win32/test_window.h"

namespace {

constexpr std::uint32_t kPrevious = 1u << 30, kTransition = 1u << 31, kContext = 1u << 29;

std::uint32_t Bits(const MSG& msg) { return static_cast<std::uint32_t>(msg.lParam); }

class Win32Messages : public ::testing::Test {
protected:
    void SetUp() override { window = CreateTestWindow(); }
    void TearDown() override
    {
        DestroyWindow(window);
        TakeAllMessages();
    }
    HWND window = nullptr;
};

// Letters follow the layout, not the position; Alt alone makes system keys; the auto-repeat and
// the release carry the previous-state bit, the release the transition bit too.
TEST_F(Win32Messages, KeysBecomeTheirVirtualKeyCodes)
{
    const struct {
        SDL_Scancode scancode;
        SDL_Keycode sym;
        Uint16 modifiers;
        WPARAM virtualKey;
        UINT down, up;
    } rows[] = {
        {SDL_SCANCODE_UP, SDLK_UP, 0, VK_UP, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, VK_ESCAPE, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, 0, VK_RETURN, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_9, SDLK_9, 0, '9', WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_F12, SDLK_F12, 0, VK_F12, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_Q, SDLK_a, 0, 'A', WM_KEYDOWN, WM_KEYUP},   // a French keyboard
        {SDL_SCANCODE_X, SDLK_x, KMOD_LALT, 'X', WM_SYSKEYDOWN, WM_SYSKEYUP},
        // Ctrl with Alt is AltGr on many keyboards: ordinary keys.
        {SDL_SCANCODE_X, SDLK_x, KMOD_LALT | KMOD_LCTRL, 'X', WM_KEYDOWN, WM_KEYUP},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(SDL_GetKeyName(row.sym));
        PushKey(window, true, row.scancode, row.sym, row.modifiers);
        PushKey(window, true, row.scancode, row.sym, row.modifiers, /*repeat=*/true);
        PushKey(window, false, row.scancode, row.sym, row.modifiers);
        const std::vector<MSG> messages = TakeAllMessages();
        ASSERT_EQ(messages.size(), 3u);
        const std::uint32_t altBit = (row.modifiers & KMOD_LALT) ? kContext : 0;
        const std::uint32_t bits[3] = {1 | altBit, 1 | altBit | kPrevious,
                                       1 | altBit | kPrevious | kTransition};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(messages[i].hwnd, window);
            EXPECT_EQ(messages[i].message, i < 2 ? row.down : row.up);
            EXPECT_EQ(messages[i].wParam, row.virtualKey);
            EXPECT_EQ(Bits(messages[i]) & (0xFFFF | kContext | kPrevious | kTransition), bits[i])
                << "message " << i;
        }
    }
}

TEST_F(Win32Messages, F4AloneClosesNothing)
{
    PushKey(window, true, SDL_SCANCODE_F4, SDLK_F4);
    PushKey(window, false, SDL_SCANCODE_F4, SDLK_F4);
    for (const MSG& key : TakeAllMessages()) DispatchMessageA(&key);
    EXPECT_TRUE(TakeAllMessages().empty());
    EXPECT_FALSE(window->destroyed);
}

TEST_F(Win32Messages, PostedQuitComesAfterPostedMessagesAndBeforeInputThenTheQueueIsEmpty)
{
    PushKey(window, true, SDL_SCANCODE_UP, SDLK_UP);
    PostMessageA(window, WM_USER, 1, 2);
    PostQuitMessage(42);
    PostMessageA(nullptr, WM_APP, 3, 4);
    const std::vector<MSG> messages = TakeAllMessages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(messages[1].message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(messages[2].message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(messages[2].wParam, 42u);
    EXPECT_EQ(messages[3].message, static_cast<UINT>(WM_KEYDOWN));
    MSG msg{};
    msg.message = WM_USER;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER)) << "a failed peek leaves the record alone";
}

// A resize sends WM_SIZE and leaves a paint due, after anything posted, until it is painted.
TEST_F(Win32Messages, PaintIsDueAfterAResizeUntilTheDefaultProcedurePaints)
{
    SDL_SetWindowSize(window->sdl, 500, 400);
    MSG msg{};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT)) << "peek " << i;
        EXPECT_EQ(msg.hwnd, window);
    }
    const std::vector<UINT>& got = ReceivedMessages();
    EXPECT_EQ(std::count(got.begin(), got.end(), WM_SIZE), 1) << "sent while the queue was read";
    PostMessageA(window, WM_USER, 0, 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
