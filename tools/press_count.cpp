// Parsing of a press count: digits only, so "+5", " 5" and "5x" are refused rather than guessed.
#include "tools/press_count.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* ParsePresses(const char* text, std::int32_t& presses)
{
    const char* digits = text[0] == '-' ? text + 1 : text;
    if (digits[0] == '\0' || std::strspn(digits, "0123456789") != std::strlen(digits))
        return "N is not a whole number";
    if (digits != text) return "N must not be negative";
    errno = 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (errno == ERANGE || value > kMaxPresses) return "N is too large";
    presses = static_cast<std::int32_t>(value);
    return nullptr;
}
