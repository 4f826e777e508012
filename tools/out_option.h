// The command line of crs-assets and crs-map: an optional --out NAME, and --help.
#pragma once

#include <string>

// Reads the arguments into `out` (left as it is when --out is not given). Returns -1 when the
// program should go on, otherwise its exit status: 0 after printing `usage` for --help, 2 after
// a bad argument, told on stderr as "TOOL: what is wrong" followed by the usage.
int ParseOutOption(int argc, char** argv, const char* tool, const char* valueName,
                   const char* usage, std::string& out);
