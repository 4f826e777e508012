// The reference probe program: an 800 by 600 window at the top-left corner, a device made as the
// viewer makes it, and the probe scene drawn every idle pass. Written against Win32, Direct3D 9
// and D3DX9 only. It prints "ready LEFT TOP WIDTH HEIGHT" (the client area on screen) once 30
// frames are shown, and ends after 600 frames or on Escape. With the argument "specular" the
// light has a white specular colour; with "stretch" the window is made 600 by 450 once the
// device exists, so that Present stretches the back buffer over the smaller client area.
#include <cstdio>
#include <cstring>

#include "tests/reference/probe_scene.h"

namespace {

LRESULT CALLBACK ProbeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY || (message == WM_KEYDOWN && wParam == VK_ESCAPE)) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    const bool specular = commandLine && std::strstr(commandLine, "specular") != NULL;
    WNDCLASSEXA wc = {sizeof(WNDCLASSEXA), CS_CLASSDC, ProbeWndProc, 0, 0, instance, NULL, NULL,
                      (HBRUSH)GetStockObject(BLACK_BRUSH), NULL, "probe", NULL};
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, "probe", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, NULL,
                                  NULL, instance, NULL);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return 1;
    D3DPRESENT_PARAMETERS d3dpp;
    ZeroMemory(&d3dpp, sizeof d3dpp);
    d3dpp.Windowed = TRUE;
    d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    d3dpp.BackBufferFormat = D3DFMT_UNKNOWN;
    d3dpp.BackBufferCount = 1;
    d3dpp.EnableAutoDepthStencil = TRUE;
    d3dpp.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice9* device = NULL;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                 D3DCREATE_MIXED_VERTEXPROCESSING, &d3dpp, &device)) &&
        FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, window,
                                 D3DCREATE_MIXED_VERTEXPROCESSING, &d3dpp, &device)))
        return 2;
    ProbeMesh course, car;
    if (!LoadProbeMesh(device, "probe_course.x", &course) ||
        !LoadProbeMesh(device, "probe_car.x", &car))
        return 3;
    SetProbeRenderStates(device);
    if (commandLine && std::strstr(commandLine, "stretch"))
        SetWindowPos(window, NULL, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER);

    MSG msg;
    ZeroMemory(&msg, sizeof msg);
    for (int frame = 0; frame < 600 && msg.message != WM_QUIT;) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        DrawProbeFrame(device, course, car, specular);
        if (++frame == 30) {
            RECT client;
            POINT origin = {0, 0};
            GetClientRect(window, &client);
            ClientToScreen(window, &origin);
            std::printf("ready %ld %ld %ld %ld\n", (long)origin.x, (long)origin.y,
                        (long)client.right, (long)client.bottom);
            std::fflush(stdout);
        }
    }
    ReleaseProbeMesh(&car);
    ReleaseProbeMesh(&course);
    device->Release();
    d3d->Release();
    return 0;
}
