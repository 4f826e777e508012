// The OpenGL the device draws with: OpenGL 3.3 core through libepoxy on the desktop, WebGL 2
// (OpenGL ES 3.0) in the browser. What differs between the two is kept here, so the device's
// code and programs are the same for both.
#pragma once

#include <SDL.h>

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>

#include "platform/portable/web/browser.h"
#else
#include <epoxy/gl.h>
#endif

namespace d3d9 {

#ifdef __EMSCRIPTEN__

// Replaces each program's own first line: GLSL ES 3.00 has the same language with precisions.
constexpr const char* kGlslHeader =
    "#version 300 es\nprecision highp float;\nprecision highp int;\n";

// WebGL 2 takes RGBA alone.
constexpr GLenum kWindowPixelOrder = GL_RGBA;

inline void RequestGlContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
}

// A browser without WebGL 2 gives a WebGL 1 context, whose version reads "OpenGL ES 2.0 ...".
inline bool GlContextSufficient()
{
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version != nullptr && SDL_strncmp(version, "OpenGL ES 3.", 12) == 0;
}

// The browser shows the canvas only when the page's code gives way: the program pauses here until
// the next animation frame, in which keys arrive too.
inline void SwapWindowBuffers(SDL_Window* window)
{
    SDL_GL_SwapWindow(window);
    WaitForNextFrame();
}

inline void glClearDepth(double depth) { glClearDepthf(static_cast<float>(depth)); }

// WebGL 2 has no multi-draw of its own: one draw per run.
inline void glMultiDrawElements(GLenum mode, const GLsizei* counts, GLenum type,
                                const void* const* offsets, GLsizei runs)
{
    for (GLsizei i = 0; i < runs; ++i) glDrawElements(mode, counts[i], type, offsets[i]);
}

#else

constexpr const char* kGlslHeader = "#version 330 core\n";

// The order of an X window's pixels, in which the back buffer is stored.
constexpr GLenum kWindowPixelOrder = GL_BGRA;

inline void RequestGlContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
}

inline bool GlContextSufficient() { return epoxy_gl_version() >= 33; }

inline void SwapWindowBuffers(SDL_Window* window) { SDL_GL_SwapWindow(window); }

#endif

}  // namespace d3d9
