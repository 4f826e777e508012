// Text X files rewritten, before Assimp reads them, into the part of the grammar that its reader
// takes the way D3DX does: comments dropped, every token spaced apart (Assimp reads "1,0" as the
// number 1.0), and materials referenced by name inlined into each mesh's material list.
#pragma once

#include <cstdint>
#include <vector>

// Rewrites a text X file in place; binary and compressed files are left as they are. False when
// the file cannot be tokenised (an open string, unbalanced braces), names a material that it does
// not define, or would grow past a bound that keeps a hostile file of many references small.
bool NormaliseXFileText(std::vector<std::uint8_t>& data);
