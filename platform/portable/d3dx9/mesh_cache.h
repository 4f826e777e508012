// Meshes parsed before, kept between runs so that a start does not parse the same X file again:
// keyed by the file's whole contents, in $XDG_CACHE_HOME/crs-move-pos/meshes (or ~/.cache/...).
// An entry is checked as the loader process's answer is, and taken only by the program that wrote
// it; a missing, stale or damaged one is simply parsed again. Failing to write one loses nothing.
// Files under 64 KiB are not kept, and only the eight entries used last stay.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/portable/d3dx9/xfile.h"

// The mesh that the file `data` parsed into before; false when the cache does not hold it.
bool ReadCachedMesh(const std::vector<std::uint8_t>& data, XFileMesh& mesh);

// Keeps `mesh` as what `data` parses into.
void WriteCachedMesh(const std::vector<std::uint8_t>& data, const XFileMesh& mesh);
