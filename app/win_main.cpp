// The program entry: the window, the device, and the message loop that renders a frame whenever no
// message is waiting, until the quit message arrives.
#include "app/app.h"
#include "motion/motion_state.h"
#include "render/device.h"
#include "render/frame.h"

const char appName[] = "crs move pos";

namespace {

// A device that could not be made has been reported to the user; the status says so too.
constexpr int kDeviceSetUpFailedStatus = 1;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    WNDCLASSEXA wc;
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = CS_VREDRAW | CS_HREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = appName;
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    RegisterClassExA(&wc);

    // 800 by 600 is the outer size, frame and caption included. The show command is ignored.
    HWND hWnd = CreateWindowExA(0, appName, appName, WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                nullptr, hInstance, nullptr);
    ShowWindow(hWnd, SW_SHOW);
    UpdateWindow(hWnd);

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
