#pragma once

#include "al/Speaker.h"
#include "al/Vec.h"

#include <vector>

namespace al
{

class Listener;
class SoundSource;

// Base of the panners: distributes one source's sample over output channels
// from its position relative to the listener (world coordinates, metres).
// Panners copy their layout; `enabled` is the panning switch, written by the
// owner between blocks. prepare, perform and finalize run on the audio thread
// inside the scene's render and must not allocate.
class Spatializer
{
public:
    std::vector<Speaker> speakers;
    bool enabled = true;

    explicit Spatializer (const SpeakerLayout& layout);
    virtual ~Spatializer();

    Spatializer (const Spatializer&) = delete;
    Spatializer& operator= (const Spatializer&) = delete;

    virtual void numFrames (int) {}

    // Called once for every listener created on this panner; fixes the panner's
    // speaker tables from `speakers`.
    virtual void compile (Listener&) {}

    virtual void prepare() {}

    // Writes frame `frameIndex` of the outputs.
    virtual void perform (float** outputs, SoundSource& src, Vec<3, double>& rel, const int& numFrames, int& frameIndex,
                          float& sample) = 0;

    // Writes frames 0 .. numFrames - 1 of the outputs from `samples`.
    virtual void perform (float** outputs, SoundSource& src, Vec<3, double>& rel, const int& numFrames,
                          float* samples) = 0;

    virtual void finalize (float**, int) {}

    virtual void print() {}
};

} // namespace al
