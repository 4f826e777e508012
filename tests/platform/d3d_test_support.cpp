// The Direct3D tests' window, device and read-back helpers.
#include "tests/platform/d3d_test_support.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/portable/d3d9/frame_capture.h"

namespace test {

Window::~Window()
{
    if (record.sdl) SDL_DestroyWindow(record.sdl);
}

std::unique_ptr<Window> MakeWindow(int width, int height, bool opengl)
{
    static const bool initialised = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        return SDL_Init(SDL_INIT_VIDEO) == 0;
    }();
    if (!initialised) std::abort();
    auto window = std::make_unique<Window>();
    const Uint32 flags = SDL_WINDOW_HIDDEN | (opengl ? Uint32{SDL_WINDOW_OPENGL} : 0u);
    window->record.sdl = SDL_CreateWindow("test", 0, 0, width, height, flags);
    return window;
}

Device::~Device()
{
    if (device) device->Release();
    if (d3d) d3d->Release();
}

std::unique_ptr<Device> MakeDevice(HWND window)
{
    auto made = std::make_unique<Device>();
    made->d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!made->d3d) return made;
    D3DPRESENT_PARAMETERS d3dpp{};
    d3dpp.Windowed = TRUE;
    d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    d3dpp.EnableAutoDepthStencil = TRUE;
    d3dpp.AutoDepthStencilFormat = D3DFMT_D16;
    made->d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                            D3DCREATE_MIXED_VERTEXPROCESSING, &d3dpp, &made->device);
    return made;
}

Rgb Frame::At(int x, int y) const
{
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x)) * 4u;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
}

Frame Capture(HWND window)
{
    Frame frame;
    if (!CaptureWindowFrame(window, frame.rgba, frame.width, frame.height)) frame = Frame{};
    return frame;
}

D3DMATERIAL9 Material(float r, float g, float b)
{
    D3DMATERIAL9 material{};
    material.Diffuse = D3DXCOLOR(r, g, b, 1.0f);
    material.Ambient = material.Diffuse;
    return material;
}

std::string DataFile(const std::string& name)
{
    return std::string(CRS_TEST_DATA_DIR) + "/" + name;
}

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/crs-d3d-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) std::abort();
    path = made;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

ScopedCurrentFolder::ScopedCurrentFolder(const std::string& folder)
    : previous(std::filesystem::current_path().string())
{
    std::filesystem::current_path(folder);
}

ScopedCurrentFolder::~ScopedCurrentFolder()
{
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
}

}  // namespace test
