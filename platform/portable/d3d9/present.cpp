// Present: the back buffer stretched over the window's current client area, the text drawn on
// the window's DC since the last Present composited over it (on Windows the frame would cover
// that text), then the swap. The viewer composes straight into the window: a back buffer of the
// window's size goes there by a blit between the same pixel formats, which the driver does as a
// memory copy. Every other step is a quad of the device's own screen program: GL's blits between
// other formats or sizes would have the driver compile shaders of its own at each start, which
// costs the first frame tens of milliseconds. A program that captures frames composes each one in
// a texture of its own first, which stays readable after the swap.
#include <algorithm>
#include <utility>

#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/internal.h"
#include "platform/portable/frame_rate.h"
#include "platform/portable/d3d9/present_hook.h"
#include "platform/portable/win32/window.h"

namespace {

std::function<void(HWND)> presentHook;
bool presentedFramesKept = false;

}  // namespace

void SetPresentHook(std::function<void(HWND)> hook) { presentHook = std::move(hook); }

namespace d3d9 {

void KeepPresentedFrames() { presentedFramesKept = true; }

bool Device::ResizePresentTarget(int width, int height)
{
    if (width == presentWidth_ && height == presentHeight_) return true;
    if (!presentFramebuffer_) {
        glGenFramebuffers(1, &presentFramebuffer_);
        presentColor_ = CreateColorTexture(GL_RGBA8, 0, 0, GL_NEAREST);
    }
    glBindTexture(GL_TEXTURE_2D, presentColor_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindFramebuffer(GL_FRAMEBUFFER, presentFramebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, presentColor_, 0);
    presentWidth_ = width;
    presentHeight_ = height;
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void Device::CompositeTextLayer(GLuint target, int targetHeight)
{
    HWND__& window = *window_;
    const RECT drawn = window.textDrawn;
    if (drawn.right <= drawn.left || drawn.bottom <= drawn.top) return;
    const int width = window.textWidth;
    const int height = window.textHeight;
    const bool complete = width > 0 && height > 0 && drawn.left >= 0 && drawn.top >= 0 &&
                          drawn.right <= width && drawn.bottom <= height &&
                          window.textPixels.size() >= static_cast<std::size_t>(width) *
                                                          static_cast<std::size_t>(height) * 4u;
    if (complete) {
        const int drawnWidth = drawn.right - drawn.left;
        const int drawnHeight = drawn.bottom - drawn.top;
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, textTexture_);
        if (width != textTextureWidth_ || height != textTextureHeight_) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         nullptr);
            textTextureWidth_ = width;
            textTextureHeight_ = height;
        }
        // Only the rectangle drawn since the last frame goes up, out of the layer's rows.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, drawn.left);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, drawn.top);
        glTexSubImage2D(GL_TEXTURE_2D, 0, drawn.left, drawn.top, drawnWidth, drawnHeight, GL_RGBA,
                        GL_UNSIGNED_BYTE, window.textPixels.data());
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        // The layer sits at the client area's top-left corner, pixel for pixel; the quad covers
        // the drawn rectangle alone.
        glBindFramebuffer(GL_FRAMEBUFFER, target);
        glViewport(drawn.left, targetHeight - drawn.bottom, drawnWidth, drawnHeight);
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
        DrawScreenQuad(textTexture_, targetHeight - 1);
        glDisable(GL_BLEND);
    }
    for (LONG y = drawn.top; y < drawn.bottom && complete; ++y) {
        const auto row = window.textPixels.begin() +
                         static_cast<std::ptrdiff_t>((static_cast<std::size_t>(y) * width +
                                                      static_cast<std::size_t>(drawn.left)) * 4u);
        std::fill(row, row + static_cast<std::ptrdiff_t>(drawn.right - drawn.left) * 4,
                  std::uint8_t{0});
    }
    if (!complete) std::fill(window.textPixels.begin(), window.textPixels.end(), std::uint8_t{0});
    window.textDrawn = {0, 0, 0, 0};
}

// One quad of the screen program over the viewport of the bound framebuffer, with no depth test,
// culling or scissor; blending is the caller's. A text layer's top row goes to framebuffer row
// `textTopRow`; without one (-1) the source is a colour texture, stretched over the viewport.
void Device::DrawScreenQuad(GLuint source, int textTopRow)
{
    const bool textLayer = textTopRow >= 0;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glUseProgram(pipeline_.screenProgram);
    glUniform1i(pipeline_.screenTextLayer, textLayer ? 1 : 0);
    if (textLayer) glUniform1i(pipeline_.screenTopRow, textTopRow);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, source);
    glBindVertexArray(pipeline_.emptyVertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
}

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA* pDirtyRegion)
{
    RecordCall("Present(%s, %s, %s, %s)", pSourceRect ? "rect" : "NULL",
               pDestRect ? "rect" : "NULL", hDestWindowOverride ? "window" : "NULL",
               pDirtyRegion ? "region" : "NULL");
    // A discarding swap chain takes no rectangles; presenting into another window is not
    // supported here.
    if (pSourceRect || pDestRect || hDestWindowOverride) return D3DERR_INVALIDCALL;
    const HRESULT result = PresentToWindow();
    if (presentHook) presentHook(window_);
    return result;
}

HRESULT Device::PresentToWindow()
{
    if (!MakeCurrent()) return D3DERR_DEVICELOST;

    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window_->sdl, &width, &height);
    if (width <= 0 || height <= 0) return D3D_OK;
    if (presentedFramesKept && !ResizePresentTarget(width, height)) return D3D_OK;

    // The back buffer over the whole client area, stretched smoothly when the sizes differ.
    const GLint filter = width == backWidth_ && height == backHeight_ ? GL_NEAREST : GL_LINEAR;
    if (filter != backFilter_) {
        glBindTexture(GL_TEXTURE_2D, backColor_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        backFilter_ = filter;
    }
    const GLuint target = presentedFramesKept ? presentFramebuffer_ : 0;
    if (target == 0 && filter == GL_NEAREST) {
        // The window's own pixel format, the size unchanged: the driver copies memory, with no
        // shader and no pass over every pixel.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, backFramebuffer_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_SCISSOR_TEST);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, target);
        glViewport(0, 0, width, height);
        glDisable(GL_BLEND);
        DrawScreenQuad(backColor_, -1);
    }
    CompositeTextLayer(target, height);
    if (presentedFramesKept) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        DrawScreenQuad(presentColor_, -1);
    }
    SwapWindowBuffers(window_->sdl);
    framePresented_ = presentedFramesKept;
    CountPresentedFrame();
    return D3D_OK;
}

bool Device::ReadPresentedFrame(std::vector<std::uint8_t>& rgba, int& width, int& height)
{
    if (!framePresented_ || !MakeCurrent()) return false;
    width = presentWidth_;
    height = presentHeight_;
    const std::size_t row = static_cast<std::size_t>(width) * 4u;
    rgba.resize(row * static_cast<std::size_t>(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, presentFramebuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // The framebuffer's first row is the bottom one.
    for (int y = 0; y < height / 2; ++y)
        std::swap_ranges(rgba.begin() + static_cast<std::ptrdiff_t>(row * y),
                         rgba.begin() + static_cast<std::ptrdiff_t>(row * (y + 1)),
                         rgba.begin() + static_cast<std::ptrdiff_t>(row * (height - 1 - y)));
    return true;
}

}  // namespace d3d9
