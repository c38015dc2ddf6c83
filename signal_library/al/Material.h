#pragma once

#include "al/Graphics.h"
#include "al/Mesh.h"

#include <string>

namespace al
{

// Surface lighting record with OpenGL's fixed-function defaults.
class Material
{
public:
    explicit Material (Graphics::Face face_ = Graphics::FRONT_AND_BACK) : face (face_) {}

    Color ambient{ 0.2f, 0.2f, 0.2f, 1.0f };
    Color diffuse{ 0.8f, 0.8f, 0.8f, 1.0f };
    Color emission{ 0.0f, 0.0f, 0.0f, 1.0f };
    Color specular{ 0.0f, 0.0f, 0.0f, 1.0f };
    float shininess = 5.0f;
    int face;
    std::string ambientMap, diffuseMap, specularMap, bumpMap;
    bool useColorMaterial = true;
};

} // namespace al
