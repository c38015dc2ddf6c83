#include "al/Nav.h"

namespace al
{

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
