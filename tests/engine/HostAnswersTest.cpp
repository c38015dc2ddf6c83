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

namespace
{
// A processor as the framework's wrapper of the given format makes it.
std::unique_ptr<QuorvelV2AudioProcessor> madeFor (juce::AudioProcessor::WrapperType type)
{
    juce::AudioProcessor::setTypeOfNextNewPlugin (type);
    auto p = std::make_unique<QuorvelV2AudioProcessor>();
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
    return p;
}
} // namespace

// VST3 wants a named program and LV2 labels its preset with the name, and VST3 and
// LV2 see the switches and choices as discrete under the saved identifiers, where the
// Audio Unit keeps the framework's answers (its hosts store automation under the
// index).
TEST (HostAnswers, WhatEachWrapperIsTold)
{
    EXPECT_EQ (madeFor (juce::AudioProcessor::wrapperType_VST3)->getProgramName (0), "Default");
    EXPECT_EQ (madeFor (juce::AudioProcessor::wrapperType_LV2)->getProgramName (0), "Default");
    EXPECT_TRUE (madeFor (juce::AudioProcessor::wrapperType_VST)->getProgramName (0).isEmpty());

    const auto lv2 = madeFor (juce::AudioProcessor::wrapperType_LV2);
    const auto vst3 = madeFor (juce::AudioProcessor::wrapperType_VST3);
    const auto au = madeFor (juce::AudioProcessor::wrapperType_AudioUnit);
    ASSERT_EQ (lv2->getParameters().size(), 30);
    EXPECT_TRUE (vst3->getParameters().isEmpty());
    for (int i = 0; i < 30; ++i)
    {
        SCOPED_TRACE (trParamNames[i]);
        EXPECT_EQ (vst3->isParameterDiscrete (i), i >= 19);
        EXPECT_EQ (vst3->getParameterID (i), trParamNames[i]);
        EXPECT_FALSE (au->isParameterDiscrete (i));
        EXPECT_EQ (au->getParameterID (i), juce::String (i));

        auto& object = *lv2->getParameters()[i];
        EXPECT_EQ (dynamic_cast<juce::AudioProcessorParameterWithID&> (object).paramID, trParamNames[i]);
        EXPECT_EQ (object.isBoolean(), i >= 19 && i <= 22);
        object.setValueNotifyingHost (0.75f);
        EXPECT_EQ (lv2->getParameter (i), 0.75f);
        EXPECT_EQ (object.getCurrentValueAsText(), lv2->getParameterText (i));
    }
    auto& motion = *lv2->getParameters()[kParamMotionType];
    EXPECT_EQ (motion.getAllValueStrings(), juce::StringArray ({ "square", "sine", "triangle", "saw", "saw inv" }));
    EXPECT_EQ (motion.getValueForText ("saw"), 0.75f);
    EXPECT_EQ (lv2->getParameters()[kParamPanType]->getText (1.0f, 100), "3");
    EXPECT_EQ (lv2->getParameters()[kParamCarrier]->getText (0.5f, 100), "501");
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
