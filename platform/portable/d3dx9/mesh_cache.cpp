// The cache of parsed meshes. An entry holds the program's stamp and the file's bytes themselves,
// compared in full on reading, then the mesh as the loader process encodes it: a hash of the
// contents names the entry, but never decides alone that two files are the same.
#include "platform/portable/d3dx9/mesh_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/portable/windows_path.h"

namespace {

// Changes whenever the entry's layout or the mesh encoding changes.
constexpr char kMagic[16] = "crs-mesh-cache1";
constexpr std::size_t kMaxEntryBytes = std::size_t{768} << 20;
// Smaller files parse in a millisecond or two: not worth an entry each.
constexpr std::size_t kMinFileBytes = std::size_t{64} << 10;
// The entries used last are kept; older ones go, so the folder stays a few megabytes.
constexpr std::size_t kMaxEntries = 8;

// The program that parses: one built or installed anew may read a file differently, so an entry
// is taken only by the program (same size, same modification time) that wrote it.
struct Stamp {
    char magic[16];
    long long programSize;
    long long programTime;
};

Stamp ProgramStamp()
{
    Stamp stamp{};
    std::memcpy(stamp.magic, kMagic, sizeof kMagic);
    struct stat program {};
    if (::stat("/proc/self/exe", &program) == 0) {
        stamp.programSize = program.st_size;
        stamp.programTime = program.st_mtime;
    }
    return stamp;
}

// Leaves the kMaxEntries entries touched last.
void RemoveOldEntries(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<std::pair<fs::file_time_type, fs::path>> entries;
    for (const fs::directory_entry& item : fs::directory_iterator(folder, error)) {
        if (item.path().extension() != ".mesh") continue;
        const fs::file_time_type time = item.last_write_time(error);
        if (!error) entries.emplace_back(time, item.path());
    }
    if (entries.size() <= kMaxEntries) return;
    std::sort(entries.begin(), entries.end());
    for (std::size_t i = 0; i + kMaxEntries < entries.size(); ++i)
        fs::remove(entries[i].second, error);
}

std::string CacheFolder()
{
#ifdef __EMSCRIPTEN__
    // A page's files last only as long as the page: an entry would never be read again.
    return "";
#else
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::string folder;
    if (cache != nullptr && cache[0] == '/') folder = cache;
    else if (home != nullptr && home[0] == '/') folder = std::string(home) + "/.cache";
    else return "";
    return folder + "/crs-move-pos/meshes";
#endif
}

std::string EntryPath(const std::vector<std::uint8_t>& data)
{
    const std::string folder = CacheFolder();
    if (folder.empty() || data.size() < kMinFileBytes) return "";
    const std::size_t hash = std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    char name[48];
    std::snprintf(name, sizeof name, "/%016zx-%zu.mesh", hash, data.size());
    return folder + name;
}

}  // namespace

bool ReadCachedMesh(const std::vector<std::uint8_t>& data, XFileMesh& mesh)
{
    const std::string path = EntryPath(data);
    std::vector<std::uint8_t> entry;
    if (path.empty() || !ReadWholeFile(path, kMaxEntryBytes, entry)) return false;
    const Stamp stamp = ProgramStamp();
    const std::size_t header = sizeof stamp + data.size();
    if (entry.size() < header || std::memcmp(entry.data(), &stamp, sizeof stamp) != 0 ||
        std::memcmp(entry.data() + sizeof stamp, data.data(), data.size()) != 0)
        return false;
    entry.erase(entry.begin(), entry.begin() + static_cast<std::ptrdiff_t>(header));
    XFileMesh cached;
    if (!DecodeXFileMesh(entry, cached)) return false;
    mesh = std::move(cached);
    // Touched, so that the entries in use outlive the others.
    ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
    return true;
}

void WriteCachedMesh(const std::vector<std::uint8_t>& data, const XFileMesh& mesh)
{
    const std::string path = EntryPath(data);
    if (path.empty()) return;
    // Each folder of the path in turn; those that exist already are fine.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    const std::vector<std::uint8_t> encoded = EncodeXFileMesh(mesh);
    // Written aside and renamed into place, so that a reader never sees half an entry.
    const std::string partial = path + "." + std::to_string(::getpid());
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) return;
    const Stamp stamp = ProgramStamp();
    const bool written = std::fwrite(&stamp, 1, sizeof stamp, file) == sizeof stamp &&
                         std::fwrite(data.data(), 1, data.size(), file) == data.size() &&
                         std::fwrite(encoded.data(), 1, encoded.size(), file) == encoded.size();
    if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return;
    }
    RemoveOldEntries(path.substr(0, path.rfind('/')));
}
