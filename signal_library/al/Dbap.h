#pragma once

#include "al/Spatializer.h"

namespace al
{

// Distance-based amplitude panning: each speaker gets (1 / (d + 1))^focus of the
// sample, d the distance from the source to the speaker; gains are not
// normalised across speakers. Adds into the outputs at each speaker's
// deviceChannel. With panning off every speaker gets the whole sample.
//
// The tables are fixed so that compiling never allocates. A layout of more than
// maxSpeakers speakers pans over its first maxSpeakers only; a speaker with a
// negative device channel is compiled but never written.
class Dbap : public Spatializer
{
public:
    static constexpr int maxSpeakers = 192;

    Vec<3, float> speakerVecs[maxSpeakers];
    int deviceChannels[maxSpeakers];
    int numSpeakers = 0;
    float focus;

    Dbap (const SpeakerLayout& layout, float focus = 1.0f);
    ~Dbap() override;

    void compile (Listener& listener) override;

    void perform (float** outputs, SoundSource& src, Vec<3, double>& rel, const int& numFrames, int& frameIndex,
                  float& sample) override;
    void perform (float** outputs, SoundSource& src, Vec<3, double>& rel, const int& numFrames,
                  float* samples) override;

    void print() override;

private:
    float gainFor (int speaker, const Vec<3, double>& rel) const;
};

} // namespace al
