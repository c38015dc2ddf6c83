#pragma once

#include "al/Spatializer.h"

namespace al
{

// Equal-power pan over exactly two speakers, driven by the relative x coordinate
// (clamped to -1 .. 1). Writes channels 0 and 1 whatever the speakers'
// deviceChannel says, and stores rather than adds. With panning off, or a
// layout of other than two speakers, each of the first numSpeakers outputs gets
// half the sample (per-sample form) or a full copy (block form).
class StereoPanner : public Spatializer
{
public:
    int numSpeakers = 0;

    explicit StereoPanner (const SpeakerLayout& layout);
    ~StereoPanner() override;

    void compile (Listener& listener) override;

    void perform (float** outputs, SoundSource& src, Vec<3, double>& rel, const int& numFrames, int& frameIndex,
                  float& sample) override;
    void perform (float** outputs, SoundSource& src, Vec<3, double>& rel, const int& numFrames,
                  float* samples) override;
};

} // namespace al
