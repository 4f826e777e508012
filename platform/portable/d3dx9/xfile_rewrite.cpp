// The rewrite of X files that lets Assimp read them as D3DX does, the same for text and binary
// files. D3DX gives a mesh the materials of its own MeshMaterialList in their order, inline or
// named ({Red}); Assimp resolves names against its file-wide list instead and orders materials by
// it, so every reference is replaced by a copy of the material it names and the definitions
// outside a list are dropped. D3DXLoadMeshFromX draws frames, meshes and materials alone: every
// other object (templates, skins, animations, the exporter's own objects) is dropped, so that
// Assimp neither trips on forms it reads differently (animation keys) nor spends itself on a
// hostile skin. A MeshVertexColors that lists only some vertices, or one twice, which Assimp
// refuses, is written out whole: D3DX makes an unlisted vertex white and takes a vertex's last
// entry.
#include "platform/portable/d3dx9/xfile_rewrite.h"

#include <cstdio>
#include <cstdlib>
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
    std::size_t floatSize;                           // a binary file's floats: 4 or 8 bytes
    std::size_t materialCount = 0;
    double meshVertices = 0;                         // the vertex count of the mesh being copied

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
    // The numbers of tokens [first, end), text or binary, in file order, at most `most` of them.
    std::vector<double> Numbers(std::size_t first, std::size_t end, std::size_t most) const;
    // A MeshVertexColors object whose body is tokens [first, close), written with one entry per
    // vertex of its mesh; false on an entry for a vertex that the mesh does not have.
    bool WholeColours(std::size_t first, std::size_t close);
    // Tokens [first, end) of an object whose parent is of type `parent`, `depth` objects down
    // (a reference's copy counts as one more: a material that names itself nests without end).
    bool Copy(std::size_t first, std::size_t end, const std::string& parent, std::size_t depth);
};

std::vector<double> Rewrite::Numbers(std::size_t first, std::size_t end, std::size_t most) const
{
    std::vector<double> numbers;
    for (std::size_t t = first; t < end && numbers.size() < most; ++t) {
        const std::uint8_t* at = data.data() + tokens[t].begin;
        if (text) {
            if (tokens[t].kind != XToken::Word) continue;
            const std::string word = Text(t);
            char* stop = nullptr;
            const double value = std::strtod(word.c_str(), &stop);
            if (stop != word.c_str()) numbers.push_back(value);
            continue;
        }
        if (tokens[t].kind != XToken::Data) continue;
        const std::uint16_t code = static_cast<std::uint16_t>(at[0] | at[1] << 8);
        std::uint32_t count = 1, word = 0;
        std::size_t item = 4, offset = 2;
        if (code == 6 || code == 7) {
            std::memcpy(&count, at + 2, 4);
            offset = 6;
            if (code == 7) item = floatSize;
        } else if (code != 3) {
            continue;
        }
        for (std::uint32_t i = 0; i < count && numbers.size() < most; ++i, offset += item) {
            if (code != 7) {
                std::memcpy(&word, at + offset, 4);
                numbers.push_back(word);
            } else if (item == 4) {
                float value;
                std::memcpy(&value, at + offset, 4);
                numbers.push_back(value);
            } else {
                double value;
                std::memcpy(&value, at + offset, 8);
                numbers.push_back(value);
            }
        }
    }
    return numbers;
}

bool Rewrite::WholeColours(std::size_t first, std::size_t close)
{
    const std::vector<double> listed = Numbers(first, close, 1 + 5 * (data.size() / 2));
    // A list that already names every vertex it counts, in order, is what Assimp takes: it is
    // written as it stands, so that a rewritten file is rewritten to itself.
    bool inOrder = !listed.empty() && listed[0] >= 0 &&
                   listed[0] * 5 + 1 <= static_cast<double>(listed.size());
    for (std::size_t e = 0; inOrder && static_cast<double>(e) < listed[0]; ++e)
        inOrder = listed[1 + 5 * e] == static_cast<double>(e);
    if (inOrder) return Emit(first, close + 1);
    // A vertex takes six bytes of a file at the least: a larger count is not believed. The
    // counts are checked before they are converted, so that a negative one or a NaN is refused.
    if (listed.empty() || !(meshVertices >= 0 && meshVertices <= double(data.size() / 6)) ||
        !(listed[0] >= 0 && listed[0] <= double((listed.size() - 1) / 5)))
        return false;
    const auto vertices = static_cast<std::size_t>(meshVertices);
    std::vector<double> colours(4 * vertices, 1.0);
    const auto entries = static_cast<std::size_t>(listed[0]);
    for (std::size_t e = 0; e < entries; ++e) {
        const double index = listed[1 + 5 * e];
        if (!(index >= 0 && index < static_cast<double>(vertices))) return false;
        // D3DX clamps each channel to [0, 1] as it makes a D3DCOLOR, so clamping here changes
        // no colour, keeps each entry within its line and leaves no NaN to convert.
        for (std::size_t k = 0; k < 4; ++k) {
            const double channel = listed[2 + 5 * e + k];
            colours[4 * static_cast<std::size_t>(index) + k] =
                !(channel > 0) ? 0.0 : (channel > 1 ? 1.0 : channel);
        }
    }
    char number[64];
    if (text) {
        // Laid out as the rest of the text is written (AppendXFileText), so that the list reads
        // back as it stands.
        std::snprintf(number, sizeof number, "%zu; ", vertices);
        out += number;
        for (std::size_t v = 0; v < vertices; ++v) {
            std::snprintf(number, sizeof number, "%zu; %.6f; %.6f; %.6f; %.6f;; ", v,
                          colours[4 * v], colours[4 * v + 1], colours[4 * v + 2],
                          colours[4 * v + 3]);
            out += number;
            if (out.size() > limit) return false;
        }
        out += "} ";
        return out.size() <= limit;
    }
    const auto put = [this](std::uint32_t value, std::size_t bytes) {
        for (std::size_t b = 0; b < bytes; ++b) out += static_cast<char>(value >> (8 * b) & 0xff);
    };
    put(6, 2), put(1, 4), put(static_cast<std::uint32_t>(vertices), 4);
    for (std::size_t v = 0; v < vertices; ++v) {
        put(6, 2), put(1, 4), put(static_cast<std::uint32_t>(v), 4);
        put(7, 2), put(4, 4);
        for (int k = 0; k < 4; ++k) {
            if (floatSize == 4) {
                const float value = static_cast<float>(colours[4 * v + k]);
                out.append(reinterpret_cast<const char*>(&value), 4);
            } else {
                out.append(reinterpret_cast<const char*>(&colours[4 * v + k]), 8);
            }
        }
        if (out.size() > limit) return false;
    }
    put(11, 2);
    return out.size() <= limit;
}

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
            if (!Emit(start, t + 1)) return false;
            if (type == "Mesh") {
                // The count is the mesh's first token, or there is none: a number further on,
                // or one that names a child object, could change once the objects around it
                // are dropped.
                meshVertices = 0;
                if (t + 2 < close && tokens[t + 2].kind != XToken::Open) {
                    const std::vector<double> count = Numbers(t + 1, t + 2, 1);
                    if (!count.empty()) meshVertices = count[0];
                }
            }
            if (type == "MeshVertexColors" ? !WholeColours(t + 1, close)
                                           : !Copy(t + 1, close + 1, type, depth + 1))
                return false;
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
                    std::vector<std::size_t>(tokens.size()), {}, {}, 16 * data.size() + (1u << 20),
                    std::memcmp(data.data() + 12, "0064", 4) ? 4u : 8u};
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
