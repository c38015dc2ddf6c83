#pragma once

#include "PluginProcessor.h"

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

// Choices are sent as a host sends them: index / (steps - 1).
inline void choose (QuorvelV2AudioProcessor& p, int index, int item)
{
    p.setParameter (index, (float) item / (float) (p.getParameterNumSteps (index) - 1));
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
