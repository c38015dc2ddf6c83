#pragma once

#include <cmath>
#include <vector>

namespace toravel::test
{

// Amplitude of the sinusoid at `hz` in a block, through a Hann window so that
// components a few bins away do not leak into the estimate.
inline double amplitudeAt (const std::vector<float>& x, double hz, double sampleRate)
{
    const double w = 2.0 * M_PI * hz / sampleRate;
    const double n = (double) x.size();
    double re = 0.0, im = 0.0, windowSum = 0.0;
    for (size_t i = 0; i < x.size(); ++i)
    {
        const double window = 0.5 - 0.5 * std::cos (2.0 * M_PI * (double) i / (n - 1.0));
        re += window * x[i] * std::cos (w * (double) i);
        im -= window * x[i] * std::sin (w * (double) i);
        windowSum += window;
    }
    return 2.0 * std::sqrt (re * re + im * im) / windowSum;
}

inline double meanSquare (const std::vector<float>& x)
{
    double sum = 0.0;
    for (float v : x)
        sum += (double) v * v;
    return sum / (double) x.size();
}

// Frequency from the number of upward zero crossings over the block.
inline double zeroCrossingRate (const std::vector<float>& x, double sampleRate)
{
    int crossings = 0;
    int first = -1, last = -1;
    for (size_t i = 1; i < x.size(); ++i)
        if (x[i - 1] < 0.0f && x[i] >= 0.0f)
        {
            if (first < 0)
                first = (int) i;
            last = (int) i;
            ++crossings;
        }
    if (crossings < 2)
        return 0.0;
    return (crossings - 1) * sampleRate / (double) (last - first);
}

} // namespace toravel::test
