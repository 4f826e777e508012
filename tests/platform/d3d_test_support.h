// Shared set-up of the Direct3D tests: an SDL window under the offscreen driver (no display
// needed) wrapped in a window record, a device made as the viewer makes it, and frame read-back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/portable/d3d9/d3d9.h"
#include "platform/portable/d3dx9/d3dx9.h"
#include "platform/portable/win32/window.h"

namespace test {

struct Window {
    HWND__ record;
    ~Window();
};
// A hidden window on SDL's offscreen driver; `opengl` false makes one no GL context fits.
std::unique_ptr<Window> MakeWindow(int width, int height, bool opengl = true);

// The viewer's device: the Direct3D object and a HAL device with the viewer's presentation
// parameters. Both are null when creation failed.
struct Device {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    ~Device();
};
std::unique_ptr<Device> MakeDevice(HWND window);

struct Rgb {
    int r, g, b;
};
struct Frame {
    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0;
    Rgb At(int x, int y) const;
};
// The last presented frame of the window; empty when there is none.
Frame Capture(HWND window);

D3DMATERIAL9 Material(float r, float g, float b);

// Path of a file in tests/platform/data.
std::string DataFile(const std::string& name);

// A fresh empty folder for files a test writes; removed with everything in it on destruction.
struct TempFolder {
    std::string path;
    TempFolder();
    ~TempFolder();
};
// Runs with the current folder changed, as the viewer opens its files relative to it.
struct ScopedCurrentFolder {
    std::string previous;
    explicit ScopedCurrentFolder(const std::string& folder);
    ~ScopedCurrentFolder();
};

}  // namespace test
