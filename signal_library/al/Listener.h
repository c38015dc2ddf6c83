#pragma once

#include "al/AudioSceneObject.h"

namespace al
{

class Spatializer;

// A hearing point and the panner that renders for it. Created and owned by
// AudioScene; the panner is not owned.
class Listener : public AudioSceneObject
{
public:
    Spatializer* panner;

    Listener (int numFrames, Spatializer* panner);

    Listener (const Listener&) = delete;
    Listener& operator= (const Listener&) = delete;

    void numFrames (unsigned n);
};

} // namespace al
