// The course seen from above as a picture: the road coloured by its height, the start, the plate
// numbers every 50 plates and the place where the lap crosses itself.
#pragma once

#include "tools/assets/course_path.h"
#include "tools/assets/image.h"

// Course-mesh x runs to the right and z upward in the picture, as seen from above.
struct MapProjection {
    double minX, maxZ, pixelsPerUnit, margin;
    double Column(const Vec3& p) const { return margin + (p.x - minX) * pixelsPerUnit; }
    double Row(const Vec3& p) const { return margin + (maxZ - p.z) * pixelsPerUnit; }
};

struct CourseMap {
    Image image;
    MapProjection projection;
};

// The colour of a road at height y on the map's scale, low (blue) to high (red).
Rgb HeightColour(double y, double lowest, double highest);

CourseMap DrawCourseMap(const CoursePath& path);
