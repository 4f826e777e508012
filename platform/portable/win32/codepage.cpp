// Code page 932 to UTF-8 through iconv (glibc's CP932 is Windows' own table, with the NEC and IBM
// extensions and the Windows mappings of the wave dash and friends).
#include "platform/portable/win32/codepage.h"

#include <iconv.h>

#include <cerrno>

namespace {

constexpr const char kReplacement[] = "\xEF\xBF\xBD";   // U+FFFD

}  // namespace

std::string Cp932ToUtf8(const std::string& bytes)
{
    std::string out;
    iconv_t converter = iconv_open("UTF-8", "CP932");
    // musl, the C library of the browser build, knows only plain Shift_JIS, which covers the
    // program's own messages.
    if (converter == reinterpret_cast<iconv_t>(-1)) converter = iconv_open("UTF-8", "SHIFT_JIS");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        // Without the converter (glibc's gconv modules missing) only ASCII is certain.
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80) out += c;
            else out += kReplacement;
        }
        return out;
    }
    std::string in = bytes;
    char* inPointer = in.data();
    std::size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPointer = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
        // A full buffer just asks for another round; a bad or cut-off sequence costs one byte.
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += kReplacement;
            ++inPointer;
            --inLeft;
        }
    }
    iconv_close(converter);
    return out;
}
