// The viewer's own entry and loop, headless, with input queued as SDL events between frames:
// Escape, the close button and Alt+F4 end it with 0 after Cleanup, a device that cannot be made
// with 1; 10,000 queued Up key-downs reach crs-drive's state; minimise and restore go on.
#include <SDL.h>

#include <algorithm>
#include <functional>
#include <string>

#include "motion/motion_state.h"
#include "motion/overlay_lines.h"
#include "platform/portable/d3d9/fault_hook.h"
#include "platform/portable/d3d9/present_hook.h"
#include "render/device.h"
#include "tests/platform/d3d_test_support.h"
#include "tests/platform/win32/test_window.h"
#include "tests/render/viewer_fixture.h"
#include "tests/tools/run_command.h"

namespace {

// A script that has not ended the viewer by then has failed; Escape ends it so the test does.
constexpr int kRunawayFrames = 300;

void PressEscape(HWND window)
{
    PushKey(window, true, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    PushKey(window, false, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
}

// The ten overlay lines of the current motion state, as crs-drive prints them.
std::string OverlayNow()
{
    std::string text;
    char line[80];
    for (int i = 0; i < kOverlayLineCount; i++) {
        FormatOverlayLine(i, line, sizeof line);
        text += std::string(line) + "\n";
    }
    return text;
}

class ViewerLoop : public ViewerTest {
protected:
    // Runs the viewer's entry in `folder`, calling `script` after each frame (from 1).
    int Run(const std::string& folder, const std::function<void(int, HWND)>& script)
    {
        test::ScopedCurrentFolder inFolder(folder);
        frames_ = 0;
        SetPresentHook([this, &script](HWND window) {
            frames_++;
            if (frames_ == kRunawayFrames) {
                ADD_FAILURE() << "the viewer was still running after " << frames_ << " frames";
                PressEscape(window);
            }
            script(frames_, window);
        });
        char commandLine[] = "";
        const int status = WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
        SetPresentHook(nullptr);
        return status;
    }

    int frames_ = 0;
};

TEST_F(ViewerLoop, EscapeCloseButtonAndAltF4EachEndWithZeroAfterCleanup)
{
    const std::function<void(HWND)> requests[] = {
        [](HWND window) { PressEscape(window); },
        [](HWND window) {
            SDL_Event event{};
            event.type = SDL_WINDOWEVENT;
            event.window.windowID = SDL_GetWindowID(window->sdl);
            event.window.event = SDL_WINDOWEVENT_CLOSE;
            ASSERT_EQ(SDL_PushEvent(&event), 1);
        },
        [](HWND window) {
            PushKey(window, true, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
            PushKey(window, true, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT);
        },
    };
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        const int status = Run(ViewerDataDir(), [&](int frame, HWND window) {
            if (frame == 3) requests[i](window);
        });
        EXPECT_EQ(status, 0);
        // The request is read before the next frame; the quit message ends the loop after it.
        EXPECT_EQ(frames_, 3);
        EXPECT_EQ(pD3D, nullptr);
    }
}

TEST_F(ViewerLoop, DeviceThatCannotBeMadeEndsWithStatusOne)
{
    SetD3DFaults({false, true, true});
    EXPECT_EQ(Run(ViewerDataDir(), [](int, HWND) {}), 1);
    EXPECT_EQ(frames_, 0);
}

TEST_F(ViewerLoop, TenThousandUpKeyDownsQueuedAtOnceDriveExactlyTenThousandPlates)
{
    // The plate counter wraps with the lap, so the whole state is compared with crs-drive's.
    std::string seenByTheNextFrame;
    EXPECT_EQ(Run(ViewerDataDir(), [&](int frame, HWND window) {
        if (frame == 1) {
            // One press, then the key held: its auto-repeats.
            for (int i = 0; i < 10000; i++)
                PushKey(window, true, SDL_SCANCODE_UP, SDLK_UP, 0, /*repeat=*/i > 0);
            PushKey(window, false, SDL_SCANCODE_UP, SDLK_UP);
        } else if (frame == 2) {
            seenByTheNextFrame = OverlayNow();
            PressEscape(window);
        }
    }), 0);
    const CommandResult drive = RunCommand(CRS_DRIVE_PATH, {"10000"});
    EXPECT_EQ(seenByTheNextFrame, drive.out);
    EXPECT_EQ(OverlayNow(), drive.out);
}

// Minimised frames go on, and after them the same scene is drawn again.
TEST_F(ViewerLoop, MinimiseAndRestoreWhileFramesGoOn)
{
    test::Frame start, restored;
    EXPECT_EQ(Run(COURSE_DATA_DIR, [&](int frame, HWND window) {
        if (frame == 2) start = test::Capture(window), ShowWindow(window, SW_MINIMIZE);
        if (frame == 5) ShowWindow(window, SW_RESTORE);
        if (frame == 7) restored = test::Capture(window), PressEscape(window);
    }), 0);
    ASSERT_EQ(start.width, 792);
    EXPECT_EQ(restored.rgba, start.rgba);
}

}  // namespace
