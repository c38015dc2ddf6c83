#include "al/Nav.h"

#include <cmath>

namespace al
{

namespace
{
bool isFinite (const Vec<3, double>& v)
{
    return std::isfinite (v[0]) && std::isfinite (v[1]) && std::isfinite (v[2]);
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

    moveStep = Vec<3, double>::lerp (moveStep, moveVel * dt + nudge, k);
    spinStep = Vec<3, double>::lerp (spinStep, spinVel * dt + turn, k);
    // The smoothing feeds each step into the next, so one non-finite request
    // would stick forever; such a step neither moves nor turns instead.
    if (!isFinite (moveStep))
        moveStep = Vec<3, double>();
    if (!isFinite (spinStep))
        spinStep = Vec<3, double>();
    turn = Vec<3, double>();
    nudge = Vec<3, double>();

    const Quat<double> q = Quat<double>::makeFromEuler (spinStep[0], spinStep[1], spinStep[2]);
    quat = quat * q;
    quat.normalize();
    directionVectors (rightVec, upVec, forwardVec);

    for (int i = 0; i < 3; ++i)
        pos[i] = pos[i] + (rightVec[i] * moveStep[0] + upVec[i] * moveStep[1] + forwardVec[i] * moveStep[2]);
}

} // namespace al
