#include "SignalSummary.h"

#include <cmath>
#include <complex>
#include <vector>

namespace
{
void fft (std::vector<std::complex<double>>& data)
{
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i)
    {
        size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap (data[i], data[j]);
    }

    for (size_t length = 2; length <= n; length <<= 1)
    {
        const auto step = std::polar (1.0, -2.0 * juce::MathConstants<double>::pi / (double) length);
        for (size_t start = 0; start < n; start += length)
        {
            std::complex<double> w (1.0);
            for (size_t k = 0; k < length / 2; ++k)
            {
                const auto even = data[start + k];
                const auto odd = data[start + k + length / 2] * w;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                w *= step;
            }
        }
    }
}

// Averaged power spectrum (Hann windows overlapping by half) of the channels' mean;
// the strongest bin, refined by a parabola through the log powers of its neighbours.
double strongestFrequency (const juce::AudioBuffer<float>& audio, double sampleRate)
{
    const int total = audio.getNumSamples();
    const int channels = audio.getNumChannels();
    if (channels == 0 || total < 64)
        return 0.0;

    int size = 64;
    while (size * 2 <= total && size < 32768)
        size *= 2;

    std::vector<double> window ((size_t) size);
    for (int i = 0; i < size; ++i)
        window[(size_t) i] = 0.5 - 0.5 * std::cos (2.0 * juce::MathConstants<double>::pi * i / size);

    std::vector<double> power ((size_t) size / 2 + 1, 0.0);
    std::vector<std::complex<double>> frame ((size_t) size);
    for (int start = 0; start + size <= total; start += size / 2)
    {
        for (int i = 0; i < size; ++i)
        {
            double sum = 0.0;
            for (int c = 0; c < channels; ++c)
            {
                const auto x = (double) audio.getSample (c, start + i);
                sum += std::isfinite (x) ? x : 0.0;
            }
            frame[(size_t) i] = sum / channels * window[(size_t) i];
        }
        fft (frame);
        for (size_t k = 0; k < power.size(); ++k)
            power[k] += std::norm (frame[k]);
    }

    size_t best = 1;
    for (size_t k = 2; k < power.size(); ++k)
        if (power[k] > power[best])
            best = k;
    if (!(power[best] > 0.0))
        return 0.0;

    double offset = 0.0;
    if (best + 1 < power.size() && power[best - 1] > 0.0 && power[best + 1] > 0.0)
    {
        const auto a = std::log (power[best - 1]), b = std::log (power[best]), c = std::log (power[best + 1]);
        const auto curvature = a - 2.0 * b + c;
        if (curvature < 0.0)
            offset = 0.5 * (a - c) / curvature;
    }
    return ((double) best + offset) * sampleRate / size;
}

juce::String decibels (double gain)
{
    return gain > 0.0 ? juce::String (20.0 * std::log10 (gain), 1) + " dBFS" : juce::String ("-inf dBFS");
}
} // namespace

SignalSummary SignalSummary::of (const juce::AudioBuffer<float>& audio, double sampleRate)
{
    SignalSummary summary;
    double sumOfSquares = 0.0;
    juce::int64 finite = 0;
    for (int c = 0; c < audio.getNumChannels(); ++c)
    {
        const auto* samples = audio.getReadPointer (c);
        for (int i = 0; i < audio.getNumSamples(); ++i)
        {
            if (!std::isfinite (samples[i]))
            {
                ++summary.nonFinite;
                continue;
            }
            summary.peak = std::max (summary.peak, std::abs (samples[i]));
            sumOfSquares += (double) samples[i] * samples[i];
            ++finite;
        }
    }
    summary.rms = finite > 0 ? std::sqrt (sumOfSquares / (double) finite) : 0.0;
    summary.strongest = summary.peak > 0.0f ? strongestFrequency (audio, sampleRate) : 0.0;
    return summary;
}

juce::String SignalSummary::toString() const
{
    auto text = "peak " + juce::String (peak, 4) + " (" + decibels (peak) + "), RMS " + juce::String (rms, 4) + " (" +
                decibels (rms) + "), strongest " +
                (strongest > 0.0 ? juce::String (strongest, 1) + " Hz" : juce::String ("none"));
    if (nonFinite > 0)
        text << ", " << nonFinite << " samples not finite";
    return text;
}
