#pragma once

#include <JuceHeader.h>

#include <cstddef>

// A font on a typeface parsed from serialised custom-typeface data. Every call
// builds its own typeface and keeps nothing, so any thread may call it; the data
// is read in place and must outlive the call.
juce::Font getZKCustomFont (const void* data, size_t size);

// The embedded "NewMedia" typeface at the framework's default height.
juce::Font setFontToDizEreviRazu();
