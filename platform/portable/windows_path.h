// Opening a file by the name a Windows program passes: backslashes separate folders and letter
// case does not matter, as on Windows' file systems. Used by the D3DX file loaders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The path of an existing regular file that `name` denotes on Windows, or "" when there is none.
// Drive letters and UNC names are not understood.
std::string FindFileAsWindows(const char* name);

// Reads a whole file; false when it cannot be read or is larger than `limit` bytes.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& data);
