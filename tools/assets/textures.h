// The textures that the two meshes name, drawn procedurally: asphalt with lane markings, the start
// line, kerbs, grass, concrete, barriers and the car's livery.
#pragma once

#include <string>
#include <vector>

#include "tools/assets/image.h"

struct NamedImage {
    std::string name;   // the plain lower-case file name a material gives
    Image image;
};

std::vector<NamedImage> CourseTextures();
std::vector<NamedImage> CarTextures();
