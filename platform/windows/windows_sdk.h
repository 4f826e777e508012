// The Windows backend: the real Win32 and Direct3D 9 headers of the SDK (mingw-w64's when
// cross-compiling), with D3DX9 either the SDK's (d3dx9_43.dll, the reference build) or, in the
// standalone build, the portable one over this Direct3D 9.
#pragma once

#include <windows.h>
#include <d3d9.h>
#ifdef CRS_PORTABLE_D3DX
#include "platform/portable/d3dx9/d3dx9.h"
#else
#include <d3dx9.h>

// Microsoft's D3DX declares this 16-byte aligned matrix, which the drawing uses; mingw-w64's
// does not.
struct alignas(16) D3DXMATRIXA16 : public D3DXMATRIX {
    using D3DXMATRIX::D3DXMATRIX;
    D3DXMATRIXA16() = default;
};
#endif
