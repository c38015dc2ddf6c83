#include "al/Mesh.h"

#include <cmath>

namespace al
{

namespace
{
Vec3f faceNormal (const Vec3f& a, const Vec3f& b, const Vec3f& c, bool equalWeight)
{
    Vec3f n = cross (b - a, c - a);
    if (equalWeight)
        n.normalize (1.0f);
    return n;
}
} // namespace

void Mesh::generateNormals (bool normalize, bool equalWeightPerFace)
{
    const int n = vertices.size();
    if (n < 3)
        return;
    normals.size (n);

    auto clearNormals = [&]
    {
        for (int i = 0; i < n; ++i)
            normals[i] = Vec3f();
    };
    // An index past the vertices would read and write outside the lists; such faces
    // are left out.
    auto addFace = [&] (unsigned a, unsigned b, unsigned c)
    {
        if (a >= (unsigned) n || b >= (unsigned) n || c >= (unsigned) n)
            return;
        const Vec3f f = faceNormal (vertices[(int) a], vertices[(int) b], vertices[(int) c], equalWeightPerFace);
        normals[(int) a] += f;
        normals[(int) b] += f;
        normals[(int) c] += f;
    };
    auto normalizeAll = [&]
    {
        if (normalize)
            for (int i = 0; i < n; ++i)
                normals[i].normalize (1.0f);
    };

    const int numIndices = indices.size();
    if (numIndices > 0)
    {
        clearNormals();
        if (primitive == TRIANGLES)
        {
            for (int i = 0; i + 2 < numIndices; i += 3)
                addFace (indices[i], indices[i + 1], indices[i + 2]);
        }
        else if (primitive == TRIANGLE_STRIP)
        {
            for (int i = 0; i + 2 < numIndices; ++i)
                addFace (indices[i], indices[i + 1 + (i & 1)], indices[i + 2 - (i & 1)]);
        }
        normalizeAll();
        return;
    }

    if (primitive == TRIANGLES)
    {
        for (int i = 0; i + 2 < n; i += 3)
        {
            Vec3f f = faceNormal (vertices[i], vertices[i + 1], vertices[i + 2], false);
            if (normalize)
                f.normalize (1.0f);
            normals[i] = f;
            normals[i + 1] = f;
            normals[i + 2] = f;
        }
    }
    else if (primitive == TRIANGLE_STRIP)
    {
        clearNormals();
        for (int i = 0; i + 2 < n; ++i)
            addFace ((unsigned) i, (unsigned) (i + 1 + (i & 1)), (unsigned) (i + 2 - (i & 1)));
        normalizeAll();
    }
}

void Mesh::scale (float x, float y, float z)
{
    for (int i = 0; i < vertices.size(); ++i)
    {
        Vec3f& v = vertices[i];
        v[0] *= x;
        v[1] *= y;
        v[2] *= z;
    }
}

int addSphere (Mesh& mesh, double radius, int slices, int stacks)
{
    if (slices < 1 || stacks < 2)
        return 0;

    const unsigned base = (unsigned) mesh.vertices.size();
    const unsigned numSlices = (unsigned) slices;

    const double stackStep = 3.141592653589793 / stacks;
    const double sliceStep = 6.283185307179586 / slices;
    const double cs1 = std::cos (stackStep), sn1 = std::sin (stackStep);
    const double cs2 = std::cos (sliceStep), sn2 = std::sin (sliceStep);

    mesh.vertices.append (Vec3f (0.0f, 0.0f, (float) radius));

    for (unsigned i = 1; i <= numSlices; ++i)
    {
        mesh.indices.append (base + i);
        mesh.indices.append (base + 1 + (i % numSlices));
        mesh.indices.append (base);
    }

    // Rings and longitudes advance by rotation rather than by fresh trigonometry; the
    // longitude keeps rotating across rings.
    double z = radius, rho = 0.0;
    double c = 1.0, s = 0.0;
    const unsigned lastRing = (unsigned) (stacks - 2);
    for (unsigned k = 0; k <= lastRing; ++k)
    {
        const double zNext = z * cs1 - rho * sn1;
        rho = z * sn1 + rho * cs1;
        z = zNext;

        const unsigned ring = base + 1 + k * numSlices;
        for (unsigned j = 0; j < numSlices; ++j)
        {
            mesh.vertices.append (Vec3f ((float) (rho * c), (float) (rho * s), (float) z));
            const double cNext = c * cs2 - s * sn2;
            s = c * sn2 + s * cs2;
            c = cNext;

            const unsigned jn = (j + 1) % numSlices;
            if (k < lastRing)
            {
                const unsigned below = ring + numSlices;
                mesh.indices.append (ring + j);
                mesh.indices.append (below + j);
                mesh.indices.append (ring + jn);
                mesh.indices.append (ring + jn);
                mesh.indices.append (below + j);
                mesh.indices.append (below + jn);
            }
            else
            {
                mesh.indices.append (ring + jn);
                mesh.indices.append (ring + j);
                mesh.indices.append (ring + numSlices);
            }
        }
    }

    mesh.vertices.append (Vec3f (0.0f, 0.0f, (float) -radius));
    return mesh.vertices.size() - (int) base;
}

} // namespace al
