// The window procedure: one plate per Up key-down, auto-repeats included; Escape and the window's
// destruction ask for the end with 0; every other message leaves everything alone; and every
// message goes on to DefWindowProcA unchanged, whose result comes back.
#include <cstdio>

#include "app/app.h"
#include "motion/motion_state.h"
#include "platform/portable/call_recorder.h"
#include "tests/render/viewer_fixture.h"

namespace {

// lParam as Windows makes it: repeat count, scan code, extended key, auto-repeat (30), Alt (29).
constexpr LPARAM kUpFirst = 0x01480001, kUpRepeat = 0x41480001, kEscape = 0x00010001;
constexpr LPARAM kRelease = static_cast<LPARAM>(0xC1480001u), kAlt = 1 << 29;

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

TEST_F(WndProcTest, EachMessageDrivesAsManyPlatesAsItShouldAsksForTheEndOrNotAndIsPassedOn)
{
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        int plates;
        bool quits;
    } rows[] = {
        {"Up pressed", WM_KEYDOWN, VK_UP, kUpFirst, 1, false},
        {"Up held: an auto-repeat", WM_KEYDOWN, VK_UP, kUpRepeat, 1, false},
        {"an auto-repeat counting five", WM_KEYDOWN, VK_UP, 0x41480005, 1, false},
        {"Up in the low byte only", WM_KEYDOWN, 0x100 | VK_UP, kUpFirst, 1, false},
        {"Up released", WM_KEYUP, VK_UP, kRelease, 0, false},
        {"Alt+Up", WM_SYSKEYDOWN, VK_UP, kUpFirst | kAlt, 0, false},
        {"a character of Up's code", WM_CHAR, VK_UP, kUpFirst, 0, false},
        {"Down", WM_KEYDOWN, VK_DOWN, 0x00500001, 0, false},
        {"A", WM_KEYDOWN, 'A', 0x001e0001, 0, false},
        {"Escape", WM_KEYDOWN, VK_ESCAPE, kEscape, 0, true},
        {"Escape in the low byte only", WM_KEYDOWN, 0x100 | VK_ESCAPE, kEscape, 0, true},
        {"Alt+Escape", WM_SYSKEYDOWN, VK_ESCAPE, kEscape | kAlt, 0, false},
        {"Escape released", WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u), 0, false},
        {"a message of the application's", WM_USER + 7, 0xDEADBEEF, -5, 0, false},
        {"paint", WM_PAINT, 0, 0, 0, false},
        {"destroyed", WM_DESTROY, 0, 0, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::int32_t platesBefore = plate_pos, wxBefore = wx;
        RecorderStart();
        EXPECT_EQ(WndProc(window_, row.message, row.wParam, row.lParam), 0);
        EXPECT_EQ(plate_pos - platesBefore, row.plates);
        EXPECT_EQ(wx != wxBefore, row.plates != 0) << "the car moved without a plate";
        EXPECT_EQ(QuitCodes(), row.quits ? std::vector<WPARAM>{0} : std::vector<WPARAM>{});
        char passed[128];
        std::snprintf(passed, sizeof passed, "DefWindowProcA(%p, 0x%04x, 0x%llx, 0x%llx)",
                      static_cast<void*>(window_), row.message,
                      static_cast<unsigned long long>(row.wParam),
                      static_cast<unsigned long long>(row.lParam));
        EXPECT_EQ(RecordedCalls(), std::vector<std::string>{passed});
    }
    // A message whose default handling answers other than 0.
    EXPECT_EQ(WndProc(window_, WM_NCCREATE, 0, 0), TRUE);
}

}  // namespace
