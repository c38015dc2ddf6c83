#include "al/StereoPanner.h"

#include <cmath>
#include <cstdio>

namespace al
{

namespace
{
constexpr double halfPi = 1.5707963267948966;

double panAngle (const Vec<3, double>& rel)
{
    float x = float (rel[0]);
    if (x < -1.0f)
        x = -1.0f;
    else if (x > 1.0f)
        x = 1.0f;
    return double ((x + 1.0f) * 0.5f) * halfPi;
}
} // namespace

StereoPanner::StereoPanner (const SpeakerLayout& layout) : Spatializer (layout)
{
}

StereoPanner::~StereoPanner() = default;

void StereoPanner::compile (Listener&)
{
    numSpeakers = int (speakers.size());
    if (numSpeakers == 2)
        std::printf ("Stereo Panner Compiled with %d speakers\n", 2);
    else
        std::printf ("Stereo Panner Requires exactly 2 speakers, no panning will occur!\n");
    std::fflush (stdout);
}

void StereoPanner::perform (float** outputs, SoundSource&, Vec<3, double>& rel, const int&, int& frameIndex,
                            float& sample)
{
    const int j = frameIndex;
    if (numSpeakers == 2 && enabled)
    {
        const double angle = panAngle (rel);
        const float gL = float (std::cos (angle));
        const float gR = float (std::sin (angle));
        outputs[0][j] = gL * sample;
        outputs[1][j] = gR * sample;
        return;
    }
    for (int c = 0; c < numSpeakers; ++c)
        outputs[c][j] = 0.5f * sample;
}

void StereoPanner::perform (float** outputs, SoundSource&, Vec<3, double>& rel, const int& numFrames, float* samples)
{
    if (numSpeakers == 2 && enabled)
    {
        const double angle = panAngle (rel);
        const float gL = float (std::cos (angle));
        const float gR = float (std::sin (angle));
        for (int k = 0; k < numFrames; ++k)
        {
            outputs[0][k] = samples[k] * gL;
            outputs[1][k] = samples[k] * gR;
        }
        return;
    }
    for (int c = 0; c < numSpeakers; ++c)
        for (int k = 0; k < numFrames; ++k)
            outputs[c][k] = samples[k];
}

} // namespace al
