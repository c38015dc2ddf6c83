#pragma once

#include "SpawnedProcess.h"

#include <gtest/gtest.h>

#include <cmath>

// Renders through our host program in a child process, with the built binaries of the
// three formats, and reads back what it wrote.

struct PluginFormat
{
    const char* name;
    const char* plugin; // the host program's argument: a bundle, a binary or an LV2 URI
};

inline const PluginFormat pluginFormats[] = {
    { "VST3", TORAVEL_VST3_BUNDLE },
    { "LV2", TORAVEL_LV2_URI },
    { "VST", TORAVEL_VST_BINARY },
};

inline void PrintTo (const PluginFormat& format, std::ostream* os)
{
    *os << format.name;
}

inline std::string formatName (const ::testing::TestParamInfo<PluginFormat>& info)
{
    return info.param.name;
}

// A temporary home holding the LV2 bundle in its .lv2 folder, the one place besides
// the system folders where the framework's LV2 host finds a plug-in by its URI, and a
// scratch folder for the files of one test.
class RenderHome
{
public:
    RenderHome()
        : home (juce::File::getSpecialLocation (juce::File::tempDirectory)
                    .getNonexistentChildFile ("toravel-render-test", "", false))
    {
        home.getChildFile (".lv2").createDirectory();
        installed = juce::File (TORAVEL_LV2_BUNDLE).copyDirectoryTo (lv2Bundle());
    }

    ~RenderHome() { home.deleteRecursively(); }

    bool isReady() const { return installed; }
    juce::File file (const juce::String& name) const { return home.getChildFile (name); }
    juce::File lv2Folder() const { return home.getChildFile (".lv2"); }
    juce::File lv2Bundle() const { return lv2Folder().getChildFile ("Toravel.lv2"); }
    SpawnedProcess::Environment environment() const { return environmentWithHome (home); }

    ProgramResult render (const juce::String& plugin, const juce::StringArray& options) const
    {
        return run ("render", plugin, options);
    }

    // One of the host program's commands.
    ProgramResult run (const char* subcommand, const juce::String& plugin, const juce::StringArray& options) const
    {
        juce::StringArray command{ TORAVEL_HOST_PROGRAM, subcommand };
        if (plugin.isNotEmpty())
            command.add (plugin);
        command.addArray (options);
        return runProgram (command, environment());
    }

private:
    juce::File home;
    bool installed = false;
};

struct WavFile
{
    bool valid = false;
    double sampleRate = 0.0;
    int bitsPerSample = 0;
    bool floatingPoint = false;
    juce::AudioBuffer<float> audio;

    static WavFile read (const juce::File& file)
    {
        WavFile wav;
        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatReader> reader (
            format.createReaderFor (file.createInputStream().release(), true));
        if (reader == nullptr)
            return wav;
        wav.sampleRate = reader->sampleRate;
        wav.bitsPerSample = (int) reader->bitsPerSample;
        wav.floatingPoint = reader->usesFloatingPointData;
        wav.audio.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
        wav.valid = reader->read (&wav.audio, 0, (int) reader->lengthInSamples, 0, true, true);
        return wav;
    }

    int nonFiniteSamples() const
    {
        int count = 0;
        for (int c = 0; c < audio.getNumChannels(); ++c)
            for (int i = 0; i < audio.getNumSamples(); ++i)
                count += std::isfinite (audio.getSample (c, i)) ? 0 : 1;
        return count;
    }

    // Root mean square over all channels of the samples from..to (seconds).
    double rms (double from, double to) const
    {
        const int begin = juce::jlimit (0, audio.getNumSamples(), (int) (from * sampleRate));
        const int end = juce::jlimit (begin, audio.getNumSamples(), (int) (to * sampleRate));
        double sum = 0.0;
        for (int c = 0; c < audio.getNumChannels(); ++c)
            for (int i = begin; i < end; ++i)
                sum += (double) audio.getSample (c, i) * audio.getSample (c, i);
        const auto count = (double) (end - begin) * audio.getNumChannels();
        return count > 0.0 ? std::sqrt (sum / count) : 0.0;
    }
};

// The number after "strongest " in the summary line the host program ends with; 0 if absent.
inline double strongestFrequencyIn (const juce::String& output)
{
    const auto lines = juce::StringArray::fromLines (output.trimEnd());
    const auto last = lines[lines.size() - 1];
    if (!last.contains ("strongest "))
        return 0.0;
    return last.fromLastOccurrenceOf ("strongest ", false, false).getDoubleValue();
}
