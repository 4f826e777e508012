// Drives the lap with the real plate advance, so the road is laid exactly where the car will be.
#include "tools/assets/course_path.h"

#include <cmath>

#include "motion/course_table.h"
#include "motion/motion_state.h"

namespace {

constexpr double kTurn = 4096.0;

PathPoint CurrentPoint(double distance)
{
    return {{wx / 1000.0, -wz / 1000.0, wy / 1000.0}, vect_y, vect_x, distance};
}

}  // namespace

Vec3 RightOfHeading(double heading)
{
    const double a = 2.0 * M_PI * heading / kTurn;
    return {std::sin(a), 0.0, std::cos(a)};
}

CoursePath DriveCourse()
{
    CoursePath path;
    InitPosition();
    path.points.push_back(CurrentPoint(0.0));
    const int plates = CoursePlateCount();
    for (int press = 0; press < plates; ++press) {
        AdvancePlate();
        ++plate_pos;
        const Vec3 previous = path.points.back().position;
        const Vec3 now{wx / 1000.0, -wz / 1000.0, wy / 1000.0};
        path.points.push_back(CurrentPoint(path.points.back().distance + Length(now - previous)));
    }
    return path;
}

std::vector<PathCrossing> FindCrossings(const CoursePath& path)
{
    std::vector<PathCrossing> crossings;
    const int plates = path.PlateCount();
    for (int i = 0; i < plates; ++i) {
        const Vec3 a = path.points[i].position, b = path.points[i + 1].position;
        for (int j = i + 2; j < plates; ++j) {
            if (i == 0 && j == plates - 1) continue;   // the lap's own joint
            const Vec3 c = path.points[j].position, d = path.points[j + 1].position;
            // Solve a + s (b - a) = c + t (d - c) in the ground plane.
            const double ex = b.x - a.x, ez = b.z - a.z, fx = d.x - c.x, fz = d.z - c.z;
            const double det = ex * (-fz) - ez * (-fx);
            if (det == 0.0) continue;
            const double gx = c.x - a.x, gz = c.z - a.z;
            const double s = (gx * (-fz) - gz * (-fx)) / det, t = (ex * gz - ez * gx) / det;
            if (s < 0.0 || s >= 1.0 || t < 0.0 || t >= 1.0) continue;
            const Vec3 p = a + (b - a) * s, q = c + (d - c) * t;
            crossings.push_back(p.y < q.y ? PathCrossing{i, j, p, q} : PathCrossing{j, i, q, p});
        }
    }
    return crossings;
}
