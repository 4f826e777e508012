// Binary X file output: the token stream of the X file format, little-endian, each run of
// integers or floats as one list token. The same model always gives the same bytes.
#include "tools/assets/xfile_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <numeric>
#include <vector>

namespace {

// The binary format's token numbers.
enum Token : std::uint16_t {
    kName = 1,
    kString = 2,
    kIntegerList = 6,
    kFloatList = 7,
    kOpenBrace = 10,
    kCloseBrace = 11,
    kSemicolon = 20,
};

class TokenWriter {
public:
    explicit TokenWriter(std::string& out) : out_(out) {}

    void Name(const std::string& name)
    {
        Word(kName);
        Dword(static_cast<std::uint32_t>(name.size()));
        out_ += name;
    }
    void String(const std::string& text)
    {
        Word(kString);
        Dword(static_cast<std::uint32_t>(text.size()));
        out_ += text;
        Word(kSemicolon);
    }
    void Open() { Word(kOpenBrace); }
    void Close() { Word(kCloseBrace); }
    void Integers(const std::vector<std::uint32_t>& values)
    {
        Word(kIntegerList);
        Dword(static_cast<std::uint32_t>(values.size()));
        for (std::uint32_t v : values) Dword(v);
    }
    // A zero is always written as +0, so that the sign of a zero never varies.
    void Floats(const std::vector<double>& values)
    {
        Word(kFloatList);
        Dword(static_cast<std::uint32_t>(values.size()));
        for (double v : values) {
            const float f = v == 0.0 ? 0.0f : static_cast<float>(v);
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            Dword(bits);
        }
    }

private:
    void Word(std::uint16_t v)
    {
        out_ += static_cast<char>(v & 0xff);
        out_ += static_cast<char>(v >> 8);
    }
    void Dword(std::uint32_t v)
    {
        for (int shift = 0; shift < 32; shift += 8) out_ += static_cast<char>((v >> shift) & 0xff);
    }

    std::string& out_;
};

void WriteMaterial(TokenWriter& x, const MeshMaterial& m)
{
    x.Name("Material");
    x.Name(m.name);
    x.Open();
    std::vector<double> values(std::begin(m.diffuse), std::end(m.diffuse));
    values.push_back(m.power);
    values.insert(values.end(), std::begin(m.specular), std::end(m.specular));
    values.insert(values.end(), std::begin(m.emissive), std::end(m.emissive));
    x.Floats(values);
    if (!m.texture.empty()) {
        x.Name("TextureFilename");
        x.Open();
        x.String(m.texture);
        x.Close();
    }
    x.Close();
}

}  // namespace

std::string XFileBytes(const MeshModel& mesh)
{
    std::vector<std::size_t> order(mesh.triangles.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return mesh.triangles[a].material < mesh.triangles[b].material;
    });
    const auto vertexCount = static_cast<std::uint32_t>(mesh.vertices.size());
    const auto faceCount = static_cast<std::uint32_t>(order.size());

    std::string out = "xof 0303bin 0032";
    TokenWriter x(out);
    x.Name("Mesh");
    x.Name(mesh.name);
    x.Open();
    x.Integers({vertexCount});
    std::vector<double> values;
    for (const MeshVertex& v : mesh.vertices)
        values.insert(values.end(), {v.position.x, v.position.y, v.position.z});
    x.Floats(values);
    // The face count, then each face as its index count and indices.
    std::vector<std::uint32_t> faces = {faceCount};
    for (std::size_t i : order) {
        const MeshTriangle& t = mesh.triangles[i];
        faces.insert(faces.end(), {3u, static_cast<std::uint32_t>(t.a),
                                   static_cast<std::uint32_t>(t.b), static_cast<std::uint32_t>(t.c)});
    }
    x.Integers(faces);

    x.Name("MeshNormals");
    x.Open();
    x.Integers({vertexCount});
    values.clear();
    for (const MeshVertex& v : mesh.vertices)
        values.insert(values.end(), {v.normal.x, v.normal.y, v.normal.z});
    x.Floats(values);
    x.Integers(faces);
    x.Close();

    x.Name("MeshTextureCoords");
    x.Open();
    x.Integers({vertexCount});
    values.clear();
    for (const MeshVertex& v : mesh.vertices) values.insert(values.end(), {v.u, v.v});
    x.Floats(values);
    x.Close();

    x.Name("MeshMaterialList");
    x.Open();
    std::vector<std::uint32_t> list = {static_cast<std::uint32_t>(mesh.materials.size()), faceCount};
    for (std::size_t i : order) list.push_back(static_cast<std::uint32_t>(mesh.triangles[i].material));
    x.Integers(list);
    for (const MeshMaterial& m : mesh.materials) WriteMaterial(x, m);
    x.Close();

    x.Close();
    return out;
}
