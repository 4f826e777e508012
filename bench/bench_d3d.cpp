// The portable Direct3D device under SDL's offscreen driver: time per frame of the reference
// probe scene (clear, course, car, present at 792 by 573), and time to load an X file (Assimp in
// a child process) and a texture, and to load the viewer's own course, build/data/crs.x, and the
// twelve textures of build/data; and the viewer's own frame after 0 and 300 presses, which under
// LP_NUM_THREADS=0 (llvmpipe drawing on the calling thread) gives the frame's whole CPU time, a
// figure that a loaded machine changes far less than a frame rate.
#include <benchmark/benchmark.h>
#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app.h"
#include "motion/motion_state.h"
#include "platform/portable/d3d9/d3d9.h"
#include "platform/portable/d3dx9/d3dx9.h"
#include "platform/portable/win32/window.h"
#include "render/device.h"
#include "render/frame.h"
#include "render/mesh_object.h"
#include "tests/reference/probe_scene.h"

namespace {

struct Offscreen {
    HWND__ window;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;

    Offscreen()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        SDL_Init(SDL_INIT_VIDEO);
        window.sdl = SDL_CreateWindow("bench", 0, 0, 792, 573, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS d3dpp{};
        d3dpp.Windowed = TRUE;
        d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        d3dpp.EnableAutoDepthStencil = TRUE;
        d3dpp.AutoDepthStencilFormat = D3DFMT_D16;
        d3dpp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &window,
                          D3DCREATE_MIXED_VERTEXPROCESSING, &d3dpp, &device);
        std::filesystem::current_path(CRS_REFERENCE_DIR);
    }
};

Offscreen& Shared()
{
    static Offscreen offscreen;
    return offscreen;
}

void BM_ProbeFrame(benchmark::State& state)
{
    IDirect3DDevice9* device = Shared().device;
    if (!device) return state.SkipWithError("no device");
    ProbeMesh course, car;
    LoadProbeMesh(device, "probe_course.x", &course);
    LoadProbeMesh(device, "probe_car.x", &car);
    SetProbeRenderStates(device);
    for (auto _ : state) DrawProbeFrame(device, course, car, false);
    ReleaseProbeMesh(&car);
    ReleaseProbeMesh(&course);
}
BENCHMARK(BM_ProbeFrame)->Unit(benchmark::kMicrosecond);

void BM_LoadXFile(benchmark::State& state)
{
    IDirect3DDevice9* device = Shared().device;
    if (!device) return state.SkipWithError("no device");
    for (auto _ : state) {
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* materials = nullptr;
        DWORD count = 0;
        if (FAILED(D3DXLoadMeshFromXA("probe_course.x", D3DXMESH_SYSTEMMEM, device, nullptr,
                                      &materials, nullptr, &count, &mesh)))
            return state.SkipWithError("load failed");
        materials->Release();
        mesh->Release();
    }
}
BENCHMARK(BM_LoadXFile)->Unit(benchmark::kMillisecond);

void BM_LoadCourse(benchmark::State& state)
{
    IDirect3DDevice9* device = Shared().device;
    if (!device) return state.SkipWithError("no device");
    const std::string course = std::string(CRS_DATA_DIR) + "/crs.x";
    for (auto _ : state) {
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* materials = nullptr;
        DWORD count = 0;
        if (FAILED(D3DXLoadMeshFromXA(course.c_str(), D3DXMESH_SYSTEMMEM, device, nullptr,
                                      &materials, nullptr, &count, &mesh)))
            return state.SkipWithError("cannot load build/data/crs.x");
        materials->Release();
        mesh->Release();
    }
}
BENCHMARK(BM_LoadCourse)->Unit(benchmark::kMillisecond);

void BM_LoadTexture(benchmark::State& state)
{
    IDirect3DDevice9* device = Shared().device;
    if (!device) return state.SkipWithError("no device");
    for (auto _ : state) {
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(D3DXCreateTextureFromFileA(device, "Probe\\Checker.PNG", &texture)))
            return state.SkipWithError("load failed");
        texture->Release();
    }
}
BENCHMARK(BM_LoadTexture)->Unit(benchmark::kMicrosecond);

// The viewer loads every texture of build/data at start, one after the other.
void BM_LoadCourseTextures(benchmark::State& state)
{
    IDirect3DDevice9* device = Shared().device;
    if (!device) return state.SkipWithError("no device");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(CRS_DATA_DIR))
        if (entry.path().extension() == ".png") files.push_back(entry.path().string());
    if (files.empty()) return state.SkipWithError("no textures in build/data");
    for (auto _ : state) {
        for (const std::string& file : files) {
            IDirect3DTexture9* texture = nullptr;
            if (FAILED(D3DXCreateTextureFromFileA(device, file.c_str(), &texture)))
                return state.SkipWithError("load failed");
            texture->Release();
        }
    }
}
BENCHMARK(BM_LoadCourseTextures)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The viewer's window, device and meshes as crs-snapshot makes them, driven state.range(0) plates
// on; each iteration renders and presents one frame, overlay included.
void BM_ViewerFrame(benchmark::State& state)
{
    Shared();
    std::filesystem::current_path(CRS_DATA_DIR);
    HWND window = CreateMainWindow(nullptr);
    if (!window || FAILED(InitD3D(window)) || !meshObjects[0].pMesh || !meshObjects[1].pMesh) {
        Cleanup();
        return state.SkipWithError("the viewer does not start from build/data");
    }
    InitPosition();
    for (int64_t press = 0; press < state.range(0); ++press) {
        AdvancePlate();
        plate_pos++;
    }
    HDC hdc = GetDC(window);
    for (auto _ : state) Render(hdc);
    Cleanup();
    DestroyWindow(window);
}
BENCHMARK(BM_ViewerFrame)->Arg(0)->Arg(300)->Unit(benchmark::kMillisecond);
