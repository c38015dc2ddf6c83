#pragma once

#include "al/Buffer.h"
#include "al/Vec.h"

#include <cstdint>

namespace al
{

struct Color
{
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

struct Colori
{
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

// Vertex lists for drawing with client-side arrays, with the OpenGL primitive that
// joins them.
class Mesh
{
public:
    enum Primitive
    {
        POINTS = 0,
        LINE_STRIP = 3,
        TRIANGLES = 4,
        TRIANGLE_STRIP = 5
    };

    // Per-vertex normals from the faces of triangles or a triangle strip. Larger faces
    // weigh more unless equalWeightPerFace.
    void generateNormals (bool normalize = true, bool equalWeightPerFace = false);

    // Scales the vertices in use component by component; normals are left alone.
    void scale (float x, float y, float z);

    Buffer<Vec3f> vertices;
    Buffer<Vec3f> normals;
    Buffer<Color> colors;
    Buffer<Colori> coloris;
    Buffer<Vec<2, float>> texCoord2s;
    Buffer<Vec<3, float>> texCoord3s;
    Buffer<unsigned int> indices;
    int primitive = POINTS;
};

// Appends a sphere centred at the origin as indexed triangles (the caller sets the
// primitive) and returns the number of vertices added: 2 + (stacks - 1) x slices.
// Fewer than 2 stacks or 1 slice make no closed surface, and nothing is added.
int addSphere (Mesh& mesh, double radius = 1.0, int slices = 16, int stacks = 16);

} // namespace al
