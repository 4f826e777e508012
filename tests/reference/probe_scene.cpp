// The reference probe's scene, in Direct3D 9 and D3DX9 calls only (see probe_scene.h). The
// course is turned and moved a little so that its world matrix is not a plain scaling.
#include "tests/reference/probe_scene.h"

#include <cctype>

#include "render/device.h"
#include "render/drawing.h"

namespace {

// The viewer's own camera and light (render/drawing.cpp), drawn on the probe's device. The
// specular light leans toward +Z as well so that the car's front meets it at a clear angle: met
// edge-on, N.L is zero only up to rounding, whose sign would decide a saturated highlight.
void DrawMesh(IDirect3DDevice9* device, const ProbeMesh& mesh, const D3DXMATRIXA16& world,
              bool course, bool specularLight)
{
    pD3DDevice = device;
    device->SetTransform(D3DTS_WORLD, &world);
    SetViewAndProjection();
    course ? SetCourseLight() : SetCarLight();
    if (specularLight) {
        D3DLIGHT9 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Direction = D3DXVECTOR3(lightDirX, lightDirY, 0.3f);
        light.Diffuse = light.Specular = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
        const float ambient = course ? 0.3f : 0.0f;
        light.Ambient = D3DXCOLOR(ambient, ambient, ambient, ambient);
        light.Range = 200.0f;
        device->SetLight(0, &light);
    }
    for (DWORD i = 0; i < mesh.count; ++i) {
        device->SetMaterial(&mesh.materials[i]);
        device->SetTexture(0, mesh.textures[i]);
        mesh.mesh->DrawSubset(i);
    }
}

}  // namespace

bool LoadProbeMesh(IDirect3DDevice9* device, const char* file, ProbeMesh* out)
{
    ID3DXBuffer* buffer = nullptr;
    *out = ProbeMesh{};
    out->loadResult = D3DXLoadMeshFromXA(file, D3DXMESH_SYSTEMMEM, device, nullptr, &buffer, nullptr,
                                         &out->count, &out->mesh);
    if (FAILED(out->loadResult)) return false;
    const D3DXMATERIAL* materials = static_cast<const D3DXMATERIAL*>(buffer->GetBufferPointer());
    out->materials = new D3DMATERIAL9[out->count];
    out->textures = new IDirect3DTexture9*[out->count]();
    for (DWORD i = 0; i < out->count; ++i) {
        out->materials[i] = materials[i].MatD3D;
        out->materials[i].Ambient = out->materials[i].Diffuse;
        const char* texture = materials[i].pTextureFilename;
        if (!texture || !*texture) continue;
        // A texture named by an absolute path of the exporter's machine (C:\\...) is absent
        // here and the mesh is drawn without it, as the viewer draws it; the others must load.
        if (std::isalpha(static_cast<unsigned char>(texture[0])) && texture[1] == ':') continue;
        ++out->texturesNamed;
        if (SUCCEEDED(D3DXCreateTextureFromFileA(device, texture, &out->textures[i])))
            ++out->texturesLoaded;
    }
    buffer->Release();
    return out->texturesLoaded == out->texturesNamed;
}

void ReleaseProbeMesh(ProbeMesh* mesh)
{
    for (DWORD i = 0; i < mesh->count; ++i)
        if (mesh->textures[i]) mesh->textures[i]->Release();
    if (mesh->mesh) mesh->mesh->Release();
    delete[] mesh->materials;
    delete[] mesh->textures;
    *mesh = ProbeMesh{};
}

void SetProbeRenderStates(IDirect3DDevice9* device)
{
    pD3DDevice = device;
    SetRenderStates();
}

void DrawProbeFrame(IDirect3DDevice9* device, const ProbeMesh& course, const ProbeMesh& car,
                    bool specularLight)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff646464, 1.0f, 0);
    if (SUCCEEDED(device->BeginScene())) {
        D3DXMATRIXA16 world, step;
        D3DXMatrixTranslation(&world, 0.05f, 0.0f, 0.0f);
        D3DXMatrixMultiply(&world, &world, D3DXMatrixRotationY(&step, -0.15f));
        D3DXMatrixMultiply(&world, &world, D3DXMatrixScaling(&step, 4.6f, 4.6f, 4.6f));
        DrawMesh(device, course, world, true, specularLight);
        if (car.mesh) {
            D3DXMatrixRotationY(&world, 3.1415927f);
            D3DXMatrixMultiply(&world, &world, D3DXMatrixScaling(&step, 0.3f, 0.3f, 0.3f));
            DrawMesh(device, car, world, false, specularLight);
        }
        device->EndScene();
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
