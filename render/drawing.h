// The course and the car in the open scene of a frame: the car stays at the origin in front of a
// fixed camera, and the course is moved and turned by the motion state around it.
#pragma once

#include "render/mesh_object.h"

// Scene constants: camera, course scale, field of view and light direction.
extern const float camPosX, camPosY, camPosZ;
extern const float camHeading, camPitch, camBank;
extern const float upVecX, upVecY, upVecZ;
extern const float courseScale;
extern const float fovDivisor;   // the vertical field of view is pi divided by this
extern const float lightDirX, lightDirY, lightDirZ;

// Each sets the world, view and projection transforms and light 0, then draws the mesh object's
// subsets in material order. Neither opens, closes or presents the scene.
void DrawCourse(const MeshObject& meshObject);
void DrawCar(const MeshObject& meshObject);

// The parts of those drawings that do not depend on the motion state, for the pixel tests and the
// platform probe to draw under: the camera's view and the projection, and light 0 as the course
// and as the car get it.
void SetViewAndProjection();
void SetCourseLight();
void SetCarLight();
