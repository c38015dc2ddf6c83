#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// What a host reads from the plug-in's own format interface beyond the framework's
// hosting classes: the names in a VST3 program list (the framework lists no programs
// for a plug-in with just one), and the two version numbers of a VST 2.4 effect.
// Adds them to the description object; other formats add nothing.
void addFormatAnswers (juce::AudioPluginInstance& instance, juce::DynamicObject& description);
