#include "PluginProcessor.h"

#include <gtest/gtest.h>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

TEST (HostAnswers, FactoryMakesTheProcessor)
{
    std::unique_ptr<juce::AudioProcessor> p (createPluginFilter());
    ASSERT_NE (dynamic_cast<QuorvelV2AudioProcessor*> (p.get()), nullptr);
    EXPECT_EQ (p->getName(), "Toravel");
}

TEST (HostAnswers, OneStereoInputAndOutput)
{
    QuorvelV2AudioProcessor p;
    EXPECT_EQ (p.getTotalNumInputChannels(), 2);
    EXPECT_EQ (p.getTotalNumOutputChannels(), 2);
    EXPECT_EQ (p.getBusCount (true), 1);
    EXPECT_EQ (p.getBusCount (false), 1);

    EXPECT_EQ (p.getInputChannelName (0), "1");
    EXPECT_EQ (p.getOutputChannelName (0), "1");
    EXPECT_EQ (p.getInputChannelName (1), "2");
    EXPECT_EQ (p.getOutputChannelName (1), "2");
    EXPECT_EQ (p.getInputChannelName (7), "8");
    EXPECT_EQ (p.getOutputChannelName (7), "8");
    for (int i : { 0, 1, 5, 100 })
    {
        EXPECT_TRUE (p.isInputChannelStereoPair (i));
        EXPECT_TRUE (p.isOutputChannelStereoPair (i));
    }
}

TEST (HostAnswers, NoChannelConfigurationButTwoInTwoOut)
{
    QuorvelV2AudioProcessor p;
    const auto layout = [] (const juce::AudioChannelSet& in, const juce::AudioChannelSet& out)
    {
        juce::AudioProcessor::BusesLayout l;
        l.inputBuses.add (in);
        l.outputBuses.add (out);
        return l;
    };
    EXPECT_TRUE (
        p.checkBusesLayoutSupported (layout (juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo())));
    EXPECT_FALSE (
        p.checkBusesLayoutSupported (layout (juce::AudioChannelSet::mono(), juce::AudioChannelSet::stereo())));
    EXPECT_FALSE (
        p.checkBusesLayoutSupported (layout (juce::AudioChannelSet::stereo(), juce::AudioChannelSet::mono())));
    EXPECT_FALSE (
        p.setBusesLayout (layout (juce::AudioChannelSet::discreteChannels (10), juce::AudioChannelSet::stereo())));
    EXPECT_EQ (p.getTotalNumInputChannels(), 2);
}

TEST (HostAnswers, EffectThatTakesMidiWithoutTailOrLatency)
{
    QuorvelV2AudioProcessor p;
    EXPECT_TRUE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_FALSE (p.isMidiEffect());
    EXPECT_FALSE (p.silenceInProducesSilenceOut());
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_EQ (p.getLatencySamples(), 0);
}

TEST (HostAnswers, IdentityReportedByTheWrappers)
{
    EXPECT_STREQ (JucePlugin_Name, "Toravel");
    EXPECT_EQ (JucePlugin_VersionCode, 0x10000);
    EXPECT_STREQ (JucePlugin_VersionString, "1.0.0");
    EXPECT_EQ (JucePlugin_PluginCode, 0x54726465); // 'Trde'
    EXPECT_EQ (JucePlugin_IsSynth, 0);
    EXPECT_EQ (JucePlugin_WantsMidiInput, 1);
    EXPECT_EQ (JucePlugin_ProducesMidiOutput, 0);
}

TEST (HostAnswers, OneProgramThatNeverChanges)
{
    QuorvelV2AudioProcessor p;
    EXPECT_EQ (p.getNumPrograms(), 1);
    EXPECT_EQ (p.getCurrentProgram(), 0);
    for (int n : { 0, 1, 5, -1 })
    {
        p.setCurrentProgram (n);
        EXPECT_EQ (p.getCurrentProgram(), 0);
        EXPECT_TRUE (p.getProgramName (n).isEmpty());
        p.changeProgramName (n, "renamed");
        EXPECT_TRUE (p.getProgramName (n).isEmpty());
    }
}

TEST (HostAnswers, PresetNameIsACopy)
{
    QuorvelV2AudioProcessor p;
    EXPECT_TRUE (p.getCurrentPresetName().isEmpty());

    juce::String name ("Orbit");
    p.setCurrentPresetName (name);
    name = "changed";
    EXPECT_EQ (p.getCurrentPresetName(), "Orbit");
}

TEST (HostAnswers, CameraStartsAtItsDefaults)
{
    QuorvelV2AudioProcessor p;
    EXPECT_EQ (p.phi, 5.0f);
    EXPECT_EQ (p.theta, -7.0f);
    EXPECT_EQ (p.scale, 0.1f);
    EXPECT_EQ (p.sampleRate, 44100.0);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
