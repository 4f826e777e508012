// Reads a generated X file the way the portable D3DX loader does (Assimp, left-handed,
// triangulated, frames baked) into flat triangles that remember their material, for the tests of
// the generated course and car.
#pragma once

#include <string>
#include <vector>

struct Point3 {
    double x, y, z;
};

struct SceneTriangle {
    Point3 p[3];
    Point3 n[3];
    int material;
};

struct SceneMaterial {
    std::string name;
    double diffuse[4];
    std::string texture;
};

struct XScene {
    bool loaded = false;
    std::string error;
    std::vector<SceneMaterial> materials;
    std::vector<SceneTriangle> triangles;
    std::vector<int> trianglesPerMaterial;
    int vertexCount = 0;
};

XScene LoadXScene(const std::string& path);

// Plan-view lookup of triangles: the heights of the triangles of the chosen materials that lie
// over a ground-plane point.
class PlanIndex {
public:
    PlanIndex(const XScene& scene, const std::vector<int>& materials, double cell = 0.25);
    std::vector<double> HeightsAt(double x, double z) const;
    std::vector<const SceneTriangle*> TrianglesAt(double x, double z) const;

private:
    const XScene& scene_;
    double cell_;
    double minX_ = 0, minZ_ = 0;
    int cols_ = 0, rows_ = 0;
    std::vector<std::vector<int>> cells_;
};

// The height of the triangle over (x, z), if (x, z) lies inside its plan view.
bool HeightOver(const SceneTriangle& t, double x, double z, double& y);
