// Device set-up with the hardware-to-reference fallback and its messages, and the teardown in
// reverse order of creation.
#include "render/device.h"

#include "render/mesh_object.h"

IDirect3D9* pD3D = nullptr;
IDirect3DDevice9* pD3DDevice = nullptr;

namespace {

// The user's messages, in code page 932 as MessageBoxA expects them.
// "Direct3Dの作成に失敗しました": creating Direct3D failed.
const char kCreateD3DFailedText[] =
    "Direct3D\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73"
    "\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "HALモードでDIRECT3Dデバイスを作成できません\nREFモードで再試行します": the device cannot be made
// in HAL mode; trying again in REF mode.
const char kHalFailedText[] =
    "HAL\x83\x82\x81\x5B\x83\x68\x82\xC5" "DIRECT3D\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xF0\x8D\xEC"
    "\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\nREF\x83\x82\x81\x5B\x83\x68\x82\xC5\x8D\xC4"
    "\x8E\x8E\x8D\x73\x82\xB5\x82\xDC\x82\xB7";
// "DIRECT3Dデバイスの作成に失敗しました": creating the Direct3D device failed.
const char kDeviceFailedText[] =
    "DIRECT3D\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xCC\x8D\xEC\x90\xAC\x82\xC9"
    "\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";

HRESULT CreateDevice(HWND hWnd, D3DDEVTYPE deviceType, D3DPRESENT_PARAMETERS* d3dpp)
{
    return pD3D->CreateDevice(D3DADAPTER_DEFAULT, deviceType, hWnd,
                              D3DCREATE_MIXED_VERTEXPROCESSING, d3dpp, &pD3DDevice);
}

}  // namespace

HRESULT InitD3D(HWND hWnd)
{
    pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (pD3D == nullptr) {
        MessageBoxA(nullptr, kCreateD3DFailedText, "", MB_OK);
        return E_FAIL;
    }

    // Windowed, back buffer sized from the window's client area in the display's format.
    D3DPRESENT_PARAMETERS d3dpp = {};
    d3dpp.BackBufferCount = 1;
    d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    d3dpp.Windowed = TRUE;
    d3dpp.EnableAutoDepthStencil = TRUE;
    d3dpp.AutoDepthStencilFormat = D3DFMT_D16;

    if (FAILED(CreateDevice(hWnd, D3DDEVTYPE_HAL, &d3dpp))) {
        MessageBoxA(nullptr, kHalFailedText, nullptr, MB_OK);
        if (FAILED(CreateDevice(hWnd, D3DDEVTYPE_REF, &d3dpp))) {
            MessageBoxA(nullptr, kDeviceFailedText, nullptr, MB_OK);
            // The program ends here; nothing else will release the object.
            pD3D->Release();
            pD3D = nullptr;
            return E_FAIL;
        }
    }

    // A mesh that fails to load has been reported and is simply not drawn.
    LoadMeshObject(&meshObjects[0], "crs.x", D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    LoadMeshObject(&meshObjects[1], "F1.x", D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    SetRenderStates();
    return S_OK;
}

void SetRenderStates()
{
    pD3DDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    pD3DDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    pD3DDevice->SetRenderState(D3DRS_AMBIENT, 0x00111111);
    pD3DDevice->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
}

void Cleanup()
{
    for (MeshObject& meshObject : meshObjects) {
        if (meshObject.pMesh != nullptr) {
            meshObject.pMesh->Release();
            meshObject.pMesh = nullptr;
        }
    }
    // The textures belong to the device and go before it.
    for (MeshObject& meshObject : meshObjects) FreeMeshMaterials(&meshObject);
    if (pD3DDevice != nullptr) {
        pD3DDevice->Release();
        pD3DDevice = nullptr;
    }
    if (pD3D != nullptr) {
        pD3D->Release();
        pD3D = nullptr;
    }
}
