// crs-map: the picture shows the upper road where the lap crosses itself, the roads in their
// height colours on a plain ground.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/assets/course_map.h"

namespace {

int Distance(Rgb a, Rgb b)
{
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

TEST(CourseMap, TheBridgeCoversTheRoadBeneathIt)
{
    const CoursePath path = DriveCourse();
    const CourseMap map = DrawCourseMap(path);
    const std::vector<PathCrossing> crossings = FindCrossings(path);
    ASSERT_EQ(crossings.size(), 1u);
    const PathCrossing& c = crossings[0];
    EXPECT_EQ(c.upperPlate, 764);
    EXPECT_EQ(c.lowerPlate, 1005);
    const int x = static_cast<int>(map.projection.Column(c.upperPoint));
    const int y = static_cast<int>(map.projection.Row(c.upperPoint));
    const Rgb shown = GetPixel(map.image, x, y);
    const Rgb upper = HeightColour(c.upperPoint.y, -0.054, 3.726),
              lower = HeightColour(c.lowerPoint.y, -0.054, 3.726);
    ASSERT_GT(Distance(upper, lower), 40);
    EXPECT_LT(Distance(shown, upper), Distance(shown, lower));
}

TEST(CourseMap, RoadsShowTheirHeightOnAPlainGround)
{
    const CoursePath path = DriveCourse();
    const CourseMap map = DrawCourseMap(path);
    const Rgb ground = GetPixel(map.image, 2, map.image.height / 2);
    // The road at the start is low (blue end), the road after press 764 high (red end).
    for (const int press : {40, 764}) {
        const Vec3 p = path.points[press].position;
        const Rgb shown = GetPixel(map.image, static_cast<int>(map.projection.Column(p)) + 1,
                                   static_cast<int>(map.projection.Row(p)) + 1);
        SCOPED_TRACE(press);
        EXPECT_LT(Distance(shown, HeightColour(p.y, -0.054, 3.726)), 30);
        EXPECT_GT(Distance(shown, ground), 100);
    }
    // The middle of the infield between plates 300 and 500 is bare ground.
    const Vec3 infield = (path.points[350].position + path.points[500].position) * 0.5;
    EXPECT_EQ(Distance(GetPixel(map.image, static_cast<int>(map.projection.Column(infield)),
                                static_cast<int>(map.projection.Row(infield))),
                       ground),
              0);
}

}  // namespace
