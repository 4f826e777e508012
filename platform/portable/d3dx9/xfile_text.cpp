// The text form of X files for the rewrite: its tokens, and how they are written back so that
// Assimp reads them as D3DX does (every token spaced apart, since Assimp reads "1,0" as the number
// 1.0; runs of separators cut to two; comments gone with the tokens that are not written).
#include <cstring>

#include "platform/portable/d3dx9/xfile_tokens.h"

namespace {

bool IsSeparator(char c) { return c == ',' || c == ';'; }

bool EndsWord(char c)
{
    return static_cast<unsigned char>(c) <= ' ' || std::strchr("{},;\"<#", c) != nullptr;
}

}  // namespace

bool TokeniseXFileText(const std::vector<std::uint8_t>& data, std::vector<XFileToken>& tokens)
{
    const char* text = reinterpret_cast<const char*>(data.data());
    const std::size_t size = data.size();
    std::size_t i = 16;
    while (i < size) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) <= ' ') {
            ++i;
        } else if (c == '#' || (c == '/' && i + 1 < size && text[i + 1] == '/')) {
            while (i < size && text[i] != '\n') ++i;
        } else if (c == '"' || c == '<') {
            const char* close = static_cast<const char*>(
                std::memchr(text + i + 1, c == '"' ? '"' : '>', size - i - 1));
            if (!close) return false;
            const auto end = static_cast<std::size_t>(close - text) + 1;
            tokens.push_back({c == '"' ? XToken::String : XToken::Guid, i, end, i});
            i = end;
        } else if (std::strchr("{},;", c)) {
            const XToken kind = c == '{'   ? XToken::Open
                                : c == '}' ? XToken::Close
                                : c == ',' ? XToken::Comma
                                           : XToken::Semicolon;
            tokens.push_back({kind, i, i + 1, i});
            ++i;
        } else {
            const std::size_t begin = i;
            while (i < size && !EndsWord(text[i]) &&
                   !(text[i] == '/' && i + 1 < size && text[i + 1] == '/'))
                ++i;
            tokens.push_back({XToken::Word, begin, i, begin});
        }
    }
    return true;
}

// A space after each token, and a string's semicolon straight after its closing quote, which
// Assimp wants. D3DX takes any number of separators where Assimp takes at most two (one closing
// the value, one the list): runs are cut to two.
void AppendXFileText(const std::vector<std::uint8_t>& data, const std::vector<XFileToken>& tokens,
                     std::size_t first, std::size_t end, std::string& out)
{
    for (std::size_t t = first; t < end; ++t) {
        if (tokens[t].kind == XToken::Comma || tokens[t].kind == XToken::Semicolon) {
            if (!out.empty() && out.back() == ' ') out.pop_back();
            const std::size_t n = out.size();
            if (n >= 2 && IsSeparator(out[n - 1]) && IsSeparator(out[n - 2])) {
                out += ' ';
                continue;
            }
        }
        out.append(reinterpret_cast<const char*>(data.data()) + tokens[t].begin,
                   tokens[t].end - tokens[t].begin);
        out += ' ';
    }
}
