// The program entry: the window, the device, and the message loop that renders a frame whenever no
// message is waiting, until the quit message arrives.
#include "app/app.h"
#include "motion/motion_state.h"
#include "render/device.h"
#include "render/frame.h"

namespace {

// A device that could not be made has been reported to the user; the status says so too.
constexpr int kDeviceSetUpFailedStatus = 1;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    // The show command is ignored: the window is always shown.
    HWND hWnd = CreateMainWindow(hInstance);

    if (FAILED(InitD3D(hWnd))) return kDeviceSetUpFailedStatus;

    MSG msg = {};
    InitPosition();
    // Taken once and kept for the life of the process.
    HDC hdc = GetDC(hWnd);

    // Messages come first; every pass that finds none renders a frame, with no wait and no timer.
    // The pass that removes WM_QUIT dispatches it like any other, and the next one ends the loop.
    while (msg.message != WM_QUIT) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            Render(hdc);
        }
    }

    Cleanup();
    return static_cast<int>(msg.wParam);
}
