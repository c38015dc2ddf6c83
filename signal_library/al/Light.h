#pragma once

#include "al/Mesh.h"
#include "al/Vec.h"

#include <atomic>

namespace al
{

// One per OpenGL light number; 0 is free. Shared by the whole process.
extern std::atomic<unsigned char> lightPool[8];

// Positional light that holds one of the eight OpenGL light numbers while it lives.
class Light
{
public:
    // Takes the first free light number; with all eight taken it shares number 7.
    Light (float x = 0.0f, float y = 0.0f, float z = 1.0f);
    ~Light();

    Light (const Light&) = delete;
    Light& operator= (const Light&) = delete;

    int lightNumber;
    Color ambient{ 0.0f, 0.0f, 0.0f, 1.0f };
    Color diffuse{ 1.0f, 1.0f, 1.0f, 1.0f };
    Color specular{ 1.0f, 1.0f, 1.0f, 1.0f };
    Vec<4, float> position;
    Vec<3, float> attenuation{ 1.0f, 0.0f, 0.0f };
};

} // namespace al
