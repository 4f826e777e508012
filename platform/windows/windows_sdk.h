// The Windows backend: the real Win32, Direct3D 9 and D3DX9 headers of the SDK (mingw-w64's when
// cross-compiling), with the one name that mingw-w64's D3DX9 headers lack.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

// Microsoft's D3DX declares this 16-byte aligned matrix, which the drawing uses; mingw-w64's
// does not.
struct alignas(16) D3DXMATRIXA16 : public D3DXMATRIX {
    using D3DXMATRIX::D3DXMATRIX;
    D3DXMATRIXA16() = default;
};
