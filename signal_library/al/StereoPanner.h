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

private:
    void gainsFor (double angle, float& left, float& right);

    // The gains of the latest angle: a source beyond one metre to either side pans
    // at the clamped angle frame after frame, and the cosine and sine of an angle
    // are the same each time.
    bool gainsValid = false;
    double gainsAngle = 0.0;
    float gainLeft = 0.0f, gainRight = 0.0f;
};

} // namespace al
