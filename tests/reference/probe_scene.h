// The reference probe's scene in Direct3D 9 and D3DX9 names only, so that the same source runs on
// Windows (and Wine) and on the portable backend: a course with a textured and an untextured
// material and a car, drawn with the viewer's camera, projection, light and render states.
#pragma once

#include "platform/platform.h"

struct ProbeMesh {
    ID3DXMesh* mesh;
    D3DMATERIAL9* materials;
    IDirect3DTexture9** textures;
    DWORD count, texturesNamed, texturesLoaded;
    HRESULT loadResult;   // D3DXLoadMeshFromXA's
};

// An X file with its materials (ambient taken from diffuse) and textures, as the viewer loads it;
// false when the file does not load or a texture is missing.
bool LoadProbeMesh(IDirect3DDevice9* device, const char* file, ProbeMesh* out);
void ReleaseProbeMesh(ProbeMesh* mesh);
void SetProbeRenderStates(IDirect3DDevice9* device);
// One frame: clear to grey, the course and then the car (when one is loaded), present; with
// `specularLight` the light gets a white specular colour and turns a little.
void DrawProbeFrame(IDirect3DDevice9* device, const ProbeMesh& course, const ProbeMesh& car,
                    bool specularLight);
