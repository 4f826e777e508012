// Parsing of the --out option shared by the asset and map tools.
#include "tools/out_option.h"

#include <cstdio>

namespace {

int UsageError(const char* tool, const std::string& what, const char* usage)
{
    std::fprintf(stderr, "%s: %s\n%s", tool, what.c_str(), usage);
    return 2;
}

}  // namespace

int ParseOutOption(int argc, char** argv, const char* tool, const char* valueName,
                   const char* usage, std::string& out)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg != "--out") return UsageError(tool, "unknown argument: '" + arg + "'", usage);
        if (i + 1 >= argc || argv[i + 1][0] == '\0')
            return UsageError(tool, std::string("--out needs a ") + valueName, usage);
        out = argv[++i];
    }
    return -1;
}
