#include <JuceHeader.h>
#include <gtest/gtest.h>

// The framework's message manager and singletons must exist for the whole run of
// a suite that builds processors, editors or plug-in hosts.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
