// What the Windows executable carries: a GUI entry, imports from system libraries only (the
// runtime is linked in), and the asInvoker manifest as its one resource.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "x_session.h"

namespace {

std::string Headers()
{
    const RunResult dump = RunProgram({"x86_64-w64-mingw32-objdump", "-p", VIEWER_EXE}, 60.0);
    EXPECT_EQ(dump.status, 0)
        << VIEWER_EXE << " is missing or unreadable: build it with scripts/build-windows";
    return dump.out;
}

TEST(WindowsBuild, IsAGuiProgramImportingOnlySystemLibraries)
{
    const std::string headers = Headers();
    EXPECT_NE(headers.find("(Windows GUI)"), std::string::npos);

    const std::set<std::string> system = {"d3d9.dll",   "d3dx9_43.dll", "gdi32.dll",
                                          "user32.dll", "kernel32.dll", "msvcrt.dll"};
    std::set<std::string> imported;
    std::istringstream lines(headers);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("DLL Name: ");
        if (at == std::string::npos) continue;
        std::string name = line.substr(at + 10);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        imported.insert(name);
    }
    for (const std::string& name : imported) EXPECT_EQ(system.count(name), 1u) << name;
    EXPECT_EQ(imported.count("d3d9.dll"), 1u);
    EXPECT_EQ(imported.count("d3dx9_43.dll"), 1u);
}

TEST(WindowsBuild, CarriesTheAsInvokerManifestAsItsOnlyResource)
{
    // One resource type, RT_MANIFEST (24), holding one entry, id 1.
    const std::string headers = Headers();
    const std::size_t table = headers.find("The .rsrc Resource Directory section:");
    ASSERT_NE(table, std::string::npos);
    const std::string resources = headers.substr(table);
    EXPECT_NE(resources.find("Type Table: Char: 0, Time: 00000000, Ver: 0/0, Num Names: 0, IDs: 1"),
              std::string::npos);
    EXPECT_NE(resources.find("Entry: ID: 0x000018"), std::string::npos);
    EXPECT_NE(resources.find("Entry: ID: 0x000001"), std::string::npos);

    std::ifstream exe(VIEWER_EXE, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(exe), std::istreambuf_iterator<char>()};
    EXPECT_NE(bytes.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
              std::string::npos);
}

}  // namespace
