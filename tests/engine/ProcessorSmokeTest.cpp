#include "PluginProcessor.h"
#include <gtest/gtest.h>

TEST (ProcessorSmoke, FactoryMakesToravel)
{
    std::unique_ptr<juce::AudioProcessor> p (createPluginFilter());
    EXPECT_EQ (p->getName(), juce::String ("Toravel"));
}
