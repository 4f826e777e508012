// The window procedure: one plate per Up key-down, auto-repeats included; Escape and the window's
// destruction ask for the end with 0; every other key leaves everything alone; and every message
// goes on to DefWindowProcA unchanged, whose result comes back.
#include <cstdio>

#include "app/app.h"
#include "motion/motion_state.h"
#include "platform/portable/call_recorder.h"
#include "tests/render/viewer_fixture.h"

namespace {

// lParam of key messages as Windows makes them: repeat count, scan code, extended-key bit, and for
// an auto-repeat the previous-state bit.
constexpr LPARAM kUpFirst = 0x01480001;
constexpr LPARAM kUpRepeat = 0x41480001;
constexpr LPARAM kUpRepeatCountFive = 0x41480005;
constexpr LPARAM kUpRelease = static_cast<LPARAM>(0xC1480001u);
constexpr LPARAM kEscapeFirst = 0x00010001;

struct State {
    std::int32_t wx, wy, wz, vect_x, vect_y, plate_pos;
    bool operator==(const State& o) const
    {
        return wx == o.wx && wy == o.wy && wz == o.wz && vect_x == o.vect_x &&
               vect_y == o.vect_y && plate_pos == o.plate_pos;
    }
};

State Now() { return {wx, wy, wz, vect_x, vect_y, plate_pos}; }

void PrintTo(const State& s, std::ostream* out)
{
    *out << "wx " << s.wx << " wy " << s.wy << " wz " << s.wz << " vect_x " << s.vect_x
         << " vect_y " << s.vect_y << " plate_pos " << s.plate_pos;
}

class WndProcTest : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        InitPosition();
        window_ = MainWindow();
    }

    // The quit requests waiting now, by their codes.
    std::vector<WPARAM> QuitCodes()
    {
        std::vector<WPARAM> codes;
        for (const MSG& msg : TakeMessages())
            if (msg.message == WM_QUIT) codes.push_back(msg.wParam);
        return codes;
    }

    HWND window_ = nullptr;
};

TEST_F(WndProcTest, EachUpKeyDownDrivesExactlyOnePlateRepeatsIncluded)
{
    WndProc(window_, WM_KEYDOWN, VK_UP, kUpFirst);
    EXPECT_EQ(Now(), (State{-4200, 13000, 0, 0, 0, 1}));
    // A held key: auto-repeats, one of them carrying a repeat count of five, still one plate each.
    for (int press = 2; press <= 25; press++)
        WndProc(window_, WM_KEYDOWN, VK_UP, press == 10 ? kUpRepeatCountFive : kUpRepeat);
    EXPECT_EQ(Now(), (State{-9000, 13000, 0, 0, 0, 25}));
    WndProc(window_, WM_KEYDOWN, VK_UP, kUpRepeat);
    EXPECT_EQ(Now(), (State{-9199, 13000, 6, 22, 0, 26}));
    WndProc(window_, WM_KEYUP, VK_UP, kUpRelease);
    EXPECT_EQ(Now(), (State{-9199, 13000, 6, 22, 0, 26}));
    EXPECT_TRUE(QuitCodes().empty());
}

TEST_F(WndProcTest, CounterWrapsAfterALapAndTheCourseCloses)
{
    for (int press = 0; press < 1072; press++) WndProc(window_, WM_KEYDOWN, VK_UP, kUpRepeat);
    EXPECT_EQ(Now(), (State{-4000, 13000, 0, 0, 0, 1072}));
    WndProc(window_, WM_KEYDOWN, VK_UP, kUpRepeat);
    EXPECT_EQ(Now(), (State{-4200, 13000, 0, 0, 0, 1}));
}

TEST_F(WndProcTest, EscapePostsQuitWithZeroAndLeavesTheWindow)
{
    WndProc(window_, WM_KEYDOWN, VK_ESCAPE, kEscapeFirst);
    EXPECT_EQ(QuitCodes(), std::vector<WPARAM>{0});
    EXPECT_NE(GetDC(window_), nullptr);
    EXPECT_EQ(Now(), (State{-4000, 13000, 0, 0, 0, 0}));
}

TEST_F(WndProcTest, DestroyPostsQuitWithZeroAndSoDoesTheCloseRequestThroughDefaultHandling)
{
    WndProc(window_, WM_DESTROY, 0, 0);
    EXPECT_EQ(QuitCodes(), std::vector<WPARAM>{0});

    // The close button: DefWindowProcA destroys the window, whose WM_DESTROY posts the quit.
    WndProc(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(GetDC(window_), nullptr);
    EXPECT_EQ(QuitCodes(), std::vector<WPARAM>{0});
    window_ = nullptr;
}

TEST_F(WndProcTest, OtherKeysAndKeyMessagesChangeNothing)
{
    const State start = Now();
    for (WPARAM key : std::vector<WPARAM>{VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN, VK_SPACE, 'A', 'W'})
        WndProc(window_, WM_KEYDOWN, key, 0x00010001);
    // Up as another kind of message: released, with Alt held, or a character of the same code.
    WndProc(window_, WM_KEYUP, VK_UP, kUpRelease);
    WndProc(window_, WM_SYSKEYDOWN, VK_UP, kUpFirst | (1 << 29));
    WndProc(window_, WM_CHAR, VK_UP, kUpFirst);
    WndProc(window_, WM_SYSKEYDOWN, VK_ESCAPE, kEscapeFirst | (1 << 29));
    WndProc(window_, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
    EXPECT_EQ(Now(), start);
    EXPECT_TRUE(QuitCodes().empty());
}

TEST_F(WndProcTest, KeyCodeIsTheLowByteOfWParam)
{
    WndProc(window_, WM_KEYDOWN, 0x100 | VK_UP, kUpFirst);
    EXPECT_EQ(Now().plate_pos, 1);
    WndProc(window_, WM_KEYDOWN, 0x100 | VK_ESCAPE, kEscapeFirst);
    EXPECT_EQ(QuitCodes(), std::vector<WPARAM>{0});
}

TEST_F(WndProcTest, EveryMessageReachesDefWindowProcUnchangedAndItsResultIsReturned)
{
    struct Sent {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const Sent messages[] = {
        {WM_KEYDOWN, VK_UP, kUpFirst},   {WM_KEYDOWN, VK_ESCAPE, kEscapeFirst},
        {WM_KEYDOWN, VK_DOWN, 0x00500001}, {WM_KEYUP, VK_UP, kUpRelease},
        {WM_USER + 7, 0xDEADBEEF, -5},   {WM_PAINT, 0, 0},
        {WM_DESTROY, 0, 0},
    };
    for (const Sent& sent : messages) {
        RecorderStart();
        EXPECT_EQ(WndProc(window_, sent.message, sent.wParam, sent.lParam), 0);
        char expected[128];
        std::snprintf(expected, sizeof expected, "DefWindowProcA(%p, 0x%04x, 0x%llx, 0x%llx)",
                      static_cast<void*>(window_), sent.message,
                      static_cast<unsigned long long>(sent.wParam),
                      static_cast<unsigned long long>(sent.lParam));
        EXPECT_EQ(RecordedCalls(), std::vector<std::string>{expected});
    }
    // A message whose default handling answers other than 0.
    EXPECT_EQ(WndProc(window_, WM_NCCREATE, 0, 0), TRUE);
}

}  // namespace
