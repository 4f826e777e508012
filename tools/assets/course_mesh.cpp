// Builds the course mesh from the driven path and the plates' road widths and kerb flags. Every
// road section is a horizontal line through the car's point, so the car stands on the road after
// every press; sections follow the heading the drawing turns the course by.
#include "tools/assets/course_mesh.h"

#include <algorithm>
#include <cmath>

#include "motion/course_table.h"

namespace {

constexpr double kRoadRepeat = 0.8;      // one dash and gap of the centre line
constexpr double kKerbRepeat = 0.12;     // one red and one white block
constexpr double kGrassRepeat = 0.6;
constexpr double kConcreteRepeat = 0.4;
constexpr double kBarrierRepeat = 0.2;
constexpr double kBelowGround = 0.02;    // walls and pillars reach this far into the ground
constexpr int kWidthBlend = 3;           // plates on each side over which a width change is spread
constexpr int kPillarClearPlates = 8;    // nearer plates are the pillar's own stretch
constexpr double kPillarAlong = 0.03;    // pillar half-size along the road
constexpr double kGroundMargin = 8.0;
constexpr double kGroundCell = 4.0;

int Wrap(int i, int n) { return ((i % n) + n) % n; }

MeshVertex V(Vec3 p, Vec3 n, double u, double v) { return {p, n, u, v}; }

// Horizontal direction of travel at a section.
Vec3 Forward(const RoadSection& s) { return {-s.right.z, 0.0, s.right.x}; }

std::vector<MeshMaterial> CourseMaterials()
{
    auto textured = [](const char* name, double level, const char* texture) {
        return MeshMaterial{name, {level, level, level, 1.0}, 0.0, {0, 0, 0}, {0, 0, 0}, texture};
    };
    // The course is drawn enlarged by 4.6 without renormalising, so a face turned to the light
    // shows only 0.58 of its material colour and one turned away 0.37: levels above 1 bring the
    // textures back to about their own colours on the road and to two thirds on walls.
    return {textured("Ground", 1.45, "grass.png"), textured("Road", 1.6, "road.png"),
            textured("StartLine", 1.6, "start.png"), textured("Kerb", 1.6, "kerb.png"),
            textured("Verge", 1.45, "grass.png"), textured("Concrete", 1.5, "concrete.png"),
            textured("Barrier", 1.5, "barrier.png")};
}

// The road surface, verges and kerbs of one plate.
void AddSurface(MeshModel& mesh, int plate, const RoadSection& a, const RoadSection& b, double sa, double sb)
{
    const double ua = a.leftWidth / (a.leftWidth + a.rightWidth), ub = b.leftWidth / (b.leftWidth + b.rightWidth);
    const bool start = plate == 0;
    const int material = start ? kStartMaterial : kRoadMaterial;
    const double va = start ? 0.0 : sa / kRoadRepeat, vb = start ? 1.0 : sb / kRoadRepeat;
    const Vec3 up = (a.up + b.up) * 0.5;
    AddQuad(mesh, material, up,
            {V(a.Left(), a.up, 0, va), V(a.centre, a.up, ua, va), V(b.centre, b.up, ub, vb), V(b.Left(), b.up, 0, vb)});
    AddQuad(mesh, material, up,
            {V(a.centre, a.up, ua, va), V(a.Right(), a.up, 1, va), V(b.Right(), b.up, 1, vb), V(b.centre, b.up, ub, vb)});

    for (const bool rightSide : {false, true}) {
        const bool kerb = HasKerb(plate, rightSide);
        const double repeat = kerb ? kKerbRepeat : kGrassRepeat;
        const int verge = kerb ? kKerbMaterial : kVergeMaterial;
        const double v0 = sa / repeat, v1 = sb / repeat;
        const Vec3 aIn = rightSide ? a.Right() : a.Left(), bIn = rightSide ? b.Right() : b.Left();
        const Vec3 aOut = rightSide ? a.Right(kVergeWidth) : a.Left(kVergeWidth);
        const Vec3 bOut = rightSide ? b.Right(kVergeWidth) : b.Left(kVergeWidth);
        AddQuad(mesh, verge, up,
                {V(aIn, a.up, 0, v0), V(aOut, a.up, 1, v0), V(bOut, b.up, 1, v1), V(bIn, b.up, 0, v1)});
    }
}

// Retaining walls or deck sides, the underside of a raised deck, and barriers with their ends.
void AddSides(MeshModel& mesh, int plate, int plates, const RoadSection& a, const RoadSection& b, double sa,
              double sb)
{
    for (const bool rightSide : {false, true}) {
        const double sign = rightSide ? 1.0 : -1.0;
        const Vec3 out = a.right * sign, outB = b.right * sign;
        const Vec3 aEdge = rightSide ? a.Right(kVergeWidth) : a.Left(kVergeWidth);
        const Vec3 bEdge = rightSide ? b.Right(kVergeWidth) : b.Left(kVergeWidth);
        const bool barrier = HasBarrier(plate, rightSide);
        const double rise = barrier ? kBarrierHeight : 0.0;
        const Vec3 aTop = aEdge + Vec3{0, rise, 0}, bTop = bEdge + Vec3{0, rise, 0};
        const Vec3 aBottom{aEdge.x, a.bottom, aEdge.z}, bBottom{bEdge.x, b.bottom, bEdge.z};
        AddQuad(mesh, kConcreteMaterial, out + outB,
                {V(aTop, out, sa / kConcreteRepeat, -aTop.y / kConcreteRepeat),
                 V(bTop, outB, sb / kConcreteRepeat, -bTop.y / kConcreteRepeat),
                 V(bBottom, outB, sb / kConcreteRepeat, -b.bottom / kConcreteRepeat),
                 V(aBottom, out, sa / kConcreteRepeat, -a.bottom / kConcreteRepeat)});
        if (!barrier) continue;

        const Vec3 lift{0, kBarrierHeight, 0};
        const Vec3 aIn = aEdge - out * kBarrierThickness, bIn = bEdge - outB * kBarrierThickness;
        const Vec3 inward = (out + outB) * -1.0;
        AddQuad(mesh, kBarrierMaterial, inward,
                {V(aIn + lift, out * -1.0, 0, sa / kBarrierRepeat), V(bIn + lift, outB * -1.0, 0, sb / kBarrierRepeat),
                 V(bIn, outB * -1.0, 1, sb / kBarrierRepeat), V(aIn, out * -1.0, 1, sa / kBarrierRepeat)});
        AddQuad(mesh, kBarrierMaterial, a.up,
                {V(aIn + lift, a.up, 0, sa / kBarrierRepeat), V(aTop, a.up, 0.2, sa / kBarrierRepeat),
                 V(bTop, b.up, 0.2, sb / kBarrierRepeat), V(bIn + lift, b.up, 0, sb / kBarrierRepeat)});
        // Close the barrier where its run begins or ends.
        const struct { bool open; Vec3 in, edge, facing; } ends[] = {
            {!HasBarrier(Wrap(plate - 1, plates), rightSide), aIn, aEdge, Forward(a) * -1.0},
            {!HasBarrier(Wrap(plate + 1, plates), rightSide), bIn, bEdge, Forward(b)}};
        for (const auto& end : ends) {
            if (!end.open) continue;
            AddQuad(mesh, kBarrierMaterial, end.facing,
                    {V(end.in, end.facing, 0, 1), V(end.edge, end.facing, 0.2, 1), V(end.edge + lift, end.facing, 0.2, 0),
                     V(end.in + lift, end.facing, 0, 0)});
        }
    }
    if (a.raised || b.raised) {
        const Vec3 down = (a.up + b.up) * -0.5;
        auto under = [](const RoadSection& s, Vec3 p) { return Vec3{p.x, s.bottom, p.z}; };
        AddQuad(mesh, kConcreteMaterial, down,
                {V(under(a, a.Left(kVergeWidth)), a.up * -1.0, 0, sa / kConcreteRepeat),
                 V(under(a, a.Right(kVergeWidth)), a.up * -1.0, 1, sa / kConcreteRepeat),
                 V(under(b, b.Right(kVergeWidth)), b.up * -1.0, 1, sb / kConcreteRepeat),
                 V(under(b, b.Left(kVergeWidth)), b.up * -1.0, 0, sb / kConcreteRepeat)});
    }
}

void AddPillar(MeshModel& mesh, const Pillar& pillar)
{
    const Vec3 forward{-pillar.right.z, 0.0, pillar.right.x};
    const Vec3 across = pillar.right * kPillarHalfWidth, along = forward * kPillarAlong;
    const Vec3 lift{0, pillar.top - pillar.base.y, 0};
    const Vec3 corners[4] = {pillar.base - across - along, pillar.base + across - along,
                             pillar.base + across + along, pillar.base - across + along};
    for (int i = 0; i < 4; ++i) {
        const Vec3 p = corners[i], q = corners[(i + 1) % 4];
        const Vec3 facing = Normalize((p + q) * 0.5 - pillar.base);
        const double width = Length(q - p) / kConcreteRepeat;
        AddQuad(mesh, kConcreteMaterial, facing,
                {V(p, facing, 0, -pillar.base.y / kConcreteRepeat), V(q, facing, width, -pillar.base.y / kConcreteRepeat),
                 V(q + lift, facing, width, -pillar.top / kConcreteRepeat),
                 V(p + lift, facing, 0, -pillar.top / kConcreteRepeat)});
    }
}

void AddGround(MeshModel& mesh, const CoursePath& path)
{
    double minX = 0, maxX = 0, minZ = 0, maxZ = 0;
    for (const PathPoint& p : path.points) {
        minX = std::min(minX, p.position.x);
        maxX = std::max(maxX, p.position.x);
        minZ = std::min(minZ, p.position.z);
        maxZ = std::max(maxZ, p.position.z);
    }
    const int cellsX = static_cast<int>(std::ceil((maxX - minX + 2 * kGroundMargin) / kGroundCell));
    const int cellsZ = static_cast<int>(std::ceil((maxZ - minZ + 2 * kGroundMargin) / kGroundCell));
    const double x0 = std::floor(minX - kGroundMargin), z0 = std::floor(minZ - kGroundMargin);
    const Vec3 up{0, 1, 0};
    for (int i = 0; i < cellsX; ++i)
        for (int j = 0; j < cellsZ; ++j) {
            const double xa = x0 + i * kGroundCell, xb = xa + kGroundCell;
            const double za = z0 + j * kGroundCell, zb = za + kGroundCell;
            auto corner = [&](double x, double z) { return V({x, kGroundY, z}, up, x / kGrassRepeat, -z / kGrassRepeat); };
            AddQuad(mesh, kGroundMaterial, up, {corner(xa, za), corner(xb, za), corner(xb, zb), corner(xa, zb)});
        }
}

}  // namespace

bool HasKerb(int plate, bool rightSide)
{
    const int flags = CoursePlateAt(plate).flags;
    return ((rightSide ? flags >> 8 : flags) & 0xFF) != 0;
}

bool HasBarrier(int plate, bool rightSide)
{
    const int flags = CoursePlateAt(plate).flags;
    return ((rightSide ? flags >> 8 : flags) & 0xFF) == 3;
}

std::vector<RoadSection> RoadSections(const CoursePath& path)
{
    const int plates = path.PlateCount();
    std::vector<RoadSection> sections;
    for (int n = 0; n < plates; ++n) {
        // The section halves the turn between the plate before the point and the plate after it.
        const int before = path.points[n == 0 ? plates : n].heading, after = path.points[n + 1].heading;
        const int turn = Wrap(after - before + 2048, 4096) - 2048;
        const Vec3 right = RightOfHeading(before + turn / 2.0);
        const Vec3 travel = path.points[n + 1].position - path.points[n == 0 ? plates - 1 : n - 1].position;
        double left = 0.0, rightWidth = 0.0;
        for (int k = n - kWidthBlend; k < n + kWidthBlend; ++k) {
            const CoursePlate plate = CoursePlateAt(Wrap(k, plates));
            left += plate.span_a / 1000.0;
            rightWidth += plate.span_b / 1000.0;
        }
        RoadSection s;
        s.centre = path.points[n].position;
        s.right = right;
        s.up = Normalize(Cross(travel, right));
        s.leftWidth = left / (2 * kWidthBlend);
        s.rightWidth = rightWidth / (2 * kWidthBlend);
        s.raised = s.centre.y - kGroundY >= kRaisedAbove;
        s.bottom = s.raised ? s.centre.y - kDeckThickness : kGroundY - kBelowGround;
        sections.push_back(s);
    }
    return sections;
}

std::vector<Pillar> Pillars(const CoursePath& path, const std::vector<RoadSection>& sections)
{
    const int plates = path.PlateCount();
    std::vector<Pillar> pillars;
    for (int n = 0; n < plates; n += kPillarEvery) {
        const RoadSection& s = sections[n];
        if (!s.raised) continue;
        // Reach into the deck everywhere under the pillar, even where the deck slopes.
        const Vec3 rise = path.points[n + 1].position - path.points[n == 0 ? plates - 1 : n - 1].position;
        const double slope = std::abs(rise.y) / std::hypot(rise.x, rise.z);
        const double top = s.bottom + kPillarAlong * slope + 0.005;
        Vec3 base = s.centre + s.right * ((s.rightWidth - s.leftWidth) / 2.0);
        base.y = kGroundY - kBelowGround;
        // No pillar through another stretch of road that passes beneath this one.
        bool blocked = false;
        for (int m = 0; m < plates && !blocked; ++m) {
            const int apart = std::min(Wrap(m - n, plates), Wrap(n - m, plates));
            if (apart <= kPillarClearPlates) continue;
            const RoadSection& other = sections[m];
            const double reach = std::max(other.leftWidth, other.rightWidth) + kVergeWidth + kPillarHalfWidth + 0.15;
            const double dx = other.centre.x - base.x, dz = other.centre.z - base.z;
            blocked = other.centre.y < top && dx * dx + dz * dz < reach * reach;
        }
        if (!blocked) pillars.push_back({base, s.right, top});
    }
    return pillars;
}

MeshModel BuildCourse(const CoursePath& path)
{
    MeshModel mesh;
    mesh.name = "Course";
    mesh.materials = CourseMaterials();
    const std::vector<RoadSection> sections = RoadSections(path);
    const int plates = path.PlateCount();
    AddGround(mesh, path);
    for (int k = 0; k < plates; ++k) {
        const RoadSection& a = sections[k];
        const RoadSection& b = sections[Wrap(k + 1, plates)];
        const double sa = path.points[k].distance, sb = path.points[k + 1].distance;
        AddSurface(mesh, k, a, b, sa, sb);
        AddSides(mesh, k, plates, a, b, sa, sb);
    }
    for (const Pillar& pillar : Pillars(path, sections)) AddPillar(mesh, pillar);
    return mesh;
}
