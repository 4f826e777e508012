// Writes a mesh as a binary DirectX X file ("xof 0303bin 0032", 32-bit floats): one top-level
// Mesh with its normals, texture coordinates and material list, no frames, so nothing is
// transformed on loading. Binary rather than text: a loader reads it several times faster.
#pragma once

#include <string>

#include "tools/assets/mesh_model.h"

// The file's bytes. Triangles are written grouped by material (in material order, each group in
// build order), so every subset is one contiguous run of faces.
std::string XFileBytes(const MeshModel& mesh);
