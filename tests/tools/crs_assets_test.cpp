// crs-assets as the viewer relies on it: the files it writes, loaded the way the portable backend
// loads them, checked against the drive path of the motion core; its output is repeatable and its
// argument errors are reported.
#include <gtest/gtest.h>

#include <stb/stb_image.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "motion/course_table.h"
#include "motion/motion_state.h"
#include "run_command.h"
#include "tools/assets/car_mesh.h"
#include "tools/assets/course_mesh.h"
#include "x_scene.h"

namespace fs = std::filesystem;

namespace {

constexpr double kCourseScale = 4.6;   // the drawing enlarges the course by this
constexpr double kCarScale = 0.3;      // and shrinks the car by this

CommandResult Assets(const std::vector<std::string>& args) { return RunCommand(CRS_ASSETS_PATH, args); }

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path FreshDir(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("crs-assets-test-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    return dir;
}

// The press points of one lap, driven by the motion core: the car's course-mesh point and its heading.
struct Press {
    double x, y, z;
    int heading;
    int plate;
    Point3 camera;   // the camera's eye in course-mesh units
};

// The eye (0, 1, -1.8) taken back through the course's world transform
// T(fPos) . Ry(crsRadY) . Rx(crsRadX) . S(4.6) (row vectors, so T acts first).
Point3 CameraInCourse()
{
    double x = 0.0, y = 1.0 / kCourseScale, z = -1.8 / kCourseScale;
    const double cx = std::cos(crsRadX), sx = std::sin(crsRadX);
    const double y1 = y * cx + z * sx, z1 = -y * sx + z * cx;
    const double cy = std::cos(crsRadY), sy = std::sin(crsRadY);
    const double x2 = x * cy - z1 * sy, z2 = x * sy + z1 * cy;
    return {x2 - fPosX, y1 - fPosY, z2 - fPosZ};
}

std::vector<Press> DrivePresses()
{
    std::vector<Press> presses;
    InitPosition();
    for (int i = 0; i < kCoursePlateTotal; ++i) {
        const int plate = plate_pos % kCoursePlateTotal;
        AdvancePlate();
        ++plate_pos;
        presses.push_back({wx / 1000.0, -wz / 1000.0, wy / 1000.0, vect_y, plate, CameraInCourse()});
    }
    return presses;
}

class GeneratedFiles : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new fs::path(FreshDir("files"));
        const CommandResult r = Assets({"--out", dir_->string()});
        ASSERT_EQ(r.status, 0) << r.err;
        course_ = new XScene(LoadXScene((*dir_ / "crs.x").string()));
        car_ = new XScene(LoadXScene((*dir_ / "F1.x").string()));
        presses_ = new std::vector<Press>(DrivePresses());
    }
    static void TearDownTestSuite()
    {
        fs::remove_all(*dir_);
        delete dir_;
        delete course_;
        delete car_;
        delete presses_;
    }

    static double CarHeightInCourseUnits()
    {
        double top = 0;
        for (const SceneTriangle& t : car_->triangles)
            for (const Point3& p : t.p) top = std::max(top, p.y);
        return top * kCarScale / kCourseScale;
    }

    static fs::path* dir_;
    static XScene* course_;
    static XScene* car_;
    static std::vector<Press>* presses_;
};

fs::path* GeneratedFiles::dir_ = nullptr;
XScene* GeneratedFiles::course_ = nullptr;
XScene* GeneratedFiles::car_ = nullptr;
std::vector<Press>* GeneratedFiles::presses_ = nullptr;

const std::vector<int> kRoadTop = {kRoadMaterial, kStartMaterial};
const std::vector<int> kCourseTop = {kRoadMaterial, kStartMaterial, kKerbMaterial, kVergeMaterial};

TEST_F(GeneratedFiles, AreBinaryXFilesWhoseTexturesAreWrittenBesideThem)
{
    for (const char* name : {"crs.x", "F1.x"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadFile(*dir_ / name).rfind("xof 0303bin 0032", 0), 0u);
    }
    ASSERT_TRUE(course_->loaded) << course_->error;
    ASSERT_TRUE(car_->loaded) << car_->error;
    int textured = 0;
    for (const XScene* scene : {course_, car_})
        for (const SceneMaterial& m : scene->materials) {
            if (m.texture.empty()) continue;
            ++textured;
            SCOPED_TRACE(m.texture);
            // A plain lower-case file name, found beside the mesh as written.
            EXPECT_EQ(m.texture.find_first_of("/\\ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
            int width = 0, height = 0, channels = 0;
            ASSERT_TRUE(stbi_info((*dir_ / m.texture).string().c_str(), &width, &height, &channels));
            EXPECT_GE(channels, 3);   // the reference refuses low-depth grey pictures
            EXPECT_GT(width, 0);
        }
    EXPECT_GE(textured, 7);
}

TEST_F(GeneratedFiles, CarryTheMaterialsAndSubsetsTheGeneratorBuilt)
{
    const MeshModel course = BuildCourse(DriveCourse()), car = BuildCar();
    for (const auto& [scene, model] : {std::pair{course_, &course}, std::pair{car_, &car}}) {
        SCOPED_TRACE(model->name);
        ASSERT_EQ(scene->materials.size(), model->materials.size());
        for (std::size_t i = 0; i < model->materials.size(); ++i) {
            EXPECT_EQ(scene->materials[i].name, model->materials[i].name);
            EXPECT_EQ(scene->materials[i].texture, model->materials[i].texture);
            EXPECT_NEAR(scene->materials[i].diffuse[0], model->materials[i].diffuse[0], 1e-6);
        }
        EXPECT_EQ(scene->trianglesPerMaterial, TrianglesPerMaterial(*model));
        // Every material is used: a loader that drops unused ones would otherwise renumber subsets.
        for (int count : scene->trianglesPerMaterial) EXPECT_GT(count, 0);
        // The viewer loads without 32-bit indices; a loader that gives every corner of every
        // triangle a vertex of its own must still fit them.
        EXPECT_LT(model->vertices.size(), 65536u);
        EXPECT_LT(scene->vertexCount, 65536);
    }
    EXPECT_EQ(course_->materials[kRoadMaterial].texture, "road.png");
    EXPECT_EQ(car_->materials[kBodyMaterial].texture, "livery.png");
}

TEST_F(GeneratedFiles, EveryPressPointLiesOnTheRoadWellInsideItsEdges)
{
    const PlanIndex road(*course_, kRoadTop);
    for (const Press& p : *presses_) {
        SCOPED_TRACE("after plate " + std::to_string(p.plate));
        const std::vector<double> heights = road.HeightsAt(p.x, p.z);
        ASSERT_FALSE(heights.empty());
        const double nearest = *std::min_element(heights.begin(), heights.end(), [&](double a, double b) {
            return std::abs(a - p.y) < std::abs(b - p.y);
        });
        EXPECT_NEAR(nearest, p.y, 0.001);
        // The road is level across: 0.12 to either side (the narrowest half-width is 0.15) is road
        // at the same height.
        const double a = 2.0 * M_PI * p.heading / 4096.0;
        for (const double side : {-0.12, 0.12}) {
            const std::vector<double> beside = road.HeightsAt(p.x + side * std::sin(a), p.z + side * std::cos(a));
            const bool level = std::any_of(beside.begin(), beside.end(),
                                           [&](double y) { return std::abs(y - p.y) < 0.002; });
            EXPECT_TRUE(level) << "side " << side;
        }
    }
}

TEST_F(GeneratedFiles, NothingHangsLowerThanTheCarAboveAnyPressPoint)
{
    const double carHeight = CarHeightInCourseUnits();
    ASSERT_GT(carHeight, 0.05);
    std::vector<int> solid;
    for (int m = 0; m < kCourseMaterialCount; ++m) solid.push_back(m);
    const PlanIndex everything(*course_, solid);
    int covered = 0;
    for (const Press& p : *presses_)
        for (double y : everything.HeightsAt(p.x, p.z))
            if (y > p.y + 0.001) {
                ++covered;
                EXPECT_GE(y - p.y, carHeight) << "above plate " << p.plate;
            }
    EXPECT_GT(covered, 0);   // the stretch under the bridge
}

TEST_F(GeneratedFiles, TheLapCrossesItselfOnceOnABridgeWithRoomForTheCar)
{
    // Where the centre lines of two plates cross in the ground plane.
    std::vector<std::pair<int, int>> crossings;
    Press start = presses_->back();
    std::vector<Press> points{start};
    points.insert(points.end(), presses_->begin(), presses_->end());
    Point3 at{};
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        for (std::size_t j = i + 2; j + 1 < points.size(); ++j) {
            const Press &a = points[i], &b = points[i + 1], &c = points[j], &d = points[j + 1];
            const double ex = b.x - a.x, ez = b.z - a.z, fx = d.x - c.x, fz = d.z - c.z;
            const double det = fx * ez - ex * fz;
            if (det == 0) continue;
            const double s = (fx * (c.z - a.z) - fz * (c.x - a.x)) / det;
            const double t = (ex * (c.z - a.z) - ez * (c.x - a.x)) / det;
            if (s < 0 || s >= 1 || t < 0 || t >= 1 || (i == 0 && j + 2 == points.size())) continue;
            crossings.emplace_back(static_cast<int>(i), static_cast<int>(j));
            at = {a.x + s * ex, 0, a.z + s * ez};
        }
    ASSERT_EQ(crossings.size(), 1u);
    EXPECT_EQ(crossings[0], std::make_pair(764, 1005));

    const std::vector<double> roads = PlanIndex(*course_, kRoadTop).HeightsAt(at.x, at.z);
    ASSERT_EQ(roads.size(), 2u);
    EXPECT_NEAR(roads[1], 3.726, 0.002);
    EXPECT_NEAR(roads[0], 3.193, 0.002);
    std::vector<int> solid;
    for (int m = 0; m < kCourseMaterialCount; ++m) solid.push_back(m);
    double lowestAbove = 1e9;
    for (double y : PlanIndex(*course_, solid).HeightsAt(at.x, at.z))
        if (y > roads[0] + 0.001) lowestAbove = std::min(lowestAbove, y);
    EXPECT_GE(lowestAbove - roads[0], CarHeightInCourseUnits());
}

TEST_F(GeneratedFiles, NoTwoStretchesOfRoadCutIntoEachOther)
{
    // Over every point of the plan, distinct road surfaces lie well apart in height; surfaces that
    // cut into each other would come arbitrarily close near the line where they meet.
    const PlanIndex top(*course_, kCourseTop);
    int stacked = 0;
    for (double x = -28.0; x < 26.0; x += 0.03)
        for (double z = -23.5; z < 22.0; z += 0.03) {
            const std::vector<double> heights = top.HeightsAt(x, z);
            for (std::size_t i = 1; i < heights.size(); ++i) {
                const double gap = heights[i] - heights[i - 1];
                if (gap < 1e-4) continue;   // the same surface, on an edge shared by two triangles
                ++stacked;
                ASSERT_GE(gap, 0.3) << "at " << x << ", " << z;
            }
        }
    EXPECT_GT(stacked, 0);
}

TEST_F(GeneratedFiles, TheCameraStaysClearOfEverySurface)
{
    // Closer than the near plane (1.0 drawn, so 1 / 4.6 in course units) a surface straight above
    // or below the eye would be cut open on screen.
    std::vector<int> solid;
    for (int m = 0; m < kCourseMaterialCount; ++m) solid.push_back(m);
    const PlanIndex everything(*course_, solid);
    double nearest = 1e9;
    for (const Press& p : *presses_) {
        // The eye is behind the car.
        const Point3 eye = p.camera;
        const double a = 2.0 * M_PI * p.heading / 4096.0;
        ASSERT_LT((eye.x - p.x) * -std::cos(a) + (eye.z - p.z) * std::sin(a), -0.1) << "plate " << p.plate;
        for (double y : everything.HeightsAt(eye.x, eye.z)) nearest = std::min(nearest, std::abs(y - eye.y));
    }
    EXPECT_GE(nearest, 1.0 / kCourseScale * 0.6);
}

TEST_F(GeneratedFiles, NoPillarOrWallPassesThroughARoad)
{
    // The vertical edges of pillars and walls, each checked against the road surfaces over its
    // foot; its own road may meet it at its top.
    const PlanIndex top(*course_, kCourseTop);
    int edges = 0;
    for (const SceneTriangle& t : course_->triangles) {
        if (t.material != kConcreteMaterial) continue;
        for (int i = 0; i < 3; ++i) {
            const Point3 &a = t.p[i], &b = t.p[(i + 1) % 3];
            if (std::hypot(a.x - b.x, a.z - b.z) > 1e-6 || std::abs(a.y - b.y) < 1e-6) continue;
            ++edges;
            const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
            for (double y : top.HeightsAt(a.x, a.z))
                ASSERT_FALSE(y > lo + 1e-3 && y < hi - kBarrierHeight - 1e-3)
                    << "edge at " << a.x << ", " << a.z << " from " << lo << " to " << hi << " through " << y;
        }
    }
    EXPECT_GT(edges, 1000);
}

TEST_F(GeneratedFiles, RoadFacesAreSeenFromAboveAndEveryNormalAgreesWithItsWinding)
{
    for (const SceneTriangle& t : course_->triangles) {
        const Point3 &a = t.p[0], &b = t.p[1], &c = t.p[2];
        const Point3 e{b.x - a.x, b.y - a.y, b.z - a.z}, f{c.x - a.x, c.y - a.y, c.z - a.z};
        // (b - a) x (c - a) points to the side from which the triangle is clockwise on screen.
        const Point3 front{e.y * f.z - e.z * f.y, e.z * f.x - e.x * f.z, e.x * f.y - e.y * f.x};
        for (const Point3& n : t.n) {
            EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-4);
            ASSERT_GT(front.x * n.x + front.y * n.y + front.z * n.z, 0.0) << "material " << t.material;
            if (std::find(kCourseTop.begin(), kCourseTop.end(), t.material) != kCourseTop.end() ||
                t.material == kGroundMaterial) {
                ASSERT_GT(n.y, 0.8);
            }
        }
    }
    for (const SceneTriangle& t : car_->triangles) {
        const Point3 &a = t.p[0], &b = t.p[1], &c = t.p[2];
        const Point3 e{b.x - a.x, b.y - a.y, b.z - a.z}, f{c.x - a.x, c.y - a.y, c.z - a.z};
        const Point3 front{e.y * f.z - e.z * f.y, e.z * f.x - e.x * f.z, e.x * f.y - e.y * f.x};
        for (const Point3& n : t.n) ASSERT_GT(front.x * n.x + front.y * n.y + front.z * n.z, 0.0);
    }
}

TEST_F(GeneratedFiles, TheCarStandsOnItsWheelsAtTheOriginWithItsNoseTowardMinusZ)
{
    double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
    double wingTop = -1e9, wingTopZ = 0;
    for (const SceneTriangle& t : car_->triangles)
        for (const Point3& p : t.p) {
            const double v[3] = {p.x, p.y, p.z};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], v[k]);
                hi[k] = std::max(hi[k], v[k]);
            }
            if (t.material == kWingMaterial && p.y > wingTop) {
                wingTop = p.y;
                wingTopZ = p.z;
            }
        }
    EXPECT_NEAR(lo[1], 0.0, 1e-6);   // the tyres touch y = 0
    EXPECT_NEAR(hi[2] - lo[2], 4.5, 0.01);
    EXPECT_NEAR(lo[0] + hi[0], 0.0, 1e-6);
    EXPECT_NEAR(lo[2] + hi[2], 0.0, 0.2);
    EXPECT_GT(wingTopZ, 1.5);   // the tall rear wing is at +Z, so the nose points to -Z
}

TEST(CrsAssetsOutput, IsTheSameBytesOnEveryRun)
{
    const fs::path first = FreshDir("first"), second = FreshDir("second");
    ASSERT_EQ(Assets({"--out", first.string()}).status, 0);
    ASSERT_EQ(Assets({"--out", second.string()}).status, 0);
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(first)) {
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(ReadFile(entry.path()), ReadFile(second / entry.path().filename()));
    }
    EXPECT_EQ(files, static_cast<int>(std::distance(fs::directory_iterator(second), fs::directory_iterator())));
    EXPECT_GE(files, 9);
    fs::remove_all(first);
    fs::remove_all(second);
}

TEST(CrsAssetsArguments, BadArgumentsSayWhatIsWrongAndExitTwo)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--out"}, "crs-assets: --out needs a directory"},
        {{"--out", ""}, "crs-assets: --out needs a directory"},
        {{"out"}, "crs-assets: unknown argument: 'out'"},
        {{"--fast"}, "crs-assets: unknown argument: '--fast'"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(message);
        const CommandResult r = Assets(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        std::istringstream err(r.err);
        std::string first, second;
        std::getline(err, first);
        std::getline(err, second);
        EXPECT_EQ(first, message);
        EXPECT_EQ(second.rfind("usage: crs-assets", 0), 0u);
    }
}

TEST(CrsAssetsArguments, AnOutputDirectoryThatCannotBeWrittenIsAnError)
{
    const fs::path file = FreshDir("file");
    std::ofstream(file) << "not a directory";
    for (const std::string& dir : {file.string(), (file / "below").string(), std::string("/proc/crs-assets")}) {
        SCOPED_TRACE(dir);
        const CommandResult r = Assets({"--out", dir});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("crs-assets: cannot use " + dir + " as the output directory", 0), 0u) << r.err;
    }
    fs::remove(file);
}

TEST(CrsAssetsArguments, MakesAMissingOutputDirectory)
{
    const fs::path dir = FreshDir("missing") / "data";
    const CommandResult r = Assets({"--out", dir.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_regular_file(dir / "crs.x"));
    EXPECT_TRUE(fs::is_regular_file(dir / "F1.x"));
    fs::remove_all(dir.parent_path());
}

}  // namespace
