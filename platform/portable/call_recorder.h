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
