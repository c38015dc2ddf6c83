#pragma once

#include "al/Pose.h"
#include "al/ShiftBuffer.h"

namespace al
{

// What sources and listeners share: where they are now and the last four
// positions that the scene pushed (index 0 the newest).
struct AudioSceneObject
{
    Pose pose;
    ShiftBuffer<4, Vec<3, double>> posHistory;
};

} // namespace al
