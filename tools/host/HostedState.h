#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Hands a hosted plug-in its own state block (what its getStateInformation writes,
// as in its preset files) and takes it back. Each plug-in format wraps that block in
// a container of its own: VST3 hosts keep the component's stream in base64 inside an
// XML element, VST hosts exchange it as a chunk, and LV2 hosts as a base64 string
// property of a Turtle state. On failure the reason is in error.
bool setHostedPluginState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& state, juce::String& error);
bool getHostedPluginState (juce::AudioPluginInstance& instance, juce::MemoryBlock& state, juce::String& error);

// What an LV2 host holds of the block: the framework's text form of it (the number of
// bytes, a dot, the bytes in its own base64), handed over as it is.
bool setHostedLv2StateText (juce::AudioPluginInstance& instance, const juce::String& text, juce::String& error);
