// The viewer's own entry and message loop, run headless under SDL's offscreen driver, with input
// queued as SDL events between frames (platform/portable/d3d9/present_hook.h): Escape, the close
// button and Alt+F4 each end it with status 0 after one Cleanup; a device that cannot be made ends
// it with status 1; 10,000 Up key-downs queued at once drive 10,000 plates to the state crs-drive
// computes; and the window minimised, restored, resized and maximised while frames go on.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "motion/motion_state.h"
#include "motion/overlay_lines.h"
#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/fault_hook.h"
#include "platform/portable/d3d9/frame_capture.h"
#include "platform/portable/win32/message_box_hook.h"
#include "platform/portable/d3d9/present_hook.h"
#include "platform/portable/win32/window.h"
#include "render/device.h"
#include "tests/platform/d3d_test_support.h"
#include "tests/platform/win32/test_window.h"
#include "tests/render/viewer_fixture.h"
#include "tests/tools/run_command.h"

namespace {

// A script that has not ended the viewer by then has failed; Escape ends it so the test does.
constexpr int kRunawayFrames = 30000;

void PressUp(HWND window, bool repeat = false)
{
    PushKey(window, true, SDL_SCANCODE_UP, SDLK_UP, 0, repeat);
}

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

std::string DriveOverlay(int presses)
{
    const CommandResult drive = RunCommand(CRS_DRIVE_PATH, {std::to_string(presses)});
    EXPECT_EQ(drive.status, 0);
    return drive.out;
}

long Count(const std::vector<std::string>& calls, const std::string& call)
{
    return std::count(calls.begin(), calls.end(), call);
}

struct Picture {
    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0;
};

Picture Capture(HWND window)
{
    Picture picture;
    EXPECT_TRUE(CaptureWindowFrame(window, picture.rgba, picture.width, picture.height));
    return picture;
}

class ViewerLoop : public ViewerTest {
protected:
    void TearDown() override
    {
        SetPresentHook(nullptr);
        ViewerTest::TearDown();
    }

    // Runs the viewer's entry in `folder`, calling `script` after each frame with the frame's
    // number (from 1) and the window; returns the entry's result.
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

TEST_F(ViewerLoop, EscapeCloseButtonAndAltF4EachEndWithZeroAfterOneCleanup)
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
    const char* names[] = {"Escape", "close button", "Alt+F4"};
    for (int i = 0; i < 3; i++) {
        RecorderStart();
        const int status = Run(ViewerDataDir(), [&](int frame, HWND window) {
            if (frame == 3) requests[i](window);
        });
        RecorderStop();
        EXPECT_EQ(status, 0) << names[i];
        // The request is read before the next frame; the quit message ends the loop after it.
        EXPECT_EQ(frames_, 3) << names[i];
        const std::vector<std::string>& calls = RecordedCalls();
        EXPECT_EQ(Count(calls, "Release(ID3DXMesh)"), 2) << names[i];
        EXPECT_EQ(Count(calls, "Release(IDirect3DDevice9)"), 1) << names[i];
        EXPECT_EQ(Count(calls, "Release(IDirect3D9)"), 1) << names[i];
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), "Release(IDirect3D9)") << names[i];
        EXPECT_EQ(pD3D, nullptr);
        EXPECT_TRUE(CapturedMessageBoxes().empty());
    }
}

TEST_F(ViewerLoop, DeviceThatCannotBeMadeEndsWithStatusOne)
{
    D3DFaults faults;
    faults.halDevice = faults.refDevice = true;
    SetD3DFaults(faults);
    const int status = Run(ViewerDataDir(), [](int, HWND) {});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(frames_, 0);
    EXPECT_EQ(CapturedMessageBoxes().size(), 2u);
}

TEST_F(ViewerLoop, TenThousandUpKeyDownsQueuedAtOnceDriveExactlyTenThousandPlates)
{
    // The plate counter wraps with the lap, so the whole state is compared with crs-drive's.
    std::string seenByTheNextFrame;
    const int status = Run(ViewerDataDir(), [&](int frame, HWND window) {
        if (frame == 1) {
            // One press, then the key held: its auto-repeats.
            for (int i = 0; i < 10000; i++) PressUp(window, i > 0);
            PushKey(window, false, SDL_SCANCODE_UP, SDLK_UP);
        } else if (frame == 2) {
            seenByTheNextFrame = OverlayNow();
            PressEscape(window);
        }
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(seenByTheNextFrame, DriveOverlay(10000));
    EXPECT_EQ(OverlayNow(), DriveOverlay(10000));
}

TEST_F(ViewerLoop, MinimiseRestoreResizeAndMaximiseWhileFramesGoOn)
{
    Picture start, restored, resized, maximised;
    RECT resizedClient{}, maximisedClient{};
    const int status = Run(COURSE_DATA_DIR, [&](int frame, HWND window) {
        switch (frame) {
        case 2: start = Capture(window); ShowWindow(window, SW_MINIMIZE); break;
        case 5: ShowWindow(window, SW_RESTORE); break;
        case 7: restored = Capture(window); break;
        case 8: SetWindowPos(window, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER); break;
        case 11:
            resized = Capture(window);
            GetClientRect(window, &resizedClient);
            ShowWindow(window, SW_MAXIMIZE);
            break;
        case 14:
            maximised = Capture(window);
            GetClientRect(window, &maximisedClient);
            ShowWindow(window, SW_RESTORE);
            break;
        case 17: PressEscape(window); break;
        }
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(frames_, 17);
    ASSERT_EQ(start.width, 792);
    ASSERT_EQ(start.height, 573);
    // After the minimised frames the same scene is drawn again.
    EXPECT_EQ(restored.width, start.width);
    EXPECT_EQ(restored.rgba, start.rgba);
    // The back buffer keeps the size it was made with and is stretched over the new client area.
    EXPECT_EQ(resized.width, resizedClient.right);
    EXPECT_EQ(resized.height, resizedClient.bottom);
    EXPECT_LT(resized.width, start.width);
    EXPECT_EQ(maximised.width, maximisedClient.right);
    EXPECT_EQ(maximised.height, maximisedClient.bottom);
}

}  // namespace
