// Vector arithmetic and the triangle helpers that keep every face wound for the default culling.
#include "tools/assets/mesh_model.h"

#include <cmath>

double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

Vec3 Normalize(Vec3 a)
{
    const double length = Length(a);
    return length > 0.0 ? a * (1.0 / length) : a;
}

namespace {

int AddVertex(MeshModel& mesh, const MeshVertex& vertex)
{
    mesh.vertices.push_back(vertex);
    return static_cast<int>(mesh.vertices.size()) - 1;
}

// In the left-handed convention a triangle (a, b, c) is clockwise seen from the side that
// (b - a) x (c - a) points to.
bool FacesToward(Vec3 a, Vec3 b, Vec3 c, Vec3 facing) { return Dot(Cross(b - a, c - a), facing) >= 0.0; }

}  // namespace

void AddTriangle(MeshModel& mesh, int material, Vec3 facing, const MeshVertex (&corners)[3])
{
    const int a = AddVertex(mesh, corners[0]);
    int b = AddVertex(mesh, corners[1]);
    int c = AddVertex(mesh, corners[2]);
    if (!FacesToward(corners[0].position, corners[1].position, corners[2].position, facing)) std::swap(b, c);
    mesh.triangles.push_back({a, b, c, material});
}

void AddQuad(MeshModel& mesh, int material, Vec3 facing, const MeshVertex (&corners)[4])
{
    int index[4];
    for (int i = 0; i < 4; ++i) index[i] = AddVertex(mesh, corners[i]);
    const bool forward = FacesToward(corners[0].position, corners[1].position, corners[2].position, facing);
    if (forward) {
        mesh.triangles.push_back({index[0], index[1], index[2], material});
        mesh.triangles.push_back({index[0], index[2], index[3], material});
    } else {
        mesh.triangles.push_back({index[0], index[2], index[1], material});
        mesh.triangles.push_back({index[0], index[3], index[2], material});
    }
}

std::vector<int> TrianglesPerMaterial(const MeshModel& mesh)
{
    std::vector<int> counts(mesh.materials.size(), 0);
    for (const MeshTriangle& t : mesh.triangles) ++counts[t.material];
    return counts;
}
