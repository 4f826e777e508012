// Loading of one X file into a mesh object: the mesh, a copy of its materials lit by their own
// diffuse colour, and one texture object per material that names a texture file.
#include "render/mesh_object.h"

#include <new>

#include "render/device.h"

MeshObject meshObjects[2];

namespace {

// "Xファイルの読み込みに失敗しました": loading the X file failed (code page 932).
const char kLoadXFileFailedText[] =
    "X\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD"
    "\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "テクスチャの読み込みに失敗しました": loading the texture failed (code page 932).
const char kLoadTextureFailedText[] =
    "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xCC\x93\xC7\x82\xDD\x8D\x9E"
    "\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";

}  // namespace

HRESULT LoadMeshObject(MeshObject* meshObject, const char* fileName, D3DXVECTOR3 position)
{
    meshObject->vecPosition = position;

    ID3DXBuffer* pD3DXMtrlBuffer = nullptr;
    if (FAILED(D3DXLoadMeshFromXA(fileName, D3DXMESH_SYSTEMMEM, pD3DDevice, nullptr,
                                  &pD3DXMtrlBuffer, nullptr, &meshObject->dwNumMaterials,
                                  &meshObject->pMesh))) {
        MessageBoxA(nullptr, kLoadXFileFailedText, fileName, MB_OK);
        return E_FAIL;
    }
    // A loader that hands back no materials buffer gives a mesh with nothing to draw, not a crash.
    const D3DXMATERIAL* d3dxMaterials =
        pD3DXMtrlBuffer != nullptr
            ? static_cast<const D3DXMATERIAL*>(pD3DXMtrlBuffer->GetBufferPointer())
            : nullptr;
    if (d3dxMaterials == nullptr) meshObject->dwNumMaterials = 0;

    const DWORD count = meshObject->dwNumMaterials;
    meshObject->pMeshMaterials = new (std::nothrow) D3DMATERIAL9[count];
    meshObject->pMeshTextures = new (std::nothrow) IDirect3DTexture9*[count];
    if (meshObject->pMeshMaterials == nullptr || meshObject->pMeshTextures == nullptr) {
        // Out of memory: give the mesh up as unloadable rather than draw through null arrays.
        // No texture entry was set yet, so none is released.
        meshObject->dwNumMaterials = 0;
        FreeMeshMaterials(meshObject);
        meshObject->pMesh->Release();
        meshObject->pMesh = nullptr;
        if (pD3DXMtrlBuffer != nullptr) pD3DXMtrlBuffer->Release();
        MessageBoxA(nullptr, kLoadXFileFailedText, fileName, MB_OK);
        return E_FAIL;
    }

    for (DWORD i = 0; i < count; i++) {
        meshObject->pMeshMaterials[i] = d3dxMaterials[i].MatD3D;
        // The file's ambient colour is ignored: the scene's ambient light shows the diffuse colour.
        meshObject->pMeshMaterials[i].Ambient = meshObject->pMeshMaterials[i].Diffuse;
        meshObject->pMeshTextures[i] = nullptr;
        const char* textureFile = d3dxMaterials[i].pTextureFilename;
        if (textureFile != nullptr && lstrlenA(textureFile) > 0) {
            if (FAILED(D3DXCreateTextureFromFileA(pD3DDevice, textureFile,
                                                  &meshObject->pMeshTextures[i])))
                MessageBoxA(nullptr, kLoadTextureFailedText, nullptr, MB_OK);
        }
    }
    // The loop above read the materials and their texture names from the buffer.
    if (pD3DXMtrlBuffer != nullptr) pD3DXMtrlBuffer->Release();
    return S_OK;
}

void FreeMeshMaterials(MeshObject* meshObject)
{
    if (meshObject->pMeshTextures != nullptr) {
        for (DWORD i = 0; i < meshObject->dwNumMaterials; i++) {
            if (meshObject->pMeshTextures[i] != nullptr) meshObject->pMeshTextures[i]->Release();
        }
    }
    delete[] meshObject->pMeshTextures;
    delete[] meshObject->pMeshMaterials;
    meshObject->pMeshTextures = nullptr;
    meshObject->pMeshMaterials = nullptr;
    meshObject->dwNumMaterials = 0;
}
