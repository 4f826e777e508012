// The window procedure: the viewer's whole keyboard input.
#include "app/app.h"

#include "motion/motion_state.h"

LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_KEYDOWN:
        // Virtual-key codes fit in the low byte; auto-repeats arrive as further key-downs.
        switch (wParam & 0xFF) {
        case VK_ESCAPE:
            PostQuitMessage(0);
            break;
        case VK_UP:
            // plate_pos names the plate to traverse; after the advance it counts that plate.
            AdvancePlate();
            plate_pos++;
            break;
        }
        break;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}
