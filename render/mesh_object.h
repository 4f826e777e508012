// The two meshes that the viewer draws, each loaded from an X file with its materials and the
// textures they name: the course at index 0, the car at index 1.
#pragma once

#include "platform/platform.h"

struct MeshObject {
    ID3DXMesh* pMesh = nullptr;
    D3DMATERIAL9* pMeshMaterials = nullptr;       // dwNumMaterials entries; entry i is subset i
    IDirect3DTexture9** pMeshTextures = nullptr;  // dwNumMaterials entries; null: untextured
    DWORD dwNumMaterials = 0;
    D3DXVECTOR3 vecPosition = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
};

extern MeshObject meshObjects[2];

// Loads the X file `fileName` into `meshObject`, with a texture object per material that names a
// file. S_OK when the mesh loaded, even if textures did not; E_FAIL, after telling the user, when
// the file could not be loaded, leaving the record as it was apart from its position.
HRESULT LoadMeshObject(MeshObject* meshObject, const char* fileName, D3DXVECTOR3 position);

// Releases the record's texture objects and frees its two arrays; the count drops to 0.
void FreeMeshMaterials(MeshObject* meshObject);
