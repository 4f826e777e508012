// Text X file output. Numbers are printed with six decimals through snprintf, so the same model
// always gives the same bytes.
#include "tools/assets/xfile_writer.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {


// Six decimals; -0.000000 is printed as 0.000000 so that the sign of a zero never varies.
std::string Number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string s = text;
    if (s == "-0.000000") s = "0.000000";
    return s;
}

// A list of records "a;b;c;" separated by "," and closed by ";".
std::string Separator(std::size_t i, std::size_t count) { return i + 1 < count ? ",\n" : ";\n"; }

void AppendMaterial(std::string& out, const MeshMaterial& m)
{
    out += "  Material " + m.name + " {\n   ";
    for (double c : m.diffuse) out += Number(c) + ";";
    out += ";\n   " + Number(m.power) + ";\n   ";
    for (double c : m.specular) out += Number(c) + ";";
    out += ";\n   ";
    for (double c : m.emissive) out += Number(c) + ";";
    out += ";\n";
    if (!m.texture.empty()) out += "   TextureFilename {\n    \"" + m.texture + "\";\n   }\n";
    out += "  }\n";
}

}  // namespace

std::string XFileText(const MeshModel& mesh)
{
    std::vector<std::size_t> order(mesh.triangles.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return mesh.triangles[a].material < mesh.triangles[b].material;
    });
    const std::size_t vertexCount = mesh.vertices.size(), faceCount = order.size();

    std::string out = "xof 0303txt 0032\n\n";
    out += "Mesh " + mesh.name + " {\n " + std::to_string(vertexCount) + ";\n";
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const Vec3 p = mesh.vertices[i].position;
        out += " " + Number(p.x) + ";" + Number(p.y) + ";" + Number(p.z) + ";" + Separator(i, vertexCount);
    }
    std::string faces = " " + std::to_string(faceCount) + ";\n";
    for (std::size_t i = 0; i < faceCount; ++i) {
        const MeshTriangle& t = mesh.triangles[order[i]];
        faces += " 3;" + std::to_string(t.a) + "," + std::to_string(t.b) + "," + std::to_string(t.c) + ";" +
                 Separator(i, faceCount);
    }
    out += faces;

    out += " MeshNormals {\n " + std::to_string(vertexCount) + ";\n";
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const Vec3 n = mesh.vertices[i].normal;
        out += " " + Number(n.x) + ";" + Number(n.y) + ";" + Number(n.z) + ";" + Separator(i, vertexCount);
    }
    out += faces + " }\n";

    out += " MeshTextureCoords {\n " + std::to_string(vertexCount) + ";\n";
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const MeshVertex& v = mesh.vertices[i];
        out += " " + Number(v.u) + ";" + Number(v.v) + ";" + Separator(i, vertexCount);
    }
    out += " }\n";

    out += " MeshMaterialList {\n  " + std::to_string(mesh.materials.size()) + ";\n  " +
           std::to_string(faceCount) + ";\n";
    for (std::size_t i = 0; i < faceCount; ++i) {
        out += "  " + std::to_string(mesh.triangles[order[i]].material);
        out += i + 1 < faceCount ? ",\n" : ";\n";
    }
    for (const MeshMaterial& m : mesh.materials) AppendMaterial(out, m);
    out += " }\n}\n";
    return out;
}
