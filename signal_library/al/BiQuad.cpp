#include "al/BiQuad.h"

#include <cmath>
#include <new>

namespace al
{

BiQuad::BiQuad (BIQUADTYPE type_, double sampleRate_) : type (type_), sampleRate (sampleRate_)
{
    set (10000.0, 1.9, 0.0);
}

void BiQuad::set (double frequency, double bandwidth, double gainDb)
{
    if (!(std::isfinite (sampleRate) && sampleRate > 0.0))
        return;

    const double A = std::pow (10.0, gainDb / 40.0);

    if (frequency > 20000.0)
        frequency = 20000.0;
    if (!(frequency > 20.0))
        frequency = 20.0;
    if (sampleRate < 44100.0)
    {
        const double ceiling = 20000.0 * sampleRate / 44100.0;
        if (frequency > ceiling)
            frequency = ceiling;
    }

    const double w0 = 6.283185307179586 * frequency / sampleRate;
    const double sn = std::sin (w0);
    const double cs = std::cos (w0);
    const double alpha = sn * std::sinh (0.34657359027997264 * bandwidth * w0 / sn);

    double nb0, nb1, nb2, na0, na1, na2;
    switch (type)
    {
        case BIQUAD_LOWPASS:
            nb0 = (1.0 - cs) / 2.0;
            nb1 = 1.0 - cs;
            nb2 = (1.0 - cs) / 2.0;
            na0 = 1.0 + alpha;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha;
            break;
        case BIQUAD_HIGHPASS:
            nb0 = (1.0 + cs) / 2.0;
            nb1 = -(1.0 + cs);
            nb2 = (1.0 + cs) / 2.0;
            na0 = 1.0 + alpha;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha;
            break;
        case BIQUAD_BANDPASS:
            nb0 = alpha;
            nb1 = 0.0;
            nb2 = -alpha;
            na0 = 1.0 + alpha;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha;
            break;
        case BIQUAD_NOTCH:
            nb0 = 1.0;
            nb1 = -2.0 * cs;
            nb2 = 1.0;
            na0 = 1.0 + alpha;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha;
            break;
        case BIQUAD_PEAKING:
            nb0 = 1.0 + alpha * A;
            nb1 = -2.0 * cs;
            nb2 = 1.0 - alpha * A;
            na0 = 1.0 + alpha / A;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha / A;
            break;
        case BIQUAD_LOWSHELF:
        {
            const double beta = sn * std::sqrt (A + A);
            nb0 = A * ((A + 1.0) - (A - 1.0) * cs + beta);
            nb1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * cs);
            nb2 = A * ((A + 1.0) - (A - 1.0) * cs - beta);
            na0 = (A + 1.0) + (A - 1.0) * cs + beta;
            na1 = -2.0 * ((A - 1.0) + (A + 1.0) * cs);
            na2 = (A + 1.0) + (A - 1.0) * cs - beta;
            break;
        }
        case BIQUAD_HIGHSHELF:
        {
            const double beta = sn * std::sqrt (A + A);
            nb0 = A * ((A + 1.0) + (A - 1.0) * cs + beta);
            nb1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * cs);
            nb2 = A * ((A + 1.0) + (A - 1.0) * cs - beta);
            na0 = (A + 1.0) - (A - 1.0) * cs + beta;
            na1 = 2.0 * ((A - 1.0) - (A + 1.0) * cs);
            na2 = (A + 1.0) - (A - 1.0) * cs - beta;
            break;
        }
        default:
            return;
    }

    const double c0 = nb0 / na0, c1 = nb1 / na0, c2 = nb2 / na0, d1 = na1 / na0, d2 = na2 / na0;

    // The formulas give a stable filter for every positive bandwidth below half the rate;
    // a design that is not finite or not stable (a bandwidth of zero or less, NaN
    // arguments) would ring or blow up for good, so the running design stays instead.
    if (!std::isfinite (c0 + c1 + c2 + d1 + d2) || !(std::abs (d2) < 1.0 && std::abs (d1) < 1.0 + d2))
        return;

    b0 = c0;
    b1 = c1;
    b2 = c2;
    a1 = d1;
    a2 = d2;
}

void BiQuad::processBuffer (float* samples, int count)
{
    for (int i = 0; i < count; ++i)
        samples[i] = (float) (*this) ((double) samples[i]);
}

BiQuadNX::BiQuadNX (int numStages_, BIQUADTYPE type, double sampleRate) : numStages (numStages_ > 0 ? numStages_ : 0)
{
    if (numStages == 0)
        return;
    stages = static_cast<BiQuad*> (::operator new (sizeof (BiQuad) * (size_t) numStages));
    for (int i = 0; i < numStages; ++i)
        new (stages + i) BiQuad (type, sampleRate);
}

BiQuadNX::~BiQuadNX()
{
    ::operator delete (stages);
}

void BiQuadNX::set (double frequency, double bandwidth, double gainDb)
{
    for (int i = 0; i < numStages; ++i)
        stages[i].set (frequency, bandwidth, gainDb);
}

void BiQuadNX::setSampleRate (double sampleRate)
{
    for (int i = 0; i < numStages; ++i)
        stages[i].sampleRate = sampleRate;
}

void BiQuadNX::processBuffer (float* samples, int count)
{
    for (int i = 0; i < numStages; ++i)
        stages[i].processBuffer (samples, count);
}

} // namespace al
