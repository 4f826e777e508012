// A mesh as the asset generator builds it before writing it out: vertices with normals and texture
// coordinates, triangles that each name a material, and the materials in file order.
#pragma once

#include <string>
#include <vector>

struct Vec3 {
    double x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
double Length(Vec3 a);
Vec3 Normalize(Vec3 a);

struct MeshVertex {
    Vec3 position;
    Vec3 normal;
    double u, v;   // v = 0 is the top row of the image
};

struct MeshTriangle {
    int a, b, c;
    int material;
};

// What an X file's Material holds. Colours are (red, green, blue[, alpha]); a diffuse component
// above 1 is deliberate where the drawing dims a face (the course's shortened normals).
struct MeshMaterial {
    std::string name;
    double diffuse[4];
    double power;
    double specular[3];
    double emissive[3];
    std::string texture;   // plain lower-case file name, or empty for an untextured material
};

struct MeshModel {
    std::string name;
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
    std::vector<MeshMaterial> materials;
};

// Adds a triangle of three new vertices. The corners are reordered so that the side that
// `facing` points to is the front: clockwise on screen when seen from there, which the default
// culling keeps. The normals given are written as they are.
void AddTriangle(MeshModel& mesh, int material, Vec3 facing, const MeshVertex (&corners)[3]);

// Adds a quad (corners in order around it) as two triangles sharing the diagonal 0-2, with the
// same front-side rule as AddTriangle.
void AddQuad(MeshModel& mesh, int material, Vec3 facing, const MeshVertex (&corners)[4]);

// Number of triangles that use each material, in material order.
std::vector<int> TrianglesPerMaterial(const MeshModel& mesh);
