// The binary and compressed forms of X files for the rewrite: the binary tokens (a 16-bit code,
// then a count and its items where the token has them, little-endian), and MSZIP, the deflate
// blocks of a compressed file, each inflated with the block before it as its dictionary.
#include <zlib.h>

#include <cstring>

#include "platform/portable/d3dx9/xfile_tokens.h"

namespace {

std::uint32_t Little(const std::uint8_t* p, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

enum Code : std::uint32_t {
    kName = 1, kString = 2, kInteger = 3, kGuid = 5, kIntegerList = 6, kFloatList = 7,
    kOpenBrace = 10, kCloseBrace = 11, kComma = 19, kSemicolon = 20, kTemplate = 31,
};

// An MSZIP block inflates to at most this.
constexpr std::size_t kBlockBytes = 32768;

}  // namespace

bool TokeniseXFileBinary(const std::vector<std::uint8_t>& data, std::size_t floatSize,
                         std::vector<XFileToken>& tokens)
{
    const std::size_t size = data.size();
    std::size_t i = 16;
    while (i < size) {
        if (size - i < 2) return false;
        const std::size_t begin = i;
        const std::uint32_t code = Little(&data[i], 2);
        i += 2;
        // Tokens of a count: the count, then that many items of `item` bytes.
        std::size_t item = 0;
        XToken kind = XToken::Data;
        switch (code) {
        case kName: item = 1, kind = XToken::Word; break;
        case kString: item = 1, kind = XToken::String; break;
        case kIntegerList: item = 4; break;
        case kFloatList: item = floatSize; break;
        case kInteger:
        case kGuid: {
            const std::size_t bytes = code == kInteger ? 4 : 16;
            if (size - i < bytes) return false;
            i += bytes;
            tokens.push_back({code == kInteger ? XToken::Data : XToken::Guid, begin, i, begin});
            continue;
        }
        case kOpenBrace: kind = XToken::Open; break;
        case kCloseBrace: kind = XToken::Close; break;
        case kComma: kind = XToken::Comma; break;
        case kSemicolon: kind = XToken::Semicolon; break;
        case kTemplate: kind = XToken::Template; break;
        default:
            // Parentheses, brackets, angles, the dot, and the template members' type keywords.
            if (!((code >= 12 && code <= 18) || (code >= 40 && code <= 53))) return false;
        }
        if (item == 0) {
            tokens.push_back({kind, begin, i, begin});
            continue;
        }
        if (size - i < 4) return false;
        const std::size_t count = Little(&data[i], 4);
        i += 4;
        if (count > (size - i) / item) return false;
        const std::size_t name = i;
        i += count * item;
        if (code == kString) {
            // A string ends with its own separator.
            if (size - i < 2) return false;
            const std::uint32_t terminator = Little(&data[i], 2);
            if (terminator != kComma && terminator != kSemicolon) return false;
            i += 2;
        }
        tokens.push_back({kind, begin, i, name});
    }
    return true;
}

bool DecompressXFile(std::vector<std::uint8_t>& data)
{
    // The header, the whole file's size, then blocks: the size it inflates to, its own size
    // (counting the signature), "CK" and the deflate stream.
    if (data.size() < 20) return false;
    const std::uint32_t declared = Little(&data[16], 4);
    std::vector<std::uint8_t> out(data.begin(), data.begin() + 16);
    std::memcpy(out.data() + 8, std::memcmp(&data[8], "tzip", 4) == 0 ? "txt " : "bin ", 4);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    std::size_t at = 20, previous = 0;
    bool good = true;
    // Bytes too few for a block's head end the file, as Assimp takes them.
    while (good && data.size() - at >= 6) {
        const std::size_t expanded = Little(&data[at], 2), packed = Little(&data[at + 2], 2);
        good = packed >= 2 && packed - 2 <= data.size() - at - 6 && data[at + 4] == 'C' &&
               data[at + 5] == 'K' && expanded <= kBlockBytes &&
               out.size() + expanded <= std::size_t{declared} + 16;
        if (!good) break;
        const std::size_t start = out.size();
        out.resize(start + expanded);
        inflateReset(&stream);
        if (previous > 0)
            inflateSetDictionary(&stream, out.data() + start - previous,
                                 static_cast<uInt>(previous));
        stream.next_in = &data[at + 6];
        stream.avail_in = static_cast<uInt>(packed - 2);
        stream.next_out = out.data() + start;
        stream.avail_out = static_cast<uInt>(expanded);
        // The block must end its stream exactly where it says it ends.
        good = inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.avail_out == 0;
        previous = expanded;
        at += 4 + packed;
    }
    inflateEnd(&stream);
    if (!good) return false;
    data.swap(out);
    return true;
}
