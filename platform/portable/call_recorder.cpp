// The call log. Kept in one process-wide list, as the backend's callers run on one thread.
#include "platform/portable/call_recorder.h"

#include <cstdarg>
#include <cstdio>
#include <map>

namespace {

bool recording = false;
int mutes = 0;
std::vector<std::string> calls;
std::map<const void*, std::string> names;

}  // namespace

RecorderMute::RecorderMute() { ++mutes; }
RecorderMute::~RecorderMute() { --mutes; }

void NameRecordedObject(const void* object, const char* name) { names[object] = name; }

void ForgetRecordedObject(const void* object) { names.erase(object); }

const char* RecordedObjectName(const void* object)
{
    const auto found = names.find(object);
    return found == names.end() ? nullptr : found->second.c_str();
}

void RecorderStart()
{
    calls.clear();
    recording = true;
}

void RecorderStop() { recording = false; }

bool RecorderActive() { return recording && mutes == 0; }

const std::vector<std::string>& RecordedCalls() { return calls; }

void RecordCall(const char* format, ...)
{
    if (!RecorderActive()) return;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string line(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    std::vsnprintf(line.data(), line.size() + 1, format, again);
    va_end(again);
    calls.push_back(std::move(line));
}
