// crs-map: the picture shows the upper road where the lap crosses itself, and the roads in their
// height colours on a plain ground.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/assets/course_map.h"

namespace {

int Distance(Rgb a, Rgb b)
{
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

TEST(CourseMap, TheBridgeCoversTheRoadBeneathItAndRoadsShowTheirHeightOnAPlainGround)
{
    const CoursePath path = DriveCourse();
    const CourseMap map = DrawCourseMap(path);
    auto shown = [&](Vec3 p, int offset) {
        return GetPixel(map.image, int(map.projection.Column(p)) + offset,
                        int(map.projection.Row(p)) + offset);
    };
    auto colour = [](const Vec3& p) { return HeightColour(p.y, -0.054, 3.726); };
    const std::vector<PathCrossing> crossings = FindCrossings(path);
    ASSERT_EQ(crossings.size(), 1u);
    const PathCrossing& c = crossings[0];
    EXPECT_EQ(std::make_pair(c.upperPlate, c.lowerPlate), std::make_pair(764, 1005));
    ASSERT_GT(Distance(colour(c.upperPoint), colour(c.lowerPoint)), 40);
    EXPECT_LT(Distance(shown(c.upperPoint, 0), colour(c.upperPoint)),
              Distance(shown(c.upperPoint, 0), colour(c.lowerPoint)));

    const Rgb ground = GetPixel(map.image, 2, map.image.height / 2);
    // The road at the start is low (blue end), the road after press 764 high (red end).
    for (const int press : {40, 764}) {
        const Vec3 p = path.points[press].position;
        EXPECT_LT(Distance(shown(p, 1), colour(p)), 30) << press;
        EXPECT_GT(Distance(shown(p, 1), ground), 100) << press;
    }
    // The middle of the infield between plates 300 and 500 is bare ground.
    EXPECT_EQ(Distance(shown((path.points[350].position + path.points[500].position) * 0.5, 0),
                       ground),
              0);
}

}  // namespace
