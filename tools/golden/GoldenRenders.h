#pragma once

#include "../host/RenderJob.h"

#include <vector>

// Three short renders of fixed settings whose samples are kept under tests/data. The
// processor built into a test must reproduce them bit for bit, and so must every
// plug-in binary rendered by the host program with renderArguments(); a change that
// alters them is either a fault or a deliberate change of sound, after which the
// files are made again with toravel-golden.
//
// No setting uses the noise source: it is seeded from the clock.

struct GoldenNote
{
    int note;
    double start, length; // seconds; at most six decimals, so that text carries them exactly
};

struct GoldenRender
{
    const char* name;
    std::vector<ParameterSetting> settings;
    std::vector<GoldenNote> notes;

    static constexpr double sampleRate = 44100.0;
    static constexpr int blockSize = 512;
    static constexpr double seconds = 0.5;

    juce::String fileName() const { return juce::String ("golden_") + name + ".wav"; }

    RenderJob job() const
    {
        RenderJob job;
        job.sampleRate = sampleRate;
        job.blockSize = blockSize;
        job.seconds = seconds;
        job.settings = settings;
        for (const auto& n : notes)
        {
            job.events.addEvent (juce::MidiMessage::noteOn (1, n.note, (juce::uint8) 100).withTimeStamp (n.start));
            job.events.addEvent (juce::MidiMessage::noteOff (1, n.note).withTimeStamp (n.start + n.length));
        }
        job.events.sort();
        job.events.updateMatchedPairs();
        return job;
    }

    // The same render as options of "toravel-host render".
    juce::StringArray renderArguments() const
    {
        juce::StringArray args{ "--rate",    juce::String (sampleRate, 0), "--block", juce::String (blockSize),
                                "--seconds", juce::String (seconds, 6),    "--bits",  "32" };
        for (const auto& s : settings)
            args.addArray ({ "--set", s.name + "=" + juce::String (s.value, 9) });
        for (const auto& n : notes)
            args.addArray ({ "--note", juce::String (n.note) + ":" + juce::String (n.start, 6) + ":" +
                                           juce::String (n.length, 6) });
        return args;
    }
};

inline std::vector<GoldenRender> goldenRenders()
{
    return {
        // The plug-in as it opens, without the envelope: a sine carrier swept by the
        // default motion along x.
        { "default_motion", { { "ADSR", 0.0f } }, {} },

        // Two notes through the envelope: a saw moving on x and y under the physical
        // Doppler law and inverse-square attenuation, through the single biquad.
        { "saw_notes",
          { { "ADSR", 1.0f },
            { "attack", 0.005f },
            { "decay", 0.02f },
            { "sustain", 0.6f },
            { "release", 0.02f },
            { "osc1_type", 1.0f / 6.0f },
            { "vel_x", 0.05f },
            { "vel_y", 0.03f },
            { "bnd_y1", 0.3f },
            { "bnd_y2", 0.2f },
            { "doppler_type", 1.0f / 3.0f },
            { "gain_type", 0.5f },
            { "filter_type", 0.5f } },
          { { 57, 0.0, 0.2 }, { 64, 0.25, 0.15 } } },

        // A square in triangle motion on all three axes with symmetric bounds, speeds
        // derived from ratios and bounds, equal Doppler shifts and no panning or
        // anti-aliasing filter.
        { "square_locked",
          { { "osc1_type", 2.0f / 6.0f },
            { "carrier", 0.22f },
            { "motion_type", 0.5f },
            { "ratio_type", 1.0f },
            { "ratio_x", 0.9f },
            { "ratio_y", 0.85f },
            { "ratio_z", 0.95f },
            { "bnd_x1", 0.15f },
            { "bnd_y1", 0.12f },
            { "bnd_z1", 0.1f },
            { "symm_x", 1.0f },
            { "symm_y", 1.0f },
            { "symm_z", 1.0f },
            { "doppler_type", 2.0f / 3.0f },
            { "pan_type", 0.0f },
            { "filter_type", 1.0f } },
          {} },
    };
}
