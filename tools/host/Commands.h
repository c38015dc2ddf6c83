#pragma once

#include <juce_core/juce_core.h>

// One subcommand of the host program: its arguments after the subcommand's name.
// Returns the process exit code.
int runInspect (const juce::StringArray& args);
int runRender (const juce::StringArray& args);
int runDamageState (const juce::StringArray& args);
int runEditor (const juce::StringArray& args);
int runEditorLifetimes (const juce::StringArray& args);
