// The message queue as the viewer's loop uses it: keys from SDL become Windows key messages with
// their virtual-key codes and lParam bits, the close button and Alt+F4 end in WM_DESTROY, a posted
// quit carries its code, and an empty queue answers at once.
#include <gtest/gtest.h>

#include "tests/platform/win32/test_window.h"

namespace {

constexpr std::uint32_t kPreviousStateBit = 1u << 30;
constexpr std::uint32_t kTransitionBit = 1u << 31;
constexpr std::uint32_t kContextBit = 1u << 29;

std::uint32_t Bits(LPARAM lParam) { return static_cast<std::uint32_t>(lParam); }

class Win32Messages : public ::testing::Test {
protected:
    void SetUp() override { window = CreateTestWindow(); }
    void TearDown() override
    {
        DestroyWindow(window);
        TakeAllMessages();
    }

    // One key pressed and released; the messages it makes, after dispatching none of them.
    std::vector<MSG> PressAndRelease(SDL_Scancode scancode, SDL_Keycode sym, Uint16 modifiers = 0)
    {
        PushKey(window, true, scancode, sym, modifiers);
        PushKey(window, false, scancode, sym, modifiers);
        return TakeAllMessages();
    }

    HWND window = nullptr;
};

// Keys become their virtual-key codes (letters by the layout, not the position), as key or, with
// Alt alone, system-key messages; the release carries the previous-state and transition bits.
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
        // The key in Q's place types a on a French keyboard: Windows calls it 'A'.
        {SDL_SCANCODE_Q, SDLK_a, 0, 'A', WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_X, SDLK_x, KMOD_LALT, 'X', WM_SYSKEYDOWN, WM_SYSKEYUP},
        // Ctrl with Alt is AltGr on many keyboards: ordinary keys.
        {SDL_SCANCODE_X, SDLK_x, KMOD_LALT | KMOD_LCTRL, 'X', WM_KEYDOWN, WM_KEYUP},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(SDL_GetKeyName(row.sym));
        const std::vector<MSG> messages = PressAndRelease(row.scancode, row.sym, row.modifiers);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].hwnd, window);
        EXPECT_EQ(messages[0].message, row.down);
        EXPECT_EQ(messages[0].wParam, row.virtualKey);
        EXPECT_EQ(Bits(messages[0].lParam) & 0xFFFF, 1u) << "repeat count";
        EXPECT_EQ((Bits(messages[0].lParam) & kContextBit) != 0, (row.modifiers & KMOD_LALT) != 0);
        EXPECT_EQ(Bits(messages[0].lParam) & (kPreviousStateBit | kTransitionBit), 0u);
        EXPECT_EQ(messages[1].message, row.up);
        EXPECT_EQ(messages[1].wParam, row.virtualKey);
        EXPECT_EQ(Bits(messages[1].lParam) & (kPreviousStateBit | kTransitionBit),
                  kPreviousStateBit | kTransitionBit);
    }
}

TEST_F(Win32Messages, AutoRepeatIsOneMoreKeyDownWithThePreviousStateSet)
{
    PushKey(window, true, SDL_SCANCODE_UP, SDLK_UP);
    PushKey(window, true, SDL_SCANCODE_UP, SDLK_UP, 0, true);
    PushKey(window, true, SDL_SCANCODE_UP, SDLK_UP, 0, true);
    PushKey(window, false, SDL_SCANCODE_UP, SDLK_UP);
    const std::vector<MSG> messages = TakeAllMessages();
    ASSERT_EQ(messages.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(messages[i].message, static_cast<UINT>(WM_KEYDOWN));
        EXPECT_EQ(messages[i].wParam, static_cast<WPARAM>(VK_UP));
        EXPECT_EQ((Bits(messages[i].lParam) & kPreviousStateBit) != 0, i > 0) << "message " << i;
    }
    EXPECT_EQ(messages[3].message, static_cast<UINT>(WM_KEYUP));
}

TEST_F(Win32Messages, TranslateMessagePostsTheCharacterBeforeTheNextKey)
{
    PushKey(window, true, SDL_SCANCODE_B, SDLK_b);
    PushKey(window, true, SDL_SCANCODE_UP, SDLK_UP);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_TRUE(TranslateMessage(&msg));
    const std::vector<MSG> rest = TakeAllMessages();
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(rest[0].wParam, static_cast<WPARAM>('b'));
    EXPECT_EQ(rest[0].hwnd, window);
    EXPECT_EQ(rest[1].wParam, static_cast<WPARAM>(VK_UP));

    // Arrows make no character; other messages are not translated at all.
    EXPECT_TRUE(TranslateMessage(&rest[1]));
    MSG close{window, WM_CLOSE, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&close));
    EXPECT_TRUE(TakeAllMessages().empty());
}

// The window's close button, as SDL reports it.
void PushCloseButton(HWND window)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = SDL_GetWindowID(window->sdl);
    SDL_PushEvent(&event);
}

// Runs the viewer's loop over what is queued, dispatching everything; returns the quit message.
MSG RunLoopUntilQuit()
{
    MSG msg{};
    for (int pass = 0; pass < 100 && msg.message != WM_QUIT; ++pass) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return msg;
}

LRESULT CALLBACK QuitOnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ReceivedMessages().push_back({window, message, wParam, lParam});
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Win32Messages, CloseButtonDestroysTheWindowThroughTheDefaultProcedure)
{
    PushCloseButton(window);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_FALSE(window->destroyed);
    DispatchMessageA(&msg);
    EXPECT_TRUE(window->destroyed);
    const std::vector<UINT> expected = {WM_CLOSE, WM_DESTROY, WM_NCDESTROY};
    std::vector<UINT> received;
    for (const ReceivedMessage& r : ReceivedMessages()) received.push_back(r.message);
    EXPECT_EQ(received, expected);
    // A destroyed window gets nothing more, and cannot be destroyed twice.
    EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(ReceivedMessages().size(), 3u);
    EXPECT_EQ(GetDC(window), nullptr);
}

TEST_F(Win32Messages, AltF4ClosesTheWindowAsOnWindows)
{
    window->procedure = QuitOnDestroy;
    PushKey(window, true, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
    PushKey(window, true, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT);
    const MSG quit = RunLoopUntilQuit();
    EXPECT_EQ(quit.message, static_cast<UINT>(WM_QUIT));
    EXPECT_TRUE(window->destroyed);
    const std::vector<ReceivedMessage> f4 = ReceivedOf(WM_SYSKEYDOWN);
    ASSERT_EQ(f4.size(), 2u);
    EXPECT_EQ(f4[0].wParam, static_cast<WPARAM>(VK_MENU));
    EXPECT_EQ(f4[1].wParam, static_cast<WPARAM>(VK_F4));
    ASSERT_EQ(ReceivedOf(WM_SYSCOMMAND).size(), 1u);
    EXPECT_EQ(ReceivedOf(WM_SYSCOMMAND)[0].wParam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(ReceivedOf(WM_CLOSE).size(), 1u);
    EXPECT_EQ(ReceivedOf(WM_DESTROY).size(), 1u);
}

TEST_F(Win32Messages, F4WithoutAltClosesNothing)
{
    window->procedure = QuitOnDestroy;
    PushKey(window, true, SDL_SCANCODE_F4, SDLK_F4);
    PushKey(window, false, SDL_SCANCODE_F4, SDLK_F4);
    for (const MSG& msg : TakeAllMessages()) DispatchMessageA(&msg);
    EXPECT_TRUE(TakeAllMessages().empty());
    EXPECT_FALSE(window->destroyed);
}

TEST_F(Win32Messages, PostedQuitComesAfterPostedMessagesAndBeforeInputWithItsCode)
{
    PushKey(window, true, SDL_SCANCODE_UP, SDLK_UP);
    PostMessageA(window, WM_USER, 1, 2);
    PostQuitMessage(42);
    PostMessageA(nullptr, WM_APP, 3, 4);
    const std::vector<MSG> messages = TakeAllMessages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(messages[1].message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(messages[1].hwnd, nullptr);
    EXPECT_EQ(messages[2].message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(messages[2].wParam, 42u);
    EXPECT_EQ(messages[2].hwnd, nullptr);
    EXPECT_EQ(messages[3].message, static_cast<UINT>(WM_KEYDOWN));
}

TEST_F(Win32Messages, PaintIsDueAfterAResizeUntilTheDefaultProcedurePaints)
{
    SDL_SetWindowSize(window->sdl, 500, 400);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(msg.hwnd, window);
    ASSERT_EQ(ReceivedOf(WM_SIZE).size(), 1u) << "sent while the queue was read";
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT)) << "still due";
    // Anything posted goes first.
    PostMessageA(window, WM_USER, 0, 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Win32Messages, EmptyQueueAnswersFalseWithoutWaiting)
{
    MSG msg{};
    msg.message = WM_USER;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER)) << "a failed peek leaves the record alone";
}

}  // namespace
