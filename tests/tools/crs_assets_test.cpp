// crs-assets' course and car, held to where the motion core drives and to what the table says of
// each plate's sides (tool_commands_test.sh runs the tool itself).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <utility>

#include "motion/course_table.h"
#include "motion/motion_state.h"
#include "tools/assets/car_mesh.h"
#include "tools/assets/course_mesh.h"

namespace {

// The triangles of a mesh that lie over a ground-plane point, on a grid of plan-view cells.
struct Plan {
    struct Hit {
        double y;
        int material;
    };
    const MeshModel& mesh;
    double x0 = 1e9, z0 = 1e9, x1 = -1e9, z1 = -1e9;
    std::vector<std::vector<int>> cells;

    explicit Plan(const MeshModel& m) : mesh(m)
    {
        for (const MeshVertex& v : mesh.vertices) {
            x0 = std::min(x0, v.position.x), x1 = std::max(x1, v.position.x);
            z0 = std::min(z0, v.position.z), z1 = std::max(z1, v.position.z);
        }
        cells.resize(static_cast<std::size_t>(Cell(x1, z1) + 1));
        for (std::size_t i = 0; i < mesh.triangles.size(); ++i) {
            const auto [a, b, c] = Corners(mesh.triangles[i]);
            const double xEnd = std::max({a.x, b.x, c.x}) + 0.25,
                         zEnd = std::max({a.z, b.z, c.z}) + 0.25;
            for (double x = std::min({a.x, b.x, c.x}); x < xEnd; x += 0.25)
                for (double z = std::min({a.z, b.z, c.z}); z < zEnd; z += 0.25)
                    if (cells[Cell(x, z)].empty() || cells[Cell(x, z)].back() != int(i))
                        cells[Cell(x, z)].push_back(int(i));
        }
    }
    // Cells of a quarter unit, in rows of the whole width.
    int Cell(double x, double z) const
    {
        x = std::clamp(x, x0, x1), z = std::clamp(z, z0, z1);
        return int((z - z0) / 0.25) * (int((x1 - x0) / 0.25) + 1) + int((x - x0) / 0.25);
    }
    std::array<Vec3, 3> Corners(const MeshTriangle& t, const MeshModel* of = nullptr) const
    {
        const std::vector<MeshVertex>& v = (of ? *of : mesh).vertices;
        return {v[t.a].position, v[t.b].position, v[t.c].position};
    }
    // Every triangle over (x, z) with its height there, lowest first.
    std::vector<Hit> At(double x, double z) const
    {
        std::vector<Hit> hits;
        for (int i : cells[Cell(x, z)]) {
            const auto [a, b, c] = Corners(mesh.triangles[i]);
            const double det = (b.x - a.x) * (c.z - a.z) - (c.x - a.x) * (b.z - a.z);
            const double s = ((x - a.x) * (c.z - a.z) - (c.x - a.x) * (z - a.z)) / det;
            const double r = ((b.x - a.x) * (z - a.z) - (x - a.x) * (b.z - a.z)) / det;
            if (std::abs(det) > 1e-12 && s > -1e-7 && r > -1e-7 && s + r < 1 + 1e-7)
                hits.push_back({a.y + s * (b.y - a.y) + r * (c.y - a.y),
                                mesh.triangles[i].material});
        }
        std::sort(hits.begin(), hits.end(), [](Hit p, Hit q) { return p.y < q.y; });
        return hits;
    }
};

bool IsRoad(int m) { return m == kRoadMaterial || m == kStartMaterial; }
bool IsTop(int m) { return IsRoad(m) || m == kKerbMaterial || m == kVergeMaterial; }

class Course : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        course_ = new MeshModel(BuildCourse(DriveCourse()));
        car_ = new MeshModel(BuildCar());
        plan_ = new Plan(*course_);
        // The car's point after every press of a lap, from the motion core (wz is up).
        InitPosition();
        points_.push_back({-4.0, 0.0, 13.0});
        for (int press = 0; press < kCoursePlateTotal; ++press, ++plate_pos) {
            AdvancePlate();
            points_.push_back({wx / 1000.0, -wz / 1000.0, wy / 1000.0});
            // The eye (0, 1, -1.8) taken back through T(fPos) Ry(crsRadY) Rx(crsRadX) S(4.6).
            const double y = 1 / 4.6, z = -1.8 / 4.6, cx = std::cos(crsRadX),
                         sx = std::sin(crsRadX);
            const double y1 = y * cx + z * sx, z1 = -y * sx + z * cx;
            eyes_.push_back(
                {-z1 * std::sin(crsRadY) - fPosX, y1 - fPosY, z1 * std::cos(crsRadY) - fPosZ});
        }
        for (const MeshVertex& v : car_->vertices) carHeight_ = std::max(carHeight_, v.position.y);
        carHeight_ *= 0.3 / 4.6;   // the car is drawn shrunk by 0.3, the course enlarged by 4.6
    }
    static void TearDownTestSuite() { delete plan_, delete course_, delete car_; }

    // The top surface (road, kerb or verge) nearest to height y over (x, z); -1 when none is near.
    static int TopAt(double x, double z, double y)
    {
        int material = -1;
        double nearest = 0.05;
        for (const Plan::Hit& h : plan_->At(x, z))
            if (IsTop(h.material) && std::abs(h.y - y) < nearest)
                nearest = std::abs(h.y - y), material = h.material;
        return material;
    }

    static inline MeshModel *course_ = nullptr, *car_ = nullptr;
    static inline Plan* plan_ = nullptr;
    static inline std::vector<Vec3> points_, eyes_;   // the car and the camera after each press
    static inline double carHeight_ = 0;
};

TEST_F(Course, EveryPlateHasItsWidthsKerbsAndBarriersOnTheSidesItsTableBytesGive)
{
    for (int p = 0; p < kCoursePlateTotal; ++p) {
        SCOPED_TRACE("plate " + std::to_string(p));
        const int base = kPlatesOffset + p * kCoursePlateSize;
        const Vec3 a = points_[p], b = points_[p + 1], m = (a + b) * 0.5;
        ASSERT_TRUE(IsRoad(TopAt(m.x, m.z, m.y)));
        const double along = std::hypot(b.x - a.x, b.z - a.z);
        // Left-handed, y up: the right of travel along (fx, fz) is (fz, -fx).
        const Vec3 right{(b.z - a.z) / along, 0, -(b.x - a.x) / along};
        // Span and flag byte of each side as stored: left first.
        for (const auto& [side, spanAt, flagAt] :
             {std::tuple{-1.0, 2, 10}, std::tuple{1.0, 4, 11}}) {
            SCOPED_TRACE(side < 0 ? "left" : "right");
            auto material = [&](double d) {
                return TopAt(m.x + right.x * side * d, m.z + right.z * side * d, m.y);
            };
            double edge = 0;
            while (edge < 0.5 && IsRoad(material(edge))) edge += 0.0025;
            // Widths are blended over the three plates either side of a change.
            bool steady = true;
            for (int k = p - 3; k <= p + 3; ++k)
                steady = steady && CourseTableRead16(kPlatesOffset + ((k + 1072) % 1072) * 12 +
                                                     spanAt) == CourseTableRead16(base + spanAt);
            if (steady) {
                EXPECT_NEAR(edge, CourseTableRead16(base + spanAt) / 1000.0, 0.004);
            }
            const int flag = CourseTable[base + flagAt];
            EXPECT_EQ(material(edge + 0.02), flag != 0 ? kKerbMaterial : kVergeMaterial);
            const Vec3 wall = m + right * (side * (edge + kVergeWidth - kBarrierThickness / 2));
            bool barrier = false;
            for (const Plan::Hit& h : plan_->At(wall.x, wall.z))
                barrier |= h.material == kBarrierMaterial && h.y > m.y + 0.02 && h.y < m.y + 0.1;
            EXPECT_EQ(barrier, flag == 3);
        }
    }
}

TEST_F(Course, NothingHangsLowerThanTheCarOverAnyPressPointOrTheCamera)
{
    ASSERT_GT(carHeight_, 0.05);
    int covered = 0;
    for (int p = 0; p < kCoursePlateTotal; ++p) {
        for (const Plan::Hit& h : plan_->At(points_[p].x, points_[p].z))
            if (h.y > points_[p].y + 0.001) {
                ++covered;
                EXPECT_GE(h.y - points_[p].y, carHeight_) << "over press point " << p;
            }
        // A surface closer to the eye than the near plane (1 drawn) would be cut open on screen.
        const Vec3 eye = eyes_[p];
        for (const Plan::Hit& h : plan_->At(eye.x, eye.z))
            EXPECT_GE(std::abs(h.y - eye.y), 0.6 / 4.6) << "camera after press " << p + 1;
    }
    EXPECT_GT(covered, 0);   // the stretch under the bridge
}

TEST_F(Course, NoTwoStretchesOfRoadCutIntoEachOther)
{
    // Surfaces that cut into each other would come arbitrarily close near the line where they meet.
    int stacked = 0;
    for (double x = -28.0; x < 26.0; x += 0.03)
        for (double z = -23.5; z < 22.0; z += 0.03) {
            double previous = -1e9;
            for (const Plan::Hit& h : plan_->At(x, z)) {
                if (!IsTop(h.material)) continue;
                const double gap = h.y - std::exchange(previous, h.y);
                if (gap < 1e-4 || gap > 1e8) continue;   // one surface on an edge of two triangles
                ++stacked;
                ASSERT_GE(gap, 0.3) << "at " << x << ", " << z;
            }
        }
    EXPECT_GT(stacked, 0);
}

TEST_F(Course, NoPillarOrWallPassesThroughARoad)
{
    int edges = 0;
    for (const MeshTriangle& t : course_->triangles) {
        if (t.material != kConcreteMaterial) continue;
        const std::array<Vec3, 3> c = plan_->Corners(t);
        for (int i = 0; i < 3; ++i) {
            const Vec3 &a = c[i], &b = c[(i + 1) % 3];
            if (std::hypot(a.x - b.x, a.z - b.z) > 1e-6 || std::abs(a.y - b.y) < 1e-6) continue;
            ++edges;   // a vertical edge; its own road may meet it at its top
            const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
            for (const Plan::Hit& h : plan_->At(a.x, a.z))
                ASSERT_FALSE(IsTop(h.material) && h.y > lo + 1e-3 &&
                             h.y < hi - kBarrierHeight - 1e-3)
                    << "edge at " << a.x << ", " << a.z << " through " << h.y;
        }
    }
    EXPECT_GT(edges, 1000);
}

TEST_F(Course, FacesAreWoundToTheirNormalsAndTheCourseTopFacesUp)
{
    for (const MeshModel* mesh : {course_, car_})
        for (const MeshTriangle& t : mesh->triangles) {
            const auto [a, b, c] = plan_->Corners(t, mesh);
            for (const int v : {t.a, t.b, t.c}) {
                const Vec3 n = mesh->vertices[v].normal;
                ASSERT_GT(Dot(Cross(b - a, c - a), n), 0.0) << mesh->name << " " << t.material;
                if (mesh == course_ && (IsTop(t.material) || t.material == kGroundMaterial)) {
                    ASSERT_GT(n.y, 0.8);
                }
            }
        }
}

TEST_F(Course, TheCarStandsOnItsWheelsWithTheRearWingAtPlusZ)
{
    Vec3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9}, wing{0, -1e9, 0};
    for (const MeshTriangle& t : car_->triangles)
        for (const Vec3& p : plan_->Corners(t, car_)) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
            if (t.material == kWingMaterial && p.y > wing.y) wing = p;
        }
    EXPECT_NEAR(lo.y, 0.0, 1e-6);
    EXPECT_NEAR(hi.z - lo.z, 4.5, 0.01);
    EXPECT_NEAR(lo.x + hi.x, 0.0, 1e-6);
    EXPECT_GT(wing.z, 1.5);
}

}  // namespace
