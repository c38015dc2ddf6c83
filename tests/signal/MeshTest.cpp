#include "al/Buffer.h"
#include "al/Light.h"
#include "al/Material.h"
#include "al/Mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace
{

using al::Vec3f;

TEST (Buffer, CapacityDoublesFromFour)
{
    al::Buffer<unsigned int> b;
    EXPECT_EQ (b.capacity(), 0);
    std::vector<int> capacities;
    for (unsigned i = 1; i <= 9; ++i)
    {
        b.append (i);
        capacities.push_back (b.capacity());
    }
    EXPECT_EQ (capacities, (std::vector<int>{ 4, 4, 4, 4, 8, 8, 8, 8, 16 }));
    EXPECT_EQ (b.size(), 9);
    for (int i = 9; i < 16; ++i)
        EXPECT_EQ (b.elements[(size_t) i], 0u);
    EXPECT_EQ (b[8], 9u);
}

TEST (Buffer, GrowthOfOneOrLessStillMakesRoom)
{
    al::Buffer<float> b;
    for (int i = 0; i < 6; ++i)
        b.append ((float) i, 1.0);
    EXPECT_EQ (b.size(), 6);
    EXPECT_GE (b.capacity(), 6);
    EXPECT_EQ (b[5], 5.0f);
}

TEST (Buffer, SizeGrowsButNeverShrinksTheCapacity)
{
    al::Buffer<Vec3f> b;
    b.size (10);
    EXPECT_EQ (b.size(), 10);
    EXPECT_EQ (b.capacity(), 10);
    EXPECT_EQ (b[9], Vec3f());
    b.size (3);
    EXPECT_EQ (b.size(), 3);
    EXPECT_EQ (b.capacity(), 10);
}

// Every edge of a closed triangle surface belongs to exactly two triangles, once in
// each direction when the winding is consistent.
void expectClosedAndConsistentlyWound (const al::Mesh& m, int firstIndex = 0)
{
    std::map<std::pair<unsigned, unsigned>, int> directedEdges;
    for (int i = firstIndex; i + 2 < m.indices.size(); i += 3)
        for (int e = 0; e < 3; ++e)
            ++directedEdges[{ m.indices[i + e], m.indices[i + (e + 1) % 3] }];
    for (const auto& [edge, count] : directedEdges)
    {
        EXPECT_EQ (count, 1);
        EXPECT_EQ (directedEdges.count ({ edge.second, edge.first }), 1u);
    }
}

TEST (Sphere, SixteenBySixteenHas242VerticesAnd480Triangles)
{
    al::Mesh m;
    EXPECT_EQ (al::addSphere (m, 1.0, 16, 16), 242);
    EXPECT_EQ (m.vertices.size(), 242);
    EXPECT_EQ (m.indices.size(), 1440);
    EXPECT_EQ (m.primitive, 0);

    EXPECT_EQ (m.vertices[0], Vec3f (0.0f, 0.0f, 1.0f));
    EXPECT_EQ (m.vertices[241], Vec3f (0.0f, 0.0f, -1.0f));
    for (int j = 1; j <= 16; ++j)
        EXPECT_EQ (m.vertices[j][2], (float) std::cos (M_PI / 16));
    EXPECT_EQ (m.vertices[1][0], (float) std::sin (M_PI / 16));
    EXPECT_EQ (m.vertices[1][1], 0.0f);

    for (int i = 0; i < m.vertices.size(); ++i)
        EXPECT_NEAR (m.vertices[i].mag(), 1.0f, 1e-5f) << i;
    for (int i = 0; i < m.indices.size(); ++i)
        ASSERT_LT (m.indices[i], 242u);

    expectClosedAndConsistentlyWound (m);
    for (int i = 0; i < m.indices.size(); i += 3)
    {
        const Vec3f& a = m.vertices[(int) m.indices[i]];
        const Vec3f& b = m.vertices[(int) m.indices[i + 1]];
        const Vec3f& c = m.vertices[(int) m.indices[i + 2]];
        EXPECT_GT (al::cross (b - a, c - a).dot (a + b + c), 0.0f) << "triangle " << i / 3 << " faces inward";
    }
}

TEST (Sphere, AppendedSphereNumbersFromTheOldVertexCount)
{
    al::Mesh m;
    m.vertices.append (Vec3f (5.0f, 5.0f, 5.0f));
    m.vertices.append (Vec3f (6.0f, 5.0f, 5.0f));
    EXPECT_EQ (al::addSphere (m, 2.0, 8, 4), 2 + 3 * 8);
    EXPECT_EQ (m.vertices[2], Vec3f (0.0f, 0.0f, 2.0f));
    unsigned lowest = 1000;
    for (int i = 0; i < m.indices.size(); ++i)
        lowest = std::min (lowest, m.indices[i]);
    EXPECT_EQ (lowest, 2u);
    EXPECT_EQ (m.indices[0], 3u);
    EXPECT_EQ (m.indices[2], 2u);
    expectClosedAndConsistentlyWound (m);
}

TEST (Sphere, TwoStacksMakeTheCapsAroundTheEquator)
{
    al::Mesh m;
    EXPECT_EQ (al::addSphere (m, 1.0, 6, 2), 8);
    EXPECT_EQ (m.indices.size(), 2 * 6 * 3);
    for (int j = 1; j <= 6; ++j)
        EXPECT_NEAR (m.vertices[j][2], 0.0f, 1e-7f);
    expectClosedAndConsistentlyWound (m);
}

TEST (Sphere, TooFewStacksOrSlicesAddNothing)
{
    al::Mesh m;
    EXPECT_EQ (al::addSphere (m, 1.0, 16, 1), 0);
    EXPECT_EQ (al::addSphere (m, 1.0, 0, 16), 0);
    EXPECT_EQ (m.vertices.size(), 0);
    EXPECT_EQ (m.indices.size(), 0);
}

TEST (MeshNormals, SphereNormalsPointOutwardAtUnitLength)
{
    al::Mesh m;
    al::addSphere (m, 1.0, 16, 16);
    m.primitive = al::Mesh::TRIANGLES;
    m.scale (0.1f, 0.1f, 0.1f);
    m.generateNormals (true, false);
    ASSERT_EQ (m.normals.size(), 242);
    for (int i = 0; i < 242; ++i)
    {
        EXPECT_NEAR (m.normals[i].mag(), 1.0f, 1e-5f);
        EXPECT_GT (m.normals[i].dot (m.vertices[i].normalized()), 0.99f) << i;
    }

    m.generateNormals (true, true);
    for (int i = 0; i < 242; ++i)
        EXPECT_GT (m.normals[i].dot (m.vertices[i].normalized()), 0.99f) << i;
}

TEST (MeshNormals, FewerThanThreeVerticesLeaveNormalsAlone)
{
    al::Mesh m;
    m.primitive = al::Mesh::TRIANGLES;
    m.vertices.append (Vec3f (0.0f, 0.0f, 0.0f));
    m.vertices.append (Vec3f (1.0f, 0.0f, 0.0f));
    m.normals.append (Vec3f (0.0f, 7.0f, 0.0f));
    m.generateNormals();
    EXPECT_EQ (m.normals.size(), 1);
    EXPECT_EQ (m.normals[0], Vec3f (0.0f, 7.0f, 0.0f));
}

TEST (MeshNormals, NonIndexedTrianglesStoreTheirFaceNormal)
{
    al::Mesh m;
    m.primitive = al::Mesh::TRIANGLES;
    m.vertices.append (Vec3f (0.0f, 0.0f, 0.0f));
    m.vertices.append (Vec3f (2.0f, 0.0f, 0.0f));
    m.vertices.append (Vec3f (0.0f, 2.0f, 0.0f));
    m.generateNormals (false, false);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (m.normals[i], Vec3f (0.0f, 0.0f, 4.0f));
    m.generateNormals (true, false);
    EXPECT_EQ (m.normals[1], Vec3f (0.0f, 0.0f, 1.0f));
}

TEST (MeshNormals, StripFacesAllWindTheSameWay)
{
    for (bool indexed : { false, true })
    {
        al::Mesh m;
        m.primitive = al::Mesh::TRIANGLE_STRIP;
        for (int i = 0; i < 8; ++i)
        {
            m.vertices.append (Vec3f ((float) (i / 2), (float) (i % 2), 0.0f));
            if (indexed)
                m.indices.append ((unsigned) i);
        }
        m.generateNormals (true, false);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ (m.normals[i], Vec3f (0.0f, 0.0f, -1.0f)) << i << (indexed ? " indexed" : "");
    }
}

TEST (MeshNormals, IndicesPastTheVerticesAreIgnored)
{
    al::Mesh m;
    m.primitive = al::Mesh::TRIANGLES;
    m.vertices.append (Vec3f (0.0f, 0.0f, 0.0f));
    m.vertices.append (Vec3f (1.0f, 0.0f, 0.0f));
    m.vertices.append (Vec3f (0.0f, 1.0f, 0.0f));
    for (unsigned i : { 0u, 1u, 2u, 0u, 1u, 99u })
        m.indices.append (i);
    m.generateNormals();
    EXPECT_EQ (m.normals[0], Vec3f (0.0f, 0.0f, 1.0f));
}

TEST (MeshScale, ScalesVerticesInUseOnly)
{
    al::Mesh m;
    for (int i = 0; i < 5; ++i)
        m.vertices.append (Vec3f (1.0f, 2.0f, 3.0f));
    m.normals.append (Vec3f (0.0f, 1.0f, 0.0f));
    m.scale (2.0f, -1.0f, 0.5f);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (m.vertices[i], Vec3f (2.0f, -2.0f, 1.5f));
    EXPECT_EQ (m.vertices.elements[7], Vec3f());
    EXPECT_EQ (m.normals[0], Vec3f (0.0f, 1.0f, 0.0f));
}

TEST (Lighting, MaterialAndLightDefaultsAreOpenGLs)
{
    al::Material material (al::Graphics::FRONT);
    EXPECT_EQ (material.face, 1028);
    EXPECT_EQ (material.ambient.r, 0.2f);
    EXPECT_EQ (material.diffuse.g, 0.8f);
    EXPECT_EQ (material.emission.a, 1.0f);
    EXPECT_EQ (material.specular.b, 0.0f);
    EXPECT_EQ (material.shininess, 5.0f);
    EXPECT_TRUE (material.diffuseMap.empty());

    al::Light light (0.0f, 0.0f, 1.0f);
    EXPECT_EQ (light.position, (al::Vec<4, float> (0.0f, 0.0f, 1.0f, 1.0f)));
    EXPECT_EQ (light.attenuation, Vec3f (1.0f, 0.0f, 0.0f));
    EXPECT_EQ (light.ambient.a, 1.0f);
    EXPECT_EQ (light.ambient.r, 0.0f);
    EXPECT_EQ (light.diffuse.r, 1.0f);
    EXPECT_EQ (light.specular.b, 1.0f);
}

TEST (Lighting, LightsTakeAndFreeSlotsOfThePool)
{
    {
        auto first = std::make_unique<al::Light> (0.0f, 0.0f, 1.0f);
        al::Light second (0.0f, 0.0f, 1.0f);
        EXPECT_EQ (first->lightNumber, 0);
        EXPECT_EQ (second.lightNumber, 1);
        first.reset();
        EXPECT_EQ (al::lightPool[0], 0);
        al::Light third;
        EXPECT_EQ (third.lightNumber, 0);
    }
    {
        std::vector<std::unique_ptr<al::Light>> lights;
        for (int i = 0; i < 9; ++i)
            lights.push_back (std::make_unique<al::Light>());
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ (lights[(size_t) i]->lightNumber, i);
        EXPECT_EQ (lights[8]->lightNumber, 7);
        lights[8].reset();
        EXPECT_EQ (al::lightPool[7], 0);
    }
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ (al::lightPool[i], 0);
}

} // namespace
