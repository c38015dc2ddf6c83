#include "al/SoundSource.h"

namespace al
{

SoundSource::SoundSource (double nearDistance, double farDistance, AttenuationLaw law, DopplerType dopplerType_,
                          double farBias, int delaySize)
    : DistAtten<double> (nearDistance, farDistance, law, farBias),
      delayLine (delaySize > 0 ? unsigned (delaySize) : 1u, 0.0f), useAttenuation (true), dopplerType (dopplerType_),
      usePerSampleProcessing (false)
{
    // Far away until the scene has pushed real positions, so the first
    // velocity-based delay sees a large approach rather than garbage.
    const Vec<3, double> farAway (1000.0, 0.0, 0.0);
    for (int k = 0; k < 4; ++k)
        posHistory (farAway);
}

void SoundSource::onProcessSample (int)
{
}

float SoundSource::readSample (double delay) const
{
    const int n = delayLine.size();
    const float* e = delayLine.elements.data();
    const int p = delayLine.writePos;
    if (n < 2)
        return e[0];

    const double maxDelay = double (n - 2);
    if (!(delay >= 0.0))
        delay = 0.0;
    else if (delay > maxDelay)
        delay = maxDelay;

    const int i = int (delay);
    const float f = float (delay - i);

    auto wrap = [n] (int k) { return k < 0 ? k + n : (k >= n ? k - n : k); };
    // Below one sample of delay there is no newer sample: the slot after the
    // newest holds the oldest one, so the newest stands in for its neighbour.
    const float ym1 = i == 0 ? e[p] : e[wrap (p - i + 1)];
    const float y0 = e[wrap (p - i)];
    const float y1 = e[wrap (p - i - 1)];
    const float y2 = e[wrap (p - i - 2)];

    const float c1 = (y1 - ym1) * 0.5f;
    const float c3 = (y2 - ym1) * 0.5f + (y0 - y1) * 1.5f;
    const float c2 = ym1 + c1 - y0 - c3;
    return ((c3 * f + c2) * f + c1) * f + y0;
}

} // namespace al
