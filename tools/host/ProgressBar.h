#pragma once

#include <juce_core/juce_core.h>

// A one-line bar on standard error for work that takes more than a moment. It draws
// nothing when standard error is not a terminal (a log or a pipe wants no carriage
// returns) or while the work is still young, so quick runs stay quiet.
class ProgressBar
{
public:
    explicit ProgressBar (juce::String label);
    ~ProgressBar();

    void update (double fraction);
    void finish();

private:
    juce::String label;
    bool enabled;
    bool drawn = false;
    juce::uint32 started;
    juce::uint32 lastDrawn = 0;
};
