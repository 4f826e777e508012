// The reference probe's scene: two X files (a course with a textured and an untextured
// material, a car) drawn with the course drawing's camera, projection, light and render states.
// Uses Direct3D 9 and D3DX9 names only, so the same source runs on Windows (and Wine) and on the
// portable backend, and the two pictures can be compared.
#pragma once

#include "platform/platform.h"

struct ProbeMesh {
    ID3DXMesh* mesh;
    D3DMATERIAL9* materials;
    IDirect3DTexture9** textures;
    DWORD count;
    DWORD texturesNamed, texturesLoaded;
    HRESULT loadResult;   // D3DXLoadMeshFromXA's
};

// Loads an X file with its materials (ambient taken from diffuse) and textures, as the viewer
// does; false when the file does not load or a texture is missing.
bool LoadProbeMesh(IDirect3DDevice9* device, const char* file, ProbeMesh* out);
void ReleaseProbeMesh(ProbeMesh* mesh);

// The viewer's four render states.
void SetProbeRenderStates(IDirect3DDevice9* device);

// One frame: clear to grey, the course and then the car (when one is loaded), present. The
// course drawing's light has no specular colour; `specularLight` gives it a white one (and turns
// it a little), to compare the specular term too.
void DrawProbeFrame(IDirect3DDevice9* device, const ProbeMesh& course, const ProbeMesh& car,
                    bool specularLight);
