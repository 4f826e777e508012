// X files parsed ahead of D3DXLoadMeshFromXA: when the program makes its window, the X files of its
// working folder go to the loader process, so that their parse overlaps the window's and the GL
// driver's loading rather than following it. A load takes the parse of exactly its file's bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/portable/d3dx9/xfile.h"

// Starts parsing the working folder's X files (at most a few, and a few tens of megabytes in all)
// on a thread of their own; after a call that found some, later calls do nothing. Does nothing in
// the browser, which has no threads.
void StartReadingXFilesAhead();

// The result of ReadXFile for exactly these bytes, waiting for it when it is still being parsed;
// false when no file with these bytes was read ahead or its parse was already taken.
bool TakeXFileReadAhead(const std::vector<std::uint8_t>& data, HRESULT& result, XFileMesh& mesh);
