// The X files read ahead: listed and the loader process forked on the caller's thread, before the
// window's libraries load and its threads start, then read and parsed one by one on a thread of
// their own. Each entry holds its file's bytes, compared in full before its parse is taken.
#include "platform/portable/d3dx9/xfile_read_ahead.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/portable/child_process.h"
#include "platform/portable/windows_path.h"

namespace {

struct ReadAhead {
    std::string path;
    std::vector<std::uint8_t> data;
    bool parsed = false;  // done with, parse tried or not
    bool tried = false;
    HRESULT result = E_FAIL;
    XFileMesh mesh;
};

// Made once and never freed: the parsing thread may outlive main's return.
struct ReadsAhead {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::unique_ptr<ReadAhead>> files;
    bool allRead = false;  // every entry's bytes are in (or it was dropped)
};

std::atomic<ReadsAhead*> started{nullptr};

// The page has no threads and no working folder of files to read ahead.
#ifndef __EMSCRIPTEN__
// A folder full of models is not parsed whole on the chance that some are loaded.
constexpr std::size_t kMaxFiles = 8;
constexpr std::uintmax_t kMaxBytes = std::uintmax_t{64} << 20;

bool IsXFileName(const std::filesystem::path& name)
{
    std::string extension = name.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".x";
}

// The working folder's X files by name, within the limits, as full paths: the thread reads them
// later, when the working folder may be another.
std::vector<std::string> XFilesToRead()
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    if (error) return {};
    std::vector<std::pair<std::string, std::uintmax_t>> found;
    for (const fs::directory_entry& item : fs::directory_iterator(folder, error)) {
        std::error_code itemError;
        if (!item.is_regular_file(itemError) || !IsXFileName(item.path().filename())) continue;
        const std::uintmax_t size = item.file_size(itemError);
        if (!itemError) found.emplace_back(item.path().string(), size);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    std::uintmax_t bytes = 0;
    for (const auto& [path, size] : found) {
        if (paths.size() == kMaxFiles) break;
        if (size > kMaxBytes - bytes) continue;
        bytes += size;
        paths.push_back(path);
    }
    return paths;
}

// The thread: every file's bytes first, so that a load can tell at once whether its file is among
// them, then the parses in order. After a failed parse the loader process may have been replaced
// from this thread, which then holds no clean image of the program: the files after it are left
// to their loads.
void ReadAndParse(ReadsAhead* reads)
{
    for (const std::unique_ptr<ReadAhead>& file : reads->files) {
        std::vector<std::uint8_t> data;
        // What D3DXLoadMeshFromXA refuses before parsing is not parsed here either.
        if (!ReadWholeFile(file->path, kMaxBytes, data) || data.size() < 16 ||
            std::memcmp(data.data(), "xof ", 4) != 0)
            continue;
        const std::lock_guard<std::mutex> hold(reads->lock);
        file->data = std::move(data);
    }
    {
        const std::lock_guard<std::mutex> hold(reads->lock);
        reads->allRead = true;
    }
    reads->changed.notify_all();
    bool failed = false;
    for (const std::unique_ptr<ReadAhead>& file : reads->files) {
        XFileMesh mesh;
        const bool tried = !failed && !file->data.empty();
        const HRESULT result = tried ? ReadXFile(file->data, mesh) : E_FAIL;
        failed = failed || FAILED(result);
        {
            const std::lock_guard<std::mutex> hold(reads->lock);
            file->tried = tried;
            file->result = result;
            file->mesh = std::move(mesh);
            file->parsed = true;
        }
        reads->changed.notify_all();
    }
}
#endif

}  // namespace

void StartReadingXFilesAhead()
{
#ifndef __EMSCRIPTEN__
    static std::mutex starting;
    const std::lock_guard<std::mutex> hold(starting);
    if (started.load() != nullptr) return;
    const std::vector<std::string> paths = XFilesToRead();
    if (paths.empty() || !StartWorkerNow()) return;
    auto* made = new ReadsAhead;
    for (const std::string& path : paths) {
        made->files.push_back(std::make_unique<ReadAhead>());
        made->files.back()->path = path;
    }
    started.store(made);
    std::thread(ReadAndParse, made).detach();
#endif
}

bool TakeXFileReadAhead(const std::vector<std::uint8_t>& data, HRESULT& result, XFileMesh& mesh)
{
    ReadsAhead* const reads = started.load();
    if (reads == nullptr) return false;
    std::unique_lock<std::mutex> hold(reads->lock);
    reads->changed.wait(hold, [reads] { return reads->allRead; });
    for (const std::unique_ptr<ReadAhead>& file : reads->files) {
        // A parse taken has let go of its bytes, so it matches no load after.
        if (file->data != data) continue;
        reads->changed.wait(hold, [&file] { return file->parsed; });
        // A parse that was not tried leaves the file to its load.
        if (!file->tried) return false;
        result = file->result;
        mesh = std::move(file->mesh);
        std::vector<std::uint8_t>().swap(file->data);
        return true;
    }
    return false;
}
