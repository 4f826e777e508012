// The rewrite of X files that lets Assimp read them as D3DX does, the same for text and binary
// files. D3DX gives a mesh the materials of its own MeshMaterialList in their order, inline or
// named ({Red}); Assimp resolves names against its file-wide list instead and orders materials by
// it, so every reference is replaced by a copy of the material it names and the definitions
// outside a list are dropped. D3DXLoadMeshFromX draws frames, meshes and materials alone: every
// other object (templates, skins, animations, the exporter's own objects) is dropped, so that
// Assimp neither trips on forms it reads differently (animation keys) nor spends itself on a
// hostile skin.
#include "platform/portable/d3dx9/xfile_rewrite.h"

#include <cstring>
#include <map>
#include <string>

#include "platform/portable/d3dx9/xfile_tokens.h"

namespace {

constexpr std::size_t kMaxDepth = 256;
// Materials a file's lists may give in all, references included: far beyond any model, and short
// of the million copies that would take the parser past its memory budget.
constexpr std::size_t kMaxMaterials = 65536;

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

struct Rewrite {
    const std::vector<std::uint8_t>& data;
    const std::vector<XFileToken>& tokens;
    bool text;                                       // the text form, else binary
    std::vector<std::size_t> match;                  // each brace's partner
    std::vector<std::size_t> headerStart;            // an Open's first header token
    std::map<std::string, std::size_t> materials;    // name -> its header's first token
    std::string out;
    std::size_t limit;
    std::size_t materialCount = 0;

    std::string Text(std::size_t t) const
    {
        if (tokens[t].kind == XToken::Template) return "template";
        return std::string(reinterpret_cast<const char*>(data.data()) + tokens[t].name,
                           tokens[t].end - tokens[t].name);
    }
    // The object's template name, or "" for a reference's braces.
    std::string Type(std::size_t open) const
    {
        return headerStart[open] < open ? Text(headerStart[open]) : std::string();
    }
    // Writes tokens [first, end): binary tokens as they are, text ones as Assimp reads them.
    bool Emit(std::size_t first, std::size_t end)
    {
        if (text) {
            AppendXFileText(data, tokens, first, end, out);
        } else if (first < end) {
            out.append(reinterpret_cast<const char*>(data.data()) + tokens[first].begin,
                       tokens[end - 1].end - tokens[first].begin);
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
        if (tokens[t].kind != XToken::Open) continue;
        const std::string type = Type(t);
        const std::size_t start = headerStart[t], close = match[t];
        if (!Emit(pending, start)) return false;
        if (parent == "MeshMaterialList" && ++materialCount > kMaxMaterials) return false;
        if (type.empty() && parent == "MeshMaterialList") {
            // A reference: { Name } or { Name <guid> }.
            if (close < t + 2 || tokens[t + 1].kind != XToken::Word) return false;
            const auto found = materials.find(Text(t + 1));
            if (found == materials.end()) return false;
            std::size_t brace = found->second;
            while (tokens[brace].kind != XToken::Open) ++brace;
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

bool NormaliseXFile(std::vector<std::uint8_t>& data)
{
    if (data.size() < 16 || std::memcmp(data.data(), "xof ", 4) != 0) return true;
    const char* format = reinterpret_cast<const char*>(data.data()) + 8;
    if ((std::memcmp(format, "tzip", 4) == 0 || std::memcmp(format, "bzip", 4) == 0) &&
        !DecompressXFile(data))
        return false;
    const bool text = std::memcmp(data.data() + 8, "txt ", 4) == 0;
    if (!text && std::memcmp(data.data() + 8, "bin ", 4) != 0) return true;
    std::vector<XFileToken> tokens;
    if (text ? !TokeniseXFileText(data, tokens)
             : !TokeniseXFileBinary(data, std::memcmp(data.data() + 12, "0064", 4) ? 4 : 8,
                                    tokens))
        return false;
    // A file of references to one large material would otherwise grow without bound.
    Rewrite rewrite{data, tokens, text, std::vector<std::size_t>(tokens.size()),
                    std::vector<std::size_t>(tokens.size()), {}, {}, 16 * data.size() + (1u << 20)};
    std::vector<std::size_t> open;
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        if (tokens[t].kind == XToken::Open) {
            // The header: the words and GUID just before the brace, after any other punctuation.
            std::size_t start = t;
            while (start > 0 && (tokens[start - 1].kind == XToken::Word ||
                                 tokens[start - 1].kind == XToken::Guid ||
                                 tokens[start - 1].kind == XToken::Template))
                --start;
            rewrite.headerStart[t] = start;
            if (t - start >= 2 && rewrite.Text(start) == "Material" &&
                tokens[start + 1].kind == XToken::Word)
                rewrite.materials.emplace(rewrite.Text(start + 1), start);
            open.push_back(t);
            // The rewrite recurses once per level: a hostile nesting must not exhaust the stack.
            if (open.size() > kMaxDepth) return false;
        } else if (tokens[t].kind == XToken::Close) {
            if (open.empty()) return false;
            rewrite.match[open.back()] = t;
            rewrite.match[t] = open.back();
            open.pop_back();
        }
    }
    if (!open.empty()) return false;
    rewrite.out.assign(reinterpret_cast<const char*>(data.data()), 16);
    if (text) rewrite.out += '\n';
    if (!rewrite.Copy(0, tokens.size(), "", 0)) return false;
    data.assign(rewrite.out.begin(), rewrite.out.end());
    return true;
}
