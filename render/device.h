// The Direct3D object and device: made once at start-up for the main window, with the meshes and
// the render states that hold for the whole run, and released again at exit.
#pragma once

#include "platform/platform.h"

extern IDirect3D9* pD3D;
extern IDirect3DDevice9* pD3DDevice;

// Creates the object and a device for the window (hardware first, then the reference rasterizer),
// loads "crs.x" and "F1.x" and sets the render states. S_OK when a device exists afterwards;
// E_FAIL, after telling the user, when none could be made, with nothing left held.
HRESULT InitD3D(HWND hWnd);

// The render states of the whole run, set on pD3DDevice: depth test, lighting, the scene's ambient
// level and specular highlights.
void SetRenderStates();

// Releases the meshes, their textures and arrays, the device and the object; a second call finds
// every pointer null and does nothing.
void Cleanup();
