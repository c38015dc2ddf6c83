#include "al/Pose.h"

#include "ExpectVec.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double pi = 3.141592653589793;

void expectQuat (const al::Quat<double>& q, double w, double x, double y, double z, double tol = 1e-15)
{
    EXPECT_NEAR (q.w, w, tol);
    EXPECT_NEAR (q.x, x, tol);
    EXPECT_NEAR (q.y, y, tol);
    EXPECT_NEAR (q.z, z, tol);
}
} // namespace

using toravel::test::expectVec;

TEST (Vec, ArithmeticAndLength)
{
    const al::Vec<3, double> a (1.0, 2.0, 3.0), b (4.0, -6.0, 8.0);
    expectVec (a + b, 5.0, -4.0, 11.0);
    expectVec (a - b, -3.0, 8.0, -5.0);
    expectVec (a * 2.0, 2.0, 4.0, 6.0);
    expectVec (b / 2.0, 2.0, -3.0, 4.0);
    EXPECT_DOUBLE_EQ ((al::Vec<3, double> (3.0, 4.0, 12.0).mag()), 13.0);
    EXPECT_EQ ((al::Vec<3, double>().mag()), 0.0);

    // Squares are summed x, y, z: each of the small squares is below half an ulp of 1 and
    // vanishes on its own, while summed z, y, x first they would add up to one ulp.
    const al::Vec<3, double> v (1.0, 1.05e-8, 1.05e-8);
    EXPECT_EQ (v.magSqr(), 1.0);
    EXPECT_NE ((1.05e-8 * 1.05e-8 + 1.05e-8 * 1.05e-8) + 1.0, 1.0);
}

TEST (Vec, NormalizeScalesToTheGivenLength)
{
    al::Vec<3, double> d (3.0, 4.0, 12.0);
    EXPECT_EQ (&d.normalize(), &d);
    EXPECT_EQ (d[0], 3.0 * (1.0 / 13.0));
    EXPECT_EQ (d[1], 4.0 * (1.0 / 13.0));
    EXPECT_EQ (d[2], 12.0 * (1.0 / 13.0));

    al::Vec<3, float> f (0.0f, -3.0f, 4.0f);
    f.normalize (10.0f);
    EXPECT_EQ (f[0], 0.0f);
    EXPECT_EQ (f[1], -3.0f * 2.0f);
    EXPECT_EQ (f[2], 4.0f * 2.0f);
}

TEST (Vec, NormalizeOfAVectorTooShortPointsAlongX)
{
    al::Vec<3, double> tiny (0.0, 1e-21, 0.0);
    tiny.normalize (2.5);
    EXPECT_TRUE ((tiny == al::Vec<3, double> (2.5, 0.0, 0.0)));

    al::Vec<3, float> tinyF (0.0f, 0.0f, -1e-21f);
    tinyF.normalize();
    EXPECT_TRUE ((tinyF == al::Vec<3, float> (1.0f, 0.0f, 0.0f)));

    al::Vec<3, float> zero;
    zero.normalize (0.5f);
    EXPECT_TRUE ((zero == al::Vec<3, float> (0.5f, 0.0f, 0.0f)));

    // Just above the threshold the direction is kept.
    al::Vec<3, double> small (0.0, 1e-19, 0.0);
    small.normalize();
    EXPECT_TRUE ((small == al::Vec<3, double> (0.0, 1.0, 0.0)));
}

TEST (Vec, FloatVectorsWidenExactly)
{
    const al::Vec<3, float> f (0.1f, -2.5f, 3.0f);
    const al::Vec<3, double> d (f);
    EXPECT_EQ (d[0], double (0.1f));
    EXPECT_EQ (d[1], -2.5);
    EXPECT_EQ ((sizeof (al::Vec<3, float>)), 3 * sizeof (float));
    EXPECT_EQ ((sizeof (al::Vec<3, double>)), 3 * sizeof (double));
}

TEST (Vec, Lerp)
{
    const al::Vec<3, double> a, b (2.0, 4.0, 6.0);
    expectVec (al::Vec<3, double>::lerp (a, b, 0.5), 1.0, 2.0, 3.0);
    expectVec (al::Vec<3, double>::lerp (b, a, 0.0), 2.0, 4.0, 6.0);
    expectVec (al::Vec<3, double>::lerp (a, b, 1.0), 2.0, 4.0, 6.0);
}

TEST (Quat, FromEuler)
{
    al::Quat<double> q (0.3, 0.1, 0.2, 0.4);
    expectQuat (q.fromEuler (0.0, 0.0, 0.0), 1.0, 0.0, 0.0, 0.0);
    expectQuat (q.fromEuler (pi / 2, 0.0, 0.0), std::cos (pi / 4), 0.0, std::sin (pi / 4), 0.0);

    // Azimuth about y, elevation about x, bank about z, composed Ry * Rx * Rz.
    const double az = 0.7, el = -0.4, bank = 1.1;
    const al::Quat<double> ry (std::cos (az / 2), 0.0, std::sin (az / 2), 0.0);
    const al::Quat<double> rx (std::cos (el / 2), std::sin (el / 2), 0.0, 0.0);
    const al::Quat<double> rz (std::cos (bank / 2), 0.0, 0.0, std::sin (bank / 2));
    const al::Quat<double> composed = ry * rx * rz;
    q.fromEuler (az, el, bank);
    expectQuat (q, composed.w, composed.x, composed.y, composed.z, 1e-15);
    EXPECT_NEAR (q.magSqr(), 1.0, 1e-15);
}

TEST (Quat, HamiltonProduct)
{
    const al::Quat<double> i (0, 1, 0, 0), j (0, 0, 1, 0), k (0, 0, 0, 1);
    expectQuat (i * j, 0, 0, 0, 1);
    expectQuat (j * i, 0, 0, 0, -1);
    expectQuat (j * k, 0, 1, 0, 0);
    expectQuat (i * i, -1, 0, 0, 0);
    const al::Quat<double> p (1, 2, 3, 4), q (5, 6, 7, 8);
    expectQuat (p * q, -60, 12, 30, 24);
}

TEST (Quat, NormalizeBands)
{
    al::Quat<double> q (2, 0, 0, 0);
    expectQuat (q.normalize(), 1, 0, 0, 0, 0.0);

    q = al::Quat<double> (1.0000004, 0, 0, 0);
    EXPECT_EQ (q.normalize().w, 1.0000004);

    q = al::Quat<double> (0.01, 0, 0, 0);
    expectQuat (q.normalize(), 1, 0, 0, 0, 0.0);

    q = al::Quat<double> (0, 0, 0, 0);
    expectQuat (q.normalize(), 1, 0, 0, 0, 0.0);

    q = al::Quat<double> (0, 3, 0, 4);
    expectQuat (q.normalize(), 0, 0.6, 0, 0.8);

    // Just above the collapse threshold the quaternion is scaled, not reset.
    q = al::Quat<double> (0, 0.0, 0.02, 0);
    expectQuat (q.normalize(), 0, 0, 1, 0);
}

TEST (Quat, NormalizeRecoversFromNonFiniteComponents)
{
    al::Quat<double> q (std::nan (""), 0, 0, 0);
    expectQuat (q.normalize(), 1, 0, 0, 0, 0.0);
    q = al::Quat<double> (HUGE_VAL, 1, 0, 0);
    expectQuat (q.normalize(), 1, 0, 0, 0, 0.0);
}

TEST (Quat, RotatedAxesOfQuarterTurnAboutY)
{
    al::Quat<double> q;
    q.fromEuler (pi / 2, 0, 0);
    double x, y, z;
    q.toVectorX (x, y, z);
    EXPECT_NEAR (x, 0, 1e-15);
    EXPECT_NEAR (y, 0, 1e-15);
    EXPECT_NEAR (z, -1, 1e-15);
    q.toVectorY (x, y, z);
    EXPECT_NEAR (x, 0, 1e-15);
    EXPECT_NEAR (y, 1, 1e-15);
    EXPECT_NEAR (z, 0, 1e-15);
    q.toVectorZ (x, y, z);
    EXPECT_NEAR (x, 1, 1e-15);
    EXPECT_NEAR (y, 0, 1e-15);
    EXPECT_NEAR (z, 0, 1e-15);
}

TEST (Pose, IdentityDirectionVectors)
{
    const al::Pose pose;
    expectVec (pose.pos, 0, 0, 0, 0.0);
    al::Vec<3, double> right, up, forward;
    pose.directionVectors<double> (right, up, forward);
    expectVec (right, 1, 0, 0, 0.0);
    expectVec (up, 0, 1, 0, 0.0);
    expectVec (forward, 0, 0, -1, 0.0);

    al::Vec<3, double> ux, uy, uz;
    pose.unitVectors<double> (ux, uy, uz);
    expectVec (uz, 0, 0, 1, 0.0);
}

TEST (Pose, AxesStayOrthonormalUnderRotation)
{
    al::Pose pose;
    pose.quat.fromEuler (0.3, -1.2, 2.5);
    al::Vec<3, double> r, u, f;
    pose.directionVectors<double> (r, u, f);
    for (const auto* v : { &r, &u, &f })
        EXPECT_NEAR (v->mag(), 1.0, 1e-14);
    EXPECT_NEAR (r.dot (u), 0.0, 1e-14);
    EXPECT_NEAR (r.dot (f), 0.0, 1e-14);
    EXPECT_NEAR (u.dot (f), 0.0, 1e-14);
    // right x up is the backward axis in a right-handed frame.
    const auto back = al::cross (r, u);
    expectVec (back, -f[0], -f[1], -f[2], 1e-14);
}
