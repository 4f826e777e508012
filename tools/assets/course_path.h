// The path the car drives over one lap, in course-mesh units: the point of every press, the
// heading and pitch it arrived with, and where the lap crosses itself. The car stands at
// (wx, -wz, wy) / 1000 of the motion state, which the drawing moves to the origin.
#pragma once

#include <vector>

#include "tools/assets/mesh_model.h"

struct PathPoint {
    Vec3 position;     // course-mesh units
    int heading;       // vect_y after the press, angle steps
    int pitch;         // vect_x after the press
    double distance;   // along the path from the start, course-mesh units
};

// points[0] is the start, points[n] the state after n presses, n = 0..plate count; the last point
// equals the first because the lap closes. Plate k is driven from points[k] to points[k + 1].
struct CoursePath {
    std::vector<PathPoint> points;
    int PlateCount() const { return static_cast<int>(points.size()) - 1; }
};

// Drives one lap with the motion core, press by press, from the state the motion globals hold
// (the start state, or the end of a whole lap, which is the same).
CoursePath DriveCourse();

// Where the centre lines of two plates cross in the ground plane.
struct PathCrossing {
    int lowerPlate, upperPlate;
    Vec3 lowerPoint, upperPoint;   // the two centre-line points above one another
};

std::vector<PathCrossing> FindCrossings(const CoursePath& path);

// A unit vector in the ground plane pointing to the right of heading `heading` (angle steps).
Vec3 RightOfHeading(double heading);
