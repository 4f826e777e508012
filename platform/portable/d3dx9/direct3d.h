// The Direct3D 9 that this D3DX is a client of: Windows' own in the standalone Windows build, the
// portable device elsewhere. Either way D3DX sees only the public d3d9.h names.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <d3d9.h>

// D3DX's own objects are used only by this program, through AddRef and Release, as the portable
// device's are.
struct IUnknownLike {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknownLike() = default;
};
#else
#include "platform/portable/d3d9/d3d9.h"
#endif
