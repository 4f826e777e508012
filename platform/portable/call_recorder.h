// A platform extension outside the Win32 and Direct3D names: when switched on, every Direct3D,
// D3DX and GDI call of the backend, and every MessageBoxA and DefWindowProcA, appends one line
// with its name and arguments, so tests can check the viewer's order of calls. Off by default;
// recording costs nothing then. DefWindowProcA's line: DefWindowProcA(%p window, 0x%04x message,
// 0x%llx wParam, 0x%llx lParam).
#pragma once

#include <string>
#include <vector>

void RecorderStart();                              // clears the log and switches recording on
void RecorderStop();
bool RecorderActive();
const std::vector<std::string>& RecordedCalls();

// Appends a printf-formatted line when recording is on, e.g. RecordCall("Clear(%u, ...)", count).
void RecordCall(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While one lives, nothing is recorded: D3DX mutes the device calls that it makes itself, so that
// the log holds the calls of the viewer.
struct RecorderMute {
    RecorderMute();
    ~RecorderMute();
    RecorderMute(const RecorderMute&) = delete;
    RecorderMute& operator=(const RecorderMute&) = delete;
};

// A name that an object's lines show, e.g. a texture's file; kept, recording or not, until the
// object forgets it when it is destroyed. Null for an object without one.
void NameRecordedObject(const void* object, const char* name);
void ForgetRecordedObject(const void* object);
const char* RecordedObjectName(const void* object);
