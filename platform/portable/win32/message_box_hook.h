// A platform extension outside the Win32 names, for tests: while capturing, MessageBoxA keeps each
// box here, in order, instead of showing it, and returns as if its default button were pressed.
#pragma once

#include <string>
#include <vector>

#include "platform/portable/win_types.h"

struct CapturedMessageBox {
    HWND owner;
    std::string text;        // UTF-8, as it would be shown
    std::string caption;     // UTF-8, as it would be shown: "Error" for a null caption
    std::string rawText;     // the bytes passed in, code page 932
    std::string rawCaption;  // empty for a null caption too; see captionNull
    bool captionNull;
    UINT type;
};

void MessageBoxCaptureStart();   // clears the boxes and switches capturing on
void MessageBoxCaptureStop();
const std::vector<CapturedMessageBox>& CapturedMessageBoxes();
