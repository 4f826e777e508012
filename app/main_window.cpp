// The viewer's one window: its class, registered with the window procedure, and the window itself,
// created, shown and updated. Shared by the entry and by the snapshot tool, which starts the same
// way.
#include "app/app.h"

const char appName[] = "crs move pos";

HWND CreateMainWindow(HINSTANCE hInstance)
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

    // 800 by 600 is the outer size, frame and caption included.
    HWND hWnd = CreateWindowExA(0, appName, appName, WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                nullptr, hInstance, nullptr);
    ShowWindow(hWnd, SW_SHOW);
    UpdateWindow(hWnd);
    return hWnd;
}
