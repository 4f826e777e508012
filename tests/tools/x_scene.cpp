// Assimp with the portable loader's flags; see x_scene.h.
#include "x_scene.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>

XScene LoadXScene(const std::string& path)
{
    XScene out;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(
        path, aiProcess_ConvertToLeftHanded | aiProcess_Triangulate | aiProcess_PreTransformVertices);
    if (scene == nullptr) {
        out.error = importer.GetErrorString();
        return out;
    }
    out.loaded = true;
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* m = scene->mMaterials[i];
        SceneMaterial material;
        aiString name, texture;
        m->Get(AI_MATKEY_NAME, name);
        material.name = name.C_Str();
        aiColor4D diffuse;
        m->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
        material.diffuse[0] = diffuse.r;
        material.diffuse[1] = diffuse.g;
        material.diffuse[2] = diffuse.b;
        material.diffuse[3] = diffuse.a;
        if (m->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS) material.texture = texture.C_Str();
        out.materials.push_back(material);
    }
    out.trianglesPerMaterial.assign(scene->mNumMaterials, 0);
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        out.vertexCount += static_cast<int>(mesh->mNumVertices);
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) continue;
            SceneTriangle t;
            t.material = static_cast<int>(mesh->mMaterialIndex);
            for (int k = 0; k < 3; ++k) {
                const aiVector3D p = mesh->mVertices[face.mIndices[k]];
                const aiVector3D n = mesh->HasNormals() ? mesh->mNormals[face.mIndices[k]] : aiVector3D(0, 0, 0);
                t.p[k] = {p.x, p.y, p.z};
                t.n[k] = {n.x, n.y, n.z};
            }
            out.triangles.push_back(t);
            ++out.trianglesPerMaterial[mesh->mMaterialIndex];
        }
    }
    return out;
}

bool HeightOver(const SceneTriangle& t, double x, double z, double& y)
{
    const Point3 &a = t.p[0], &b = t.p[1], &c = t.p[2];
    const double det = (b.x - a.x) * (c.z - a.z) - (c.x - a.x) * (b.z - a.z);
    if (std::abs(det) < 1e-12) return false;
    const double s = ((x - a.x) * (c.z - a.z) - (c.x - a.x) * (z - a.z)) / det;
    const double r = ((b.x - a.x) * (z - a.z) - (x - a.x) * (b.z - a.z)) / det;
    const double eps = 1e-7;
    if (s < -eps || r < -eps || s + r > 1 + eps) return false;
    y = a.y + s * (b.y - a.y) + r * (c.y - a.y);
    return true;
}

PlanIndex::PlanIndex(const XScene& scene, const std::vector<int>& materials, double cell) : scene_(scene), cell_(cell)
{
    double maxX = -1e9, maxZ = -1e9;
    minX_ = minZ_ = 1e9;
    for (const SceneTriangle& t : scene.triangles)
        for (const Point3& p : t.p) {
            minX_ = std::min(minX_, p.x);
            minZ_ = std::min(minZ_, p.z);
            maxX = std::max(maxX, p.x);
            maxZ = std::max(maxZ, p.z);
        }
    cols_ = static_cast<int>((maxX - minX_) / cell_) + 1;
    rows_ = static_cast<int>((maxZ - minZ_) / cell_) + 1;
    cells_.resize(static_cast<std::size_t>(cols_) * rows_);
    for (std::size_t i = 0; i < scene.triangles.size(); ++i) {
        const SceneTriangle& t = scene.triangles[i];
        if (std::find(materials.begin(), materials.end(), t.material) == materials.end()) continue;
        const double x0 = std::min({t.p[0].x, t.p[1].x, t.p[2].x}), x1 = std::max({t.p[0].x, t.p[1].x, t.p[2].x});
        const double z0 = std::min({t.p[0].z, t.p[1].z, t.p[2].z}), z1 = std::max({t.p[0].z, t.p[1].z, t.p[2].z});
        for (int cx = static_cast<int>((x0 - minX_) / cell_); cx <= static_cast<int>((x1 - minX_) / cell_); ++cx)
            for (int cz = static_cast<int>((z0 - minZ_) / cell_); cz <= static_cast<int>((z1 - minZ_) / cell_); ++cz)
                cells_[static_cast<std::size_t>(cz) * cols_ + cx].push_back(static_cast<int>(i));
    }
}

std::vector<const SceneTriangle*> PlanIndex::TrianglesAt(double x, double z) const
{
    std::vector<const SceneTriangle*> found;
    const int cx = static_cast<int>((x - minX_) / cell_), cz = static_cast<int>((z - minZ_) / cell_);
    if (cx < 0 || cz < 0 || cx >= cols_ || cz >= rows_) return found;
    double y = 0;
    for (int i : cells_[static_cast<std::size_t>(cz) * cols_ + cx])
        if (HeightOver(scene_.triangles[i], x, z, y)) found.push_back(&scene_.triangles[i]);
    return found;
}

std::vector<double> PlanIndex::HeightsAt(double x, double z) const
{
    std::vector<double> heights;
    for (const SceneTriangle* t : TrianglesAt(x, z)) {
        double y = 0;
        HeightOver(*t, x, z, y);
        heights.push_back(y);
    }
    std::sort(heights.begin(), heights.end());
    return heights;
}
