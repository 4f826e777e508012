// The car mesh "F1.x": an open-wheel racing car built from boxes, tapered boxes, cylinders and a
// sphere. Model space: nose toward -Z, up +Y, wheels resting on y = 0, 4.5 units long.
#pragma once

#include "tools/assets/mesh_model.h"

enum CarMaterial { kBodyMaterial, kTyreMaterial, kWingMaterial, kCockpitMaterial, kHelmetMaterial,
                   kMetalMaterial, kCarMaterialCount };

constexpr double kCarLength = 4.5;
// Where the top view and the side view of the body lie in the livery texture.
constexpr double kLiveryHalfWidth = 0.9;   // x of the top view's edges
constexpr double kLiveryHeight = 1.0;      // y of the side view's top edge

MeshModel BuildCar();
