// A platform extension outside the Direct3D names, for tests: a procedure called after every
// Present, so that a test can act between the frames of a program's own message loop (queue
// input, minimise or resize the window, read memory use) without a second thread.
#pragma once

#include <functional>

#include "platform/portable/win_types.h"

// Called with the window presented into, after each Present, presented or not (a minimised
// window shows nothing); an empty procedure switches the hook off.
void SetPresentHook(std::function<void(HWND)> hook);
