#include "al/Nav.h"

#include <cmath>

namespace al
{

namespace
{
bool isPositiveZero (double x)
{
    return x == 0.0 && !std::signbit (x);
}

bool isIdentity (const Quat<double>& q)
{
    return q.w == 1.0 && isPositiveZero (q.x) && isPositiveZero (q.y) && isPositiveZero (q.z);
}
} // namespace

Nav::Nav()
{
    quat.normalize();
    directionVectors (rightVec, upVec, forwardVec);
}

void Nav::step (double dt)
{
    stepSize = dt;
    const double k = 1.0 - smoothing;

    // Component by component into locals, the same arithmetic as the vector forms
    // (lerp, the rotated axes): written through the members and read back as
    // vectors, the values would wait on store forwarding at every step.
    double move[3], spin[3];
    for (int i = 0; i < 3; ++i)
    {
        move[i] = ((moveVel[i] * dt + nudge[i]) - moveStep[i]) * k + moveStep[i];
        spin[i] = ((spinVel[i] * dt + turn[i]) - spinStep[i]) * k + spinStep[i];
    }
    // The smoothing feeds each step into the next, so one non-finite request
    // would stick forever; such a step neither moves nor turns instead.
    if (!(std::isfinite (move[0]) && std::isfinite (move[1]) && std::isfinite (move[2])))
        move[0] = move[1] = move[2] = 0.0;
    if (!(std::isfinite (spin[0]) && std::isfinite (spin[1]) && std::isfinite (spin[2])))
        spin[0] = spin[1] = spin[2] = 0.0;
    moveStep = Vec<3, double> (move[0], move[1], move[2]);
    spinStep = Vec<3, double> (spin[0], spin[1], spin[2]);
    turn = Vec<3, double>();
    nudge = Vec<3, double>();

    // The axes come from constants when the pose neither turns nor is turned: the turn
    // of +0 angles is the identity with +0 components, the product keeps the identity
    // and normalising leaves it, and these are its axes, signed zeros included.
    static const double identityRight[3] = { 1.0, 0.0, 0.0 };
    static const double identityUp[3] = { 0.0, 1.0, 0.0 };
    static const double identityForward[3] = { -0.0, -0.0, -1.0 };
    const double* right = identityRight;
    const double* up = identityUp;
    const double* forward = identityForward;
    double turnedRight[3], turnedUp[3], turnedForward[3];
    if (!(isPositiveZero (spin[0]) && isPositiveZero (spin[1]) && isPositiveZero (spin[2]) && isIdentity (quat)))
    {
        const Quat<double> q = Quat<double>::makeFromEuler (spin[0], spin[1], spin[2]);
        quat = quat * q;
        quat.normalize();
        quat.toVectorX (turnedRight[0], turnedRight[1], turnedRight[2]);
        quat.toVectorY (turnedUp[0], turnedUp[1], turnedUp[2]);
        quat.toVectorZ (turnedForward[0], turnedForward[1], turnedForward[2]);
        for (int i = 0; i < 3; ++i)
            turnedForward[i] = -turnedForward[i];
        right = turnedRight;
        up = turnedUp;
        forward = turnedForward;
    }
    rightVec = Vec<3, double> (right[0], right[1], right[2]);
    upVec = Vec<3, double> (up[0], up[1], up[2]);
    forwardVec = Vec<3, double> (forward[0], forward[1], forward[2]);

    for (int i = 0; i < 3; ++i)
        pos[i] = pos[i] + (right[i] * move[0] + up[i] * move[1] + forward[i] * move[2]);
}

} // namespace al
