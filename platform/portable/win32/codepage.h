// Conversion of the Windows build's narrow strings, code page 932 (Shift-JIS with Microsoft's
// extensions), to the UTF-8 that SDL and the terminal take.
#pragma once

#include <string>

// Bytes that are not valid code page 932 each become U+FFFD, and the conversion goes on.
std::string Cp932ToUtf8(const std::string& bytes);
