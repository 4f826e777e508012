// Frame capture: the composed frame that Present keeps for the window's device, written as PNG
// with stb_image_write. This file is linked only into programs that capture (the library is
// static), and its presence makes their devices keep every presented frame; the viewer's do not.
#include "platform/portable/d3d9/frame_capture.h"

#include <stb_image_write.h>

#include "platform/portable/d3d9/internal.h"

namespace {

[[maybe_unused]] const bool framesKept = (d3d9::KeepPresentedFrames(), true);

}  // namespace

bool CaptureWindowFrame(HWND window, std::vector<std::uint8_t>& rgba, int& width, int& height)
{
    d3d9::Device* device = d3d9::DeviceOfWindow(window);
    return device && device->ReadPresentedFrame(rgba, width, height);
}

bool WriteWindowFramePng(HWND window, const char* path)
{
    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0;
    if (!path || !CaptureWindowFrame(window, rgba, width, height)) return false;
    return stbi_write_png(path, width, height, 4, rgba.data(), width * 4) != 0;
}
