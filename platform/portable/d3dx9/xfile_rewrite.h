// X files rewritten, before Assimp reads them, into the part of the grammar that its reader takes
// the way D3DX does: only the objects that D3DX draws kept, materials referenced by name inlined
// into each mesh's material list, and compressed files decompressed first.
#pragma once

#include <cstdint>
#include <vector>

// Rewrites a text, binary or compressed X file in place; a compressed file becomes its text or
// binary form. False when the file cannot be tokenised (an open string, unbalanced braces, a
// token or count running past the end, a compressed block that does not inflate), names a
// material that it does not define, or would grow past a bound that keeps a hostile file of many
// references small. Other files (no X header) are left as they are, for Assimp to refuse.
bool NormaliseXFile(std::vector<std::uint8_t>& data);
