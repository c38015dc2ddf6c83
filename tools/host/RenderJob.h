#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

// An offline render of any audio processor: the processor built into a test or a
// tool, or a plug-in binary hosted through the framework's formats. Both go through
// these same few functions, so that the one render can be compared with the other
// sample by sample. Header-only, because the host program and the programs that link
// the plug-in's code compile the framework separately.

struct ParameterSetting
{
    juce::String name;
    float value = 0.0f; // normalised, 0..1
};

struct RenderJob
{
    double sampleRate = 44100.0;
    int blockSize = 512;
    double seconds = 2.0;
    std::vector<ParameterSetting> settings;
    juce::MidiMessageSequence events; // timestamps in seconds

    int totalSamples() const { return (int) std::llround (seconds * sampleRate); }
};

// The processor built into a program knows its parameters only by index, the way
// the framework's wrappers drive it; a hosted plug-in has parameter objects. Hosts
// may add parameters of their own (bypass, MIDI controllers) after the plug-in's, so
// a parameter is found by its exact name. -1 when none has it.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
inline int findParameter (juce::AudioProcessor& processor, const juce::String& name)
{
    const auto& objects = processor.getParameters();
    const int count = objects.isEmpty() ? processor.getNumParameters() : objects.size();
    for (int index = 0; index < count; ++index)
        if ((objects.isEmpty() ? processor.getParameterName (index) : objects[index]->getName (1024)) == name)
            return index;
    return -1;
}

inline void setParameterValue (juce::AudioProcessor& processor, int index, float normalised)
{
    const auto& objects = processor.getParameters();
    if (objects.isEmpty())
        processor.setParameter (index, normalised);
    else
        objects[index]->setValue (normalised);
}
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

// Sets each parameter the way a host does; returns the names that match none.
inline juce::StringArray applySettings (juce::AudioProcessor& processor, const std::vector<ParameterSetting>& settings)
{
    juce::StringArray unknown;
    for (const auto& setting : settings)
    {
        const int index = findParameter (processor, setting.name);
        if (index >= 0)
            setParameterValue (processor, index, juce::jlimit (0.0f, 1.0f, setting.value));
        else
            unknown.add (setting.name);
    }
    return unknown;
}

inline void prepareForRender (juce::AudioProcessor& processor, const RenderJob& job)
{
    processor.setNonRealtime (true);
    processor.setRateAndBufferSizeDetails (job.sampleRate, job.blockSize);
    processor.prepareToPlay (job.sampleRate, job.blockSize);
}

// Runs the processor block by block over job.seconds with silent inputs and the
// job's MIDI events, each at the sample nearest its time, and keeps the outputs.
// progress, when given, is called after every block with the fraction done.
inline void render (juce::AudioProcessor& processor, const RenderJob& job, juce::AudioBuffer<float>& output,
                    const std::function<void (double)>& progress = {})
{
    const int total = job.totalSamples();
    const int outputs = processor.getTotalNumOutputChannels();
    const int channels = std::max (processor.getTotalNumInputChannels(), outputs);

    output.setSize (outputs, total);
    output.clear();
    juce::AudioBuffer<float> block (channels, job.blockSize);
    juce::MidiBuffer midi;
    midi.ensureSize ((size_t) job.events.getNumEvents() * 8 + 256);

    const auto sampleOf = [&job] (int index)
    { return (juce::int64) std::llround (job.events.getEventTime (index) * job.sampleRate); };

    int nextEvent = 0;
    for (int start = 0; start < total; start += job.blockSize)
    {
        const int length = std::min (job.blockSize, total - start);
        block.clear();
        midi.clear();
        for (; nextEvent < job.events.getNumEvents() && sampleOf (nextEvent) < start + length; ++nextEvent)
        {
            const auto offset = (int) std::max ((juce::int64) 0, sampleOf (nextEvent) - start);
            midi.addEvent (job.events.getEventPointer (nextEvent)->message, offset);
        }

        juce::AudioBuffer<float> view (block.getArrayOfWritePointers(), channels, length);
        processor.processBlock (view, midi);

        for (int c = 0; c < outputs; ++c)
            output.copyFrom (c, start, view, c, 0, length);

        if (progress)
            progress ((double) (start + length) / (double) total);
    }
}
