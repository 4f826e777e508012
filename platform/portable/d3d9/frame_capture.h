// A platform extension outside the Win32 and Direct3D names: reads back the frame last presented
// into a window, the text layer included, for pixel tests, snapshots and comparisons.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/portable/win_types.h"

// RGBA, top row first, width * height * 4 bytes. False when no device has presented into the
// window yet.
bool CaptureWindowFrame(HWND window, std::vector<std::uint8_t>& rgba, int& width, int& height);

// The same frame written as a PNG file; false when there is no frame or the file cannot be written.
bool WriteWindowFramePng(HWND window, const char* path);
