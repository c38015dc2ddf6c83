#include "al/Listener.h"

#include "al/Spatializer.h"

namespace al
{

Listener::Listener (int frames, Spatializer* panner_) : panner (panner_)
{
    numFrames (unsigned (frames > 0 ? frames : 0));
}

void Listener::numFrames (unsigned n)
{
    if (panner != nullptr)
        panner->numFrames (int (n));
}

} // namespace al
