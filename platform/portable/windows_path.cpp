// Resolves Windows-style file names on a case-sensitive POSIX file system: each component is
// taken as written when it exists, otherwise matched without regard to ASCII letter case.
#include "platform/portable/windows_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

namespace {

bool SameIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        const char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        const char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (ca != cb) return false;
    }
    return *a == *b;
}

bool Exists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The entry of `folder` ("" for the current one) named `component` in any letter case; "" when
// none. An exact match wins.
std::string MatchInFolder(const std::string& folder, const std::string& component)
{
    const std::string exact = Join(folder, component);
    if (Exists(exact)) return exact;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()),
                                            ::closedir);
    if (!dir) return "";
    while (const dirent* entry = ::readdir(dir.get())) {
        if (SameIgnoringCase(entry->d_name, component.c_str())) return Join(folder, entry->d_name);
    }
    return "";
}

}  // namespace

std::string FindFileAsWindows(const char* name)
{
    if (!name || !*name) return "";
    std::string path = name;
    for (char& c : path)
        if (c == '\\') c = '/';

    std::string resolved = path[0] == '/' ? "/" : "";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string component = path.substr(start, end - start);
        start = end + 1;
        // Doubled separators name the same folder, as on Windows.
        if (component.empty()) continue;
        resolved = MatchInFolder(resolved, component);
        if (resolved.empty()) return "";
    }
    struct stat info;
    if (resolved.empty() || ::stat(resolved.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return "";
    return resolved;
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& data)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                          std::fclose);
    if (!file) return false;
    data.clear();
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (data.size() + got > limit) return false;
        data.insert(data.end(), chunk, chunk + got);
    }
    return !std::ferror(file.get());
}
