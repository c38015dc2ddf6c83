#include "al/Dbap.h"

#include <cmath>
#include <cstddef>
#include <cstdio>

namespace al
{

Dbap::Dbap (const SpeakerLayout& layout, float focus_) : Spatializer (layout), deviceChannels(), focus (focus_)
{
}

Dbap::~Dbap() = default;

void Dbap::compile (Listener&)
{
    const int count = int (speakers.size());
    std::printf ("DBAP Compiled with %d speakers\n", count);
    if (count > maxSpeakers)
        std::printf ("DBAP supports at most %d speakers; the others stay silent\n", maxSpeakers);
    std::fflush (stdout);

    numSpeakers = count < maxSpeakers ? count : maxSpeakers;
    for (int i = 0; i < numSpeakers; ++i)
    {
        const Speaker& s = speakers[(std::size_t) i];
        const double az = s.azimuth * 3.141592653589793 / 180;
        const double el = s.elevation * 3.141592653589793 / 180;
        const double r = s.radius;
        speakerVecs[i] = Vec<3, float> (float (r * std::sin (az) * std::cos (el)), float (r * std::sin (el)),
                                        float (-r * std::cos (az) * std::cos (el)));
        deviceChannels[i] = s.deviceChannel;
    }
}

float Dbap::gainFor (int i, const Vec<3, double>& rel) const
{
    if (!enabled)
        return 1.0f;
    const float d = float ((rel - Vec<3, double> (speakerVecs[i])).mag());
    const float g = 1.0f / (d + 1.0f);
    // The usual focus of 1 leaves the gain as it is: powf(g, 1) is g, bit for bit,
    // for every float but NaN, whose payload the library may change.
    if (focus == 1.0f && !std::isnan (g))
        return g;
    return powf (g, focus);
}

void Dbap::perform (float** outputs, SoundSource&, Vec<3, double>& rel, const int&, int& frameIndex, float& sample)
{
    for (int i = 0; i < numSpeakers; ++i)
    {
        if (deviceChannels[i] < 0)
            continue;
        const float g = gainFor (i, rel);
        outputs[deviceChannels[i]][frameIndex] += g * sample;
    }
}

void Dbap::perform (float** outputs, SoundSource&, Vec<3, double>& rel, const int& numFrames, float* samples)
{
    for (int i = 0; i < numSpeakers; ++i)
    {
        if (deviceChannels[i] < 0)
            continue;
        const float g = gainFor (i, rel);
        float* out = outputs[deviceChannels[i]];
        for (int k = 0; k < numFrames; ++k)
            out[k] += samples[k] * g;
    }
}

void Dbap::print()
{
    std::printf ("Using DBAP Panning- need to add panner info for print function\n");
    std::fflush (stdout);
}

} // namespace al
