// The car, part by part. Every part is a closed solid; parts may overlap but never share a plane.
#include "tools/assets/car_mesh.h"

#include <cmath>

namespace {

constexpr double kHalfLength = kCarLength / 2.0;
// The car is drawn at 0.3 without renormalising, so its normals act 3.3 times as long: a face
// turned to the light is lit at full strength and one turned away is almost black. Leaning every
// normal a little upward keeps the rear faces, which the camera sees, lit.
constexpr double kNormalLean = 0.15;

Vec3 Lean(Vec3 normal) { return Normalize(normal + Vec3{0, kNormalLean, 0}); }

// The body's texture: the top view in the upper half (text reads from behind the car), the side
// view in the lower half.
void LiveryUv(Vec3 p, Vec3 faceNormal, double& u, double& v)
{
    if (std::abs(faceNormal.y) >= std::abs(faceNormal.x) && std::abs(faceNormal.y) >= std::abs(faceNormal.z)) {
        u = (kLiveryHalfWidth - p.x) / (2 * kLiveryHalfWidth);
        v = 0.5 * (p.z + kHalfLength) / kCarLength;
    } else {
        u = (p.z + kHalfLength) / kCarLength;
        v = 0.5 + 0.5 * (1.0 - p.y / kLiveryHeight);
    }
}

void AddFace(MeshModel& mesh, int material, Vec3 centre, const Vec3 (&corners)[4])
{
    const Vec3 faceCentre = (corners[0] + corners[1] + corners[2] + corners[3]) * 0.25;
    Vec3 normal = Normalize(Cross(corners[1] - corners[0], corners[2] - corners[0]));
    if (Length(normal) == 0.0) normal = Normalize(Cross(corners[2] - corners[0], corners[3] - corners[0]));
    if (Dot(normal, faceCentre - centre) < 0.0) normal = normal * -1.0;
    MeshVertex v[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = {corners[i], Lean(normal), 0.0, 0.0};
        LiveryUv(corners[i], normal, v[i].u, v[i].v);
    }
    AddQuad(mesh, material, normal, v);
}

// A solid between a front and a rear rectangle, each centred on x = 0 or on `x`:
// (half-width, bottom, top) at z0 and at z1.
struct Section {
    double z, halfWidth, bottom, top;
};

void AddLoft(MeshModel& mesh, int material, double x, Section f, Section r)
{
    auto at = [x](const Section& s, double side, bool top) {
        return Vec3{x + side * s.halfWidth, top ? s.top : s.bottom, s.z};
    };
    const Vec3 c[8] = {at(f, -1, false), at(f, 1, false), at(f, 1, true), at(f, -1, true),
                       at(r, -1, false), at(r, 1, false), at(r, 1, true), at(r, -1, true)};
    const Vec3 centre = (c[0] + c[2] + c[4] + c[6]) * 0.25;
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};
    for (const auto& f4 : faces) AddFace(mesh, material, centre, {c[f4[0]], c[f4[1]], c[f4[2]], c[f4[3]]});
}

void AddBox(MeshModel& mesh, int material, Vec3 lo, Vec3 hi)
{
    const double hw = (hi.x - lo.x) / 2;
    AddLoft(mesh, material, (lo.x + hi.x) / 2, {lo.z, hw, lo.y, hi.y}, {hi.z, hw, lo.y, hi.y});
}

// A cylinder about the X axis from x0 to x1, smooth around, flat at both ends.
void AddWheel(MeshModel& mesh, int material, double x0, double x1, double y, double z, double radius)
{
    constexpr int kSides = 20;
    auto rim = [&](double x, int i) {
        const double a = 2.0 * M_PI * i / kSides;
        return Vec3{x, y + radius * std::cos(a), z + radius * std::sin(a)};
    };
    const Vec3 axis{x0, y, z};
    for (int i = 0; i < kSides; ++i) {
        const Vec3 n0 = Normalize(rim(x0, i) - axis), n1 = Normalize(rim(x0, i + 1) - axis);
        // The tread takes the plain middle of the texture; each side shows the whole picture.
        AddQuad(mesh, material, n0 + n1,
                {MeshVertex{rim(x0, i), Lean(n0), 0.5, 0.5}, MeshVertex{rim(x1, i), Lean(n0), 0.5, 0.5},
                 MeshVertex{rim(x1, i + 1), Lean(n1), 0.5, 0.5}, MeshVertex{rim(x0, i + 1), Lean(n1), 0.5, 0.5}});
        auto side = [&](double x, int k) {
            const Vec3 p = rim(x, k);
            return MeshVertex{p, Lean({x == x0 ? -1.0 : 1.0, 0, 0}), 0.5 + (p.z - z) / (2 * radius),
                              0.5 - (p.y - y) / (2 * radius)};
        };
        for (const double x : {x0, x1}) {
            const Vec3 out{x == x0 ? -1.0 : 1.0, 0, 0};
            AddTriangle(mesh, material, out,
                        {MeshVertex{{x, y, z}, Lean(out), 0.5, 0.5}, side(x, i), side(x, i + 1)});
        }
    }
}

void AddSphere(MeshModel& mesh, int material, Vec3 centre, double radius)
{
    constexpr int kAround = 12, kRings = 6;
    auto point = [&](int ring, int i) {
        const double polar = M_PI * ring / kRings, a = 2.0 * M_PI * i / kAround;
        return Vec3{std::sin(polar) * std::cos(a), std::cos(polar), std::sin(polar) * std::sin(a)};
    };
    for (int ring = 0; ring < kRings; ++ring)
        for (int i = 0; i < kAround; ++i) {
            const Vec3 n[4] = {point(ring, i), point(ring, i + 1), point(ring + 1, i + 1), point(ring + 1, i)};
            MeshVertex v[4];
            const int rings[4] = {ring, ring, ring + 1, ring + 1};
            for (int k = 0; k < 4; ++k) v[k] = {centre + n[k] * radius, Lean(n[k]), 0.5, double(rings[k]) / kRings};
            const Vec3 facing = n[0] + n[1] + n[2] + n[3];
            if (ring == 0)
                AddTriangle(mesh, material, facing, {v[0], v[2], v[3]});
            else if (ring == kRings - 1)
                AddTriangle(mesh, material, facing, {v[0], v[1], v[2]});
            else
                AddQuad(mesh, material, facing, v);
        }
}

std::vector<MeshMaterial> CarMaterials()
{
    // White materials with the colour in the texture: however far past full strength a face is
    // lit, the colour stays clamped at white and the texture shows its own colours. (The reference
    // clamps each light's N.L at 1, a pipeline that does not clamps the sum; both show the same.)
    auto textured = [](const char* name, const char* texture) {
        return MeshMaterial{name, {1.0, 1.0, 1.0, 1.0}, 0.0, {0, 0, 0}, {0, 0, 0}, texture};
    };
    return {textured("Body", "livery.png"),     textured("Tyres", "tyre.png"),    textured("Wings", "carbon.png"),
            textured("Cockpit", "cockpit.png"), textured("Helmet", "helmet.png"), textured("Metal", "metal.png")};
}

}  // namespace

MeshModel BuildCar()
{
    MeshModel mesh;
    mesh.name = "Car";
    mesh.materials = CarMaterials();

    // Body: nose, monocoque, sidepods, engine cover with the airbox over the driver's head.
    AddLoft(mesh, kBodyMaterial, 0, {-2.15, 0.10, 0.16, 0.30}, {-0.90, 0.28, 0.14, 0.50});
    AddLoft(mesh, kBodyMaterial, 0, {-0.90, 0.38, 0.12, 0.55}, {0.35, 0.38, 0.12, 0.55});
    AddLoft(mesh, kBodyMaterial, 0, {-0.35, 0.72, 0.13, 0.50}, {0.95, 0.55, 0.13, 0.40});
    AddLoft(mesh, kBodyMaterial, 0, {0.35, 0.36, 0.11, 0.80}, {1.75, 0.14, 0.15, 0.38});

    // Cockpit opening and the driver.
    AddBox(mesh, kCockpitMaterial, {-0.26, 0.55, -0.55}, {0.26, 0.58, 0.30});
    AddSphere(mesh, kHelmetMaterial, {0, 0.66, -0.02}, 0.14);

    // Floor, wings and their end plates.
    AddBox(mesh, kWingMaterial, {-0.75, 0.06, -0.60}, {0.75, 0.10, 1.60});
    AddBox(mesh, kWingMaterial, {-0.92, 0.06, -2.25}, {0.92, 0.12, -1.85});
    AddBox(mesh, kWingMaterial, {-0.88, 0.15, -2.10}, {0.88, 0.19, -1.92});
    AddBox(mesh, kWingMaterial, {-0.55, 0.78, 1.80}, {0.55, 0.90, 2.25});
    AddBox(mesh, kWingMaterial, {-0.55, 0.62, 1.92}, {0.55, 0.68, 2.20});
    AddBox(mesh, kWingMaterial, {-0.05, 0.36, 1.70}, {0.05, 0.78, 1.90});
    for (const double side : {-1.0, 1.0}) {
        AddBox(mesh, kBodyMaterial, {side * 0.945 - 0.02, 0.05, -2.25}, {side * 0.945 + 0.02, 0.30, -1.80});
        AddBox(mesh, kBodyMaterial, {side * 0.575 - 0.02, 0.40, 1.75}, {side * 0.575 + 0.02, 0.96, 2.25});
    }

    // Wheels with their hubs and suspension arms.
    struct Axle { double z, radius, inner, outer; };
    for (const Axle& axle : {Axle{-1.35, 0.33, 0.63, 0.93}, Axle{1.25, 0.37, 0.56, 0.96}}) {
        for (const double side : {-1.0, 1.0}) {
            const double x0 = side < 0 ? -axle.outer : axle.inner, x1 = side < 0 ? -axle.inner : axle.outer;
            AddWheel(mesh, kTyreMaterial, x0, x1, axle.radius, axle.z, axle.radius);
            const double hubX = side < 0 ? x0 - 0.01 : x1, hubOuter = side < 0 ? x0 : x1 + 0.01;
            AddWheel(mesh, kMetalMaterial, std::min(hubX, hubOuter), std::max(hubX, hubOuter), axle.radius, axle.z,
                     axle.radius * 0.55);
            for (const double dy : {-0.07, 0.07}) {
                const double y = axle.radius + dy;
                const double a = side * 0.15, b = side * (axle.inner - 0.01);
                AddBox(mesh, kMetalMaterial, {std::min(a, b), y - 0.015, axle.z - 0.03},
                       {std::max(a, b), y + 0.015, axle.z + 0.03});
            }
        }
    }
    return mesh;
}
