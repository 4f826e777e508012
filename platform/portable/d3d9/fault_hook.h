// A platform extension outside the Direct3D names, for tests: makes Direct3DCreate9 or device
// creation fail as on a machine without Direct3D or without a device type, so that a caller's
// fallback and failure paths can run where the OpenGL device would always be made.
#pragma once

struct D3DFaults {
    bool direct3DCreate9 = false;   // Direct3DCreate9 returns null
    bool halDevice = false;         // CreateDevice with D3DDEVTYPE_HAL fails with D3DERR_NOTAVAILABLE
    bool refDevice = false;         // the same for D3DDEVTYPE_REF
};

// Stays in force until replaced; D3DFaults{} makes everything work again.
void SetD3DFaults(const D3DFaults& faults);
