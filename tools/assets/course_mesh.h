// The course mesh "crs.x": a road laid through the point of every press of the lap, with verges,
// kerbs, barriers, retaining walls, a deck and pillars where it is raised, and the ground.
#pragma once

#include <vector>

#include "tools/assets/course_path.h"
#include "tools/assets/mesh_model.h"

// Materials of the course, in file order (material i is subset i).
enum CourseMaterial { kGroundMaterial, kRoadMaterial, kStartMaterial, kKerbMaterial, kVergeMaterial,
                      kConcreteMaterial, kBarrierMaterial, kCourseMaterialCount };

// Course-mesh units throughout (the drawing enlarges them by 4.6).
constexpr double kGroundY = -0.08;          // below the lowest point of the lap (-0.054)
constexpr double kVergeWidth = 0.06;        // beyond each road edge; carries the kerb when there is one
constexpr double kDeckThickness = 0.05;
constexpr double kRaisedAbove = 0.25;       // road this high above the ground stands on pillars
constexpr double kBarrierHeight = 0.035;
constexpr double kBarrierThickness = 0.015;
constexpr double kPillarHalfWidth = 0.05;
constexpr int kPillarEvery = 5;             // plates between pillars

// The road across one press point: a horizontal line through the car's point.
struct RoadSection {
    Vec3 centre;          // the car's point
    Vec3 right;           // unit, horizontal, to the right of the direction of travel
    Vec3 up;              // surface normal
    double leftWidth, rightWidth;   // from the centre to the road edges
    double bottom;        // underside of the deck, or below the ground where the road sits on it
    bool raised;
    Vec3 Left(double beyond = 0.0) const { return centre - right * (leftWidth + beyond); }
    Vec3 Right(double beyond = 0.0) const { return centre + right * (rightWidth + beyond); }
};

// One section per press point of the lap (the plate count of them; the lap's last point is the
// first again).
std::vector<RoadSection> RoadSections(const CoursePath& path);

// Kerb and barrier on one side of plate `plate`: the low byte of its flags is the left side,
// the high byte the right; 1 marks a kerb, 3 a kerb with a barrier behind it.
bool HasKerb(int plate, bool rightSide);
bool HasBarrier(int plate, bool rightSide);

// Pillar sites: centres on the ground, each with the height of its top.
struct Pillar {
    Vec3 base;
    Vec3 right;
    double top;
};
std::vector<Pillar> Pillars(const CoursePath& path, const std::vector<RoadSection>& sections);

MeshModel BuildCourse(const CoursePath& path);
