// The token rewrite of text X files that lets Assimp read them as D3DX does. D3DX gives a mesh the
// materials of its own MeshMaterialList in their order, inline or named ({Red}); Assimp resolves
// names against its file-wide list instead and orders materials by it, so every reference is
// replaced by a copy of the material it names and the definitions outside a list are dropped.
// D3DXLoadMeshFromX draws frames, meshes and materials alone: every other object (templates,
// skins, animations, the exporter's own objects) is dropped, so that Assimp neither trips on
// forms it reads differently (animation keys) nor spends itself on a hostile skin.
#include "platform/portable/d3dx9/xfile_text.h"

#include <cstring>
#include <map>
#include <string>

namespace {

constexpr std::size_t kMaxDepth = 256;
// Materials a file's lists may give in all, references included: far beyond any model, and short
// of the million copies that would take the parser past its memory budget.
constexpr std::size_t kMaxMaterials = 65536;

enum class Kind { Word, String, Guid, Open, Close, Comma, Semicolon };

struct Token {
    Kind kind;
    std::size_t begin, end;  // in the file's bytes
};

bool IsSeparator(char c) { return c == ',' || c == ';'; }

// The objects that the mesh D3DX returns is made of, under each parent ("" for the file).
bool Drawn(const std::string& type, const std::string& parent)
{
    if (parent.empty()) return type == "Frame" || type == "Mesh" || type == "Material";
    if (parent == "Frame")
        return type == "Frame" || type == "FrameTransformMatrix" || type == "Mesh";
    if (parent == "Mesh")
        return type == "MeshNormals" || type == "MeshTextureCoords" ||
               type == "MeshVertexColors" || type == "MeshMaterialList";
    if (parent == "MeshMaterialList") return type.empty() || type == "Material";
    return parent == "Material" && (type == "TextureFilename" || type == "TextureFileName");
}

bool EndsWord(char c)
{
    return static_cast<unsigned char>(c) <= ' ' || std::strchr("{},;\"<#", c) != nullptr;
}

// The tokens after the 16-byte header; false on an open string or GUID.
bool Tokenise(const std::vector<std::uint8_t>& data, std::vector<Token>& tokens)
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
            tokens.push_back({c == '"' ? Kind::String : Kind::Guid, i, end});
            i = end;
        } else if (std::strchr("{},;", c)) {
            const Kind kind = c == '{'   ? Kind::Open
                              : c == '}' ? Kind::Close
                              : c == ',' ? Kind::Comma
                                         : Kind::Semicolon;
            tokens.push_back({kind, i, i + 1});
            ++i;
        } else {
            const std::size_t begin = i;
            while (i < size && !EndsWord(text[i]) &&
                   !(text[i] == '/' && i + 1 < size && text[i + 1] == '/'))
                ++i;
            tokens.push_back({Kind::Word, begin, i});
        }
    }
    return true;
}

struct Rewrite {
    const std::vector<std::uint8_t>& data;
    const std::vector<Token>& tokens;
    std::vector<std::size_t> match;                  // each brace's partner
    std::vector<std::size_t> headerStart;            // an Open's first header token
    std::map<std::string, std::size_t> materials;    // name -> its header's first token
    std::string out;
    std::size_t limit;
    std::size_t materialCount = 0;

    std::string Text(std::size_t t) const
    {
        return std::string(reinterpret_cast<const char*>(data.data()) + tokens[t].begin,
                           tokens[t].end - tokens[t].begin);
    }
    // The object's template name, or "" for a reference's braces.
    std::string Type(std::size_t open) const
    {
        return headerStart[open] < open ? Text(headerStart[open]) : std::string();
    }
    // Writes tokens [first, end), a space after each: Assimp reads "1,0" as 1.0, and wants a
    // string's semicolon straight after its closing quote. D3DX takes any number of separators
    // where Assimp takes at most two (one closing the value, one the list): runs are cut to two.
    bool Emit(std::size_t first, std::size_t end)
    {
        for (std::size_t t = first; t < end; ++t) {
            if (tokens[t].kind == Kind::Comma || tokens[t].kind == Kind::Semicolon) {
                if (!out.empty() && out.back() == ' ') out.pop_back();
                const std::size_t n = out.size();
                if (n >= 2 && IsSeparator(out[n - 1]) && IsSeparator(out[n - 2])) {
                    out += ' ';
                    continue;
                }
            }
            out += Text(t);
            out += ' ';
        }
        return out.size() <= limit;
    }
    // Tokens [first, end) of an object whose parent is of type `parent`, `depth` objects down
    // (a reference's copy counts as one more: a material that names itself nests without end).
    bool Copy(std::size_t first, std::size_t end, const std::string& parent, std::size_t depth);
};

bool Rewrite::Copy(std::size_t first, std::size_t end, const std::string& parent,
                   std::size_t depth)
{
    if (depth > kMaxDepth) return false;
    std::size_t pending = first;  // the first token not yet written
    for (std::size_t t = first; t < end; ++t) {
        if (tokens[t].kind != Kind::Open) continue;
        const std::string type = Type(t);
        const std::size_t start = headerStart[t], close = match[t];
        if (!Emit(pending, start)) return false;
        if (parent == "MeshMaterialList" && ++materialCount > kMaxMaterials) return false;
        if (type.empty() && parent == "MeshMaterialList") {
            // A reference: { Name } or { Name <guid> }.
            if (close < t + 2 || tokens[t + 1].kind != Kind::Word) return false;
            const auto found = materials.find(Text(t + 1));
            if (found == materials.end()) return false;
            std::size_t brace = found->second;
            while (tokens[brace].kind != Kind::Open) ++brace;
            if (!Emit(found->second, brace + 1) ||
                !Copy(brace + 1, match[brace] + 1, "Material", depth + 1))
                return false;
        } else if (Drawn(type, parent) && (type != "Material" || parent == "MeshMaterialList")) {
            // Objects that D3DX does not draw are dropped, and a material outside a list is
            // written only where a list names it.
            if (!Emit(start, t + 1) || !Copy(t + 1, close + 1, type, depth + 1)) return false;
        }
        t = close;
        pending = close + 1;
    }
    return Emit(pending, end);
}

}  // namespace

bool NormaliseXFileText(std::vector<std::uint8_t>& data)
{
    if (data.size() < 16 || std::memcmp(data.data() + 8, "txt ", 4) != 0) return true;
    std::vector<Token> tokens;
    if (!Tokenise(data, tokens)) return false;
    // A file of references to one large material would otherwise grow without bound.
    Rewrite rewrite{data, tokens, std::vector<std::size_t>(tokens.size()),
                    std::vector<std::size_t>(tokens.size()), {}, {}, 16 * data.size() + (1u << 20)};
    std::vector<std::size_t> open;
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        if (tokens[t].kind == Kind::Open) {
            // The header: the words and GUID just before the brace, after any other punctuation.
            std::size_t start = t;
            while (start > 0 && (tokens[start - 1].kind == Kind::Word ||
                                 tokens[start - 1].kind == Kind::Guid))
                --start;
            rewrite.headerStart[t] = start;
            if (t - start >= 2 && rewrite.Text(start) == "Material" &&
                tokens[start + 1].kind == Kind::Word)
                rewrite.materials.emplace(rewrite.Text(start + 1), start);
            open.push_back(t);
            // The rewrite recurses once per level: a hostile nesting must not exhaust the stack.
            if (open.size() > kMaxDepth) return false;
        } else if (tokens[t].kind == Kind::Close) {
            if (open.empty()) return false;
            rewrite.match[open.back()] = t;
            rewrite.match[t] = open.back();
            open.pop_back();
        }
    }
    if (!open.empty()) return false;
    rewrite.out.assign(reinterpret_cast<const char*>(data.data()), 16);
    rewrite.out += '\n';
    if (!rewrite.Copy(0, tokens.size(), "", 0)) return false;
    data.assign(rewrite.out.begin(), rewrite.out.end());
    return true;
}
