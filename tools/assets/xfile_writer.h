// Writes a mesh as a text DirectX X file ("xof 0303txt 0032"): one top-level Mesh with its normals,
// texture coordinates and material list, no frames, so nothing is transformed on loading.
#pragma once

#include <string>

#include "tools/assets/mesh_model.h"

// The file's text. Triangles are written grouped by material (in material order, each group in
// build order), so every subset is one contiguous run of faces.
std::string XFileText(const MeshModel& mesh);
