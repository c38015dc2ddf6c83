#pragma once

#include "al/Quat.h"
#include "al/Vec.h"

namespace al
{

// Position plus orientation. A new pose sits at the origin facing negative z.
struct Pose
{
    Vec<3, double> pos;
    Quat<double> quat;

    Pose() = default;
    Pose (const Vec<3, double>& p, const Quat<double>& q = Quat<double>()) : pos (p), quat (q) {}

    // The rotated x, y and z axes of the orientation.
    template <class T>
    void unitVectors (Vec<3, T>& ux, Vec<3, T>& uy, Vec<3, T>& uz) const
    {
        double a, b, c;
        quat.toVectorX (a, b, c);
        ux = Vec<3, T> (a, b, c);
        quat.toVectorY (a, b, c);
        uy = Vec<3, T> (a, b, c);
        quat.toVectorZ (a, b, c);
        uz = Vec<3, T> (a, b, c);
    }

    // Forward is the rotated negative z axis.
    template <class T>
    void directionVectors (Vec<3, T>& right, Vec<3, T>& up, Vec<3, T>& forward) const
    {
        unitVectors (right, up, forward);
        forward = -forward;
    }
};

} // namespace al
