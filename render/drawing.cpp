// Course and car drawing: world transforms from the motion state, the fixed camera, projection and
// directional light, and the subsets of a mesh object with their materials and textures.
#include "render/drawing.h"

#include "motion/motion_state.h"
#include "render/device.h"

const float camPosX = 0.0f, camPosY = 1.0f, camPosZ = -1.8f;
const float camHeading = 0.0f, camPitch = 0.0f, camBank = 0.0f;
const float upVecX = 0.0f, upVecY = 1.0f, upVecZ = 0.0f;
const float courseScale = 4.6f;
const float fovDivisor = 4.0f;
// Not normalised: the device normalises a directional light itself.
const float lightDirX = -0.2f, lightDirY = -0.8f, lightDirZ = 0.0f;

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kCarScale = 0.3f;

// matWorld (as the caller started it) · Ry(heading) · Rx(pitch) · Rz(bank) · S(scale), so the
// heading acts first and the scaling last, around the origin where the car stands.
void SetWorldTransform(D3DXMATRIXA16& matWorld, float heading, float pitch, float bank, float scale)
{
    D3DXMATRIXA16 matRotation, matRotation2, matScale;
    D3DXMatrixIdentity(&matRotation);
    D3DXMatrixRotationY(&matRotation2, heading);
    D3DXMatrixMultiply(&matRotation, &matRotation, &matRotation2);
    D3DXMatrixRotationX(&matRotation2, pitch);
    D3DXMatrixMultiply(&matRotation, &matRotation, &matRotation2);
    D3DXMatrixRotationZ(&matRotation2, bank);
    D3DXMatrixMultiply(&matRotation, &matRotation, &matRotation2);
    D3DXMatrixMultiply(&matWorld, &matWorld, &matRotation);

    D3DXMatrixScaling(&matScale, scale, scale, scale);
    D3DXMatrixMultiply(&matWorld, &matWorld, &matScale);
    pD3DDevice->SetTransform(D3DTS_WORLD, &matWorld);
}

}  // namespace

// The camera stands above and behind the car and looks ahead along +Z, one unit down in three.
void SetViewAndProjection()
{
    D3DXVECTOR3 vecEyePt(camPosX, camPosY, camPosZ);
    D3DXVECTOR3 vecLookatPt(camPosX, camPosY - 1.0f, camPosZ + 3.0f);
    D3DXVECTOR3 vecUpVec(upVecX, upVecY, upVecZ);
    D3DXMATRIXA16 matHeading, matPitch, matBank, matCameraPosition, matView;
    D3DXMatrixRotationY(&matHeading, camHeading);
    D3DXMatrixRotationX(&matPitch, camPitch);
    D3DXMatrixRotationZ(&matBank, camBank);
    D3DXMatrixLookAtLH(&matCameraPosition, &vecEyePt, &vecLookatPt, &vecUpVec);
    D3DXMatrixIdentity(&matView);
    D3DXMatrixMultiply(&matView, &matView, &matHeading);
    D3DXMatrixMultiply(&matView, &matView, &matPitch);
    D3DXMatrixMultiply(&matView, &matView, &matBank);
    D3DXMatrixMultiply(&matView, &matView, &matCameraPosition);
    pD3DDevice->SetTransform(D3DTS_VIEW, &matView);

    // A square aspect ratio whatever the window's shape.
    D3DXMATRIXA16 matProj;
    D3DXMatrixPerspectiveFovLH(&matProj, kPi / fovDivisor, 1.0f, 1.0f, 100.0f);
    pD3DDevice->SetTransform(D3DTS_PROJECTION, &matProj);
}

namespace {

void SetLight(const D3DXCOLOR& ambient)
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DXVECTOR3(lightDirX, lightDirY, lightDirZ);
    light.Diffuse = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
    light.Specular = D3DXCOLOR(0.0f, 0.0f, 0.0f, 0.0f);
    light.Ambient = ambient;
    light.Range = 200.0f;
    pD3DDevice->SetLight(0, &light);
    pD3DDevice->LightEnable(0, TRUE);
}

}  // namespace

void SetCourseLight() { SetLight(D3DXCOLOR(0.3f, 0.3f, 0.3f, 0.3f)); }

// The car gets no ambient term from the light: only the scene's ambient level.
void SetCarLight() { SetLight(D3DXCOLOR(0.0f, 0.0f, 0.0f, 0.0f)); }

namespace {

void DrawSubsets(const MeshObject& meshObject)
{
    for (DWORD i = 0; i < meshObject.dwNumMaterials; i++) {
        pD3DDevice->SetMaterial(&meshObject.pMeshMaterials[i]);
        pD3DDevice->SetTexture(0, meshObject.pMeshTextures[i]);
        meshObject.pMesh->DrawSubset(i);
    }
}

}  // namespace

void DrawCourse(const MeshObject& meshObject)
{
    // The translation acts first, so the course point under the car comes to the origin.
    D3DXMATRIXA16 matWorld, matPosition;
    D3DXMatrixIdentity(&matWorld);
    D3DXMatrixTranslation(&matPosition, fPosX, fPosY, fPosZ);
    D3DXMatrixMultiply(&matWorld, &matWorld, &matPosition);
    SetWorldTransform(matWorld, crsRadY, crsRadX, crsRadZ, courseScale);
    SetViewAndProjection();
    SetCourseLight();
    DrawSubsets(meshObject);
}

void DrawCar(const MeshObject& meshObject)
{
    D3DXMATRIXA16 matWorld;
    D3DXMatrixIdentity(&matWorld);
    SetWorldTransform(matWorld, carRadY, carRadX, carRadZ, kCarScale);
    SetViewAndProjection();
    SetCarLight();
    DrawSubsets(meshObject);
}
