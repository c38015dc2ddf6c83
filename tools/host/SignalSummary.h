#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// What a listener would first want to know of a render: how loud it is and which
// frequency dominates it.
struct SignalSummary
{
    float peak = 0.0f;      // largest magnitude of the finite samples
    double rms = 0.0;       // over all channels and the finite samples
    int nonFinite = 0;      // samples that are NaN or infinite
    double strongest = 0.0; // Hz; 0 when the signal is silent or too short

    static SignalSummary of (const juce::AudioBuffer<float>& audio, double sampleRate);

    // e.g. "peak 0.5012 (-6.0 dBFS), RMS 0.2034 (-13.8 dBFS), strongest 301.0 Hz"
    juce::String toString() const;
};
