#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

// Finds and instantiates one plug-in from a VST3 bundle, a VST .so, an LV2 bundle
// or an LV2 URI, through the framework's own hosting classes, so that what the
// caller sees is what a host built on them sees.
class PluginLoader
{
public:
    PluginLoader();

    // Empty on failure, with the reason in error.
    std::unique_ptr<juce::AudioPluginInstance> load (const juce::String& fileOrUri, double sampleRate, int blockSize,
                                                     juce::PluginDescription& description, juce::String& error);

private:
    juce::AudioPluginFormat* formatFor (const juce::String& fileOrUri) const;
    juce::String lv2Identifier (const juce::String& fileOrUri, juce::String& error);

    juce::AudioPluginFormatManager formats;
};

// The binary of the wanted format ("vst3", "lv2" or "vst") that the build put beside
// this program: the program lives in <build>/tools, the plug-in in
// <build>/Toravel_artefacts/<configuration>.
juce::String builtPlugin (const juce::String& format);
