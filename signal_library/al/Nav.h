#pragma once

#include "al/Pose.h"

namespace al
{

// A pose that moves itself: the owner sets the wanted move and turning rate, and
// each step smooths them, turns about the pose's own axes and moves along the
// turned axes. Moves are given along right, up and forward (not x, y, z).
class Nav : public Pose
{
public:
    Vec<3, double> moveVel;    // wanted move per unit step: right, up, forward
    Vec<3, double> moveStep;   // smoothed move of the last step
    Vec<3, double> spinVel;    // wanted turn per unit step: azimuth, elevation, bank (radians)
    Vec<3, double> spinStep;   // smoothed turn of the last step
    Vec<3, double> turn;       // one-shot turn for the next step
    Vec<3, double> nudge;      // one-shot move for the next step
    Vec<3, double> rightVec;   // rotated x axis
    Vec<3, double> upVec;      // rotated y axis
    Vec<3, double> forwardVec; // rotated negative z axis
    double smoothing = 0.0;    // share of the previous step kept, 0..1
    double stepSize = 1.0;     // dt of the last step

    Nav();

    void step (double dt);
};

} // namespace al
