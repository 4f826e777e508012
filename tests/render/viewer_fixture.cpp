// The viewer's test fixture: the motion state put back at its static start, faults and message
// boxes reset, and what the viewer made released after each test.
#include "tests/render/viewer_fixture.h"

#include <cstdlib>

#include "app/app.h"
#include "tests/motion/motion_globals.h"
#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/fault_hook.h"
#include "platform/portable/win32/message_box_hook.h"
#include "render/device.h"

void ViewerTest::SetUp()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    RestoreMotion(StaticMotionStart());
    SetD3DFaults(D3DFaults{});
    MessageBoxCaptureStart();
}

void ViewerTest::TearDown()
{
    RecorderStop();
    Cleanup();
    if (window_ != nullptr) DestroyWindow(window_);
    TakeMessages();
    MessageBoxCaptureStop();
    SetD3DFaults(D3DFaults{});
}

HWND ViewerTest::MainWindow()
{
    if (window_ == nullptr) {
        window_ = CreateMainWindow(nullptr);
        // What showing the window queued (a first WM_PAINT) is not the test's business.
        TakeMessages();
    }
    return window_;
}

std::vector<MSG> ViewerTest::TakeMessages()
{
    std::vector<MSG> taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        taken.push_back(msg);
        // A paint stays due until painted.
        if (msg.message == WM_PAINT) DefWindowProcA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
    return taken;
}

std::string ViewerDataDir() { return CRS_VIEWER_DATA_DIR; }
