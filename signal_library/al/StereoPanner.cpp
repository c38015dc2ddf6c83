#include "al/StereoPanner.h"

#include <cmath>
#include <cstdio>
#include <cstring>

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

void StereoPanner::gainsFor (double angle, float& left, float& right)
{
    if (!(gainsValid && std::memcmp (&angle, &gainsAngle, sizeof angle) == 0))
    {
        gainLeft = float (std::cos (angle));
        gainRight = float (std::sin (angle));
        gainsAngle = angle;
        gainsValid = true;
    }
    left = gainLeft;
    right = gainRight;
}

void StereoPanner::perform (float** outputs, SoundSource&, Vec<3, double>& rel, const int&, int& frameIndex,
                            float& sample)
{
    const int j = frameIndex;
    if (numSpeakers == 2 && enabled)
    {
        float gL, gR;
        gainsFor (panAngle (rel), gL, gR);
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
        float gL, gR;
        gainsFor (panAngle (rel), gL, gR);
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
