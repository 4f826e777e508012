// The one header through which render/ and app/ reach Direct3D 9, D3DX9 and Win32, by their real
// names and signatures. On Windows it is the real SDK; elsewhere the portable backend under
// platform/portable/ (SDL2, OpenGL, Assimp, stb_image), whose own headers list what they implement.
#pragma once

#ifdef _WIN32
#include "platform/windows/windows_sdk.h"
#else
#include "platform/portable/win_types.h"
#include "platform/portable/win32/win32.h"
#include "platform/portable/d3d9/d3d9.h"
#include "platform/portable/d3dx9/d3dx9.h"
#endif
