// The platform probe: one program in Win32, Direct3D 9 and D3DX9 names only, built for both
// backends (crs-probe here, probe.exe with mingw-w64 for Wine), so that what the two draw and load
// can be compared. It opens an 800 by 600 window, makes a device as the viewer does and then, by
// the words of its command line, draws probe_scene.cpp's scene every idle pass, printing "ready
// LEFT TOP WIDTH HEIGHT" (the client area on screen) at the 30th frame and ending at the 600th or
// on Escape; "specular" gives it a white specular light, "stretch" makes the window 600 by 450
// after the device so that Present stretches, "scene FILE" draws FILE alone in the course's place,
// and "capture FILE.png" (portable backend) writes the 30th frame there and ends. "counts FILE..."
// loads each X file as the viewer does and prints its materials, faces per subset and textures.
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/reference/probe_scene.h"
#ifndef _WIN32
#include "platform/portable/d3d9/frame_capture.h"
#endif

namespace {

LRESULT CALLBACK ProbeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_DESTROY && (message != WM_KEYDOWN || wParam != VK_ESCAPE))
        return DefWindowProcA(window, message, wParam, lParam);
    PostQuitMessage(0);
    return 0;
}

// The word after `word`, or null when `word` is not there.
const char* After(const std::vector<std::string>& words, const char* word)
{
    for (std::size_t i = 0; i < words.size(); ++i)
        if (words[i] == word) return i + 1 < words.size() ? words[i + 1].c_str() : "";
    return nullptr;
}

// "crs.x: 7 materials, 20682 faces (510/4284/...), 5 of 5 textures": the same line from both
// backends means the same materials and subsets.
void PrintCounts(IDirect3DDevice9* device, const char* file)
{
    ProbeMesh mesh;
    LoadProbeMesh(device, file, &mesh);
    if (FAILED(mesh.loadResult)) {
        std::printf("%s: load failed 0x%08lx\n", file, (unsigned long)(DWORD)mesh.loadResult);
        return;
    }
    const DWORD faces = mesh.mesh->GetNumFaces();
    std::vector<DWORD> perSubset(mesh.count + 1, 0);
    DWORD* attributes = NULL;
    if (SUCCEEDED(mesh.mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes))) {
        for (DWORD face = 0; face < faces; ++face)
            ++perSubset[std::min(attributes[face], mesh.count)];
        mesh.mesh->UnlockAttributeBuffer();
    }
    std::string subsets;
    for (DWORD i = 0; i < mesh.count; ++i) subsets += (i ? "/" : "") + std::to_string(perSubset[i]);
    std::printf("%s: %lu materials, %lu faces (%s), %lu of %lu textures\n", file,
                (unsigned long)mesh.count, (unsigned long)faces, subsets.c_str(),
                (unsigned long)mesh.texturesLoaded, (unsigned long)mesh.texturesNamed);
    ReleaseProbeMesh(&mesh);
}

// The scene's frames until 600 are shown or the window is closed; 2 when the scene's files do
// not load completely, 4 when the capture cannot be written.
int RunScene(HWND window, IDirect3DDevice9* device, const std::vector<std::string>& words)
{
    ProbeMesh course = {}, car = {};
    const char* scene = After(words, "scene");
    const bool complete = LoadProbeMesh(device, scene ? scene : "probe_course.x", &course) &&
                          (scene || LoadProbeMesh(device, "probe_car.x", &car));
    SetProbeRenderStates(device);
    if (After(words, "stretch"))
        SetWindowPos(window, NULL, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER);
    MSG msg = {};
    int status = complete ? 0 : 2;
    for (int frame = 0; complete && frame < 600 && msg.message != WM_QUIT;) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        DrawProbeFrame(device, course, car, After(words, "specular") != nullptr);
        if (++frame != 30) continue;
        RECT client;
        POINT origin = {0, 0};
        GetClientRect(window, &client);
        ClientToScreen(window, &origin);
        std::printf("ready %ld %ld %ld %ld\n", (long)origin.x, (long)origin.y,
                    (long)client.right, (long)client.bottom);
        std::fflush(stdout);
#ifndef _WIN32
        // The portable window reads its own frame back; under Wine the screen is taken instead.
        if (const char* file = After(words, "capture")) {
            status = WriteWindowFramePng(window, file) ? 0 : 4;
            frame = 600;
        }
#endif
    }
    ReleaseProbeMesh(&car);
    ReleaseProbeMesh(&course);
    return status;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    std::vector<std::string> words;
    std::istringstream in(commandLine ? commandLine : "");
    for (std::string word; in >> word;) words.push_back(word);
    WNDCLASSEXA wc = {sizeof(WNDCLASSEXA), CS_VREDRAW | CS_HREDRAW, ProbeWndProc, 0, 0, instance,
                      NULL, NULL, (HBRUSH)GetStockObject(BLACK_BRUSH), NULL, "probe", NULL};
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, "probe", "probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                  600, NULL, NULL, instance, NULL);

    // A device as the viewer makes it, without the reference rasteriser it falls back to.
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS d3dpp = {};
    d3dpp.Windowed = TRUE;
    d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    d3dpp.BackBufferCount = 1;
    d3dpp.EnableAutoDepthStencil = TRUE;
    d3dpp.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice9* device = NULL;
    if (!d3d || FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                         D3DCREATE_MIXED_VERTEXPROCESSING, &d3dpp, &device)))
        return 1;
    int status = 0;
    if (!words.empty() && words[0] == "counts") {
        for (std::size_t i = 1; i < words.size(); ++i) PrintCounts(device, words[i].c_str());
        std::fflush(stdout);
    } else {
        status = RunScene(window, device, words);
    }
    device->Release();
    d3d->Release();
    return status;
}
