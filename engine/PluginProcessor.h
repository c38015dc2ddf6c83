#pragma once

#include <JuceHeader.h>

class QuorvelV2AudioProcessor : public juce::AudioProcessor
{
public:
    QuorvelV2AudioProcessor();
    ~QuorvelV2AudioProcessor() override;

    const juce::String getName() const override { return "Toravel"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer&) override { buffer.clear(); }
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    // Saved state and preset files (PluginProcessorState.cpp).
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;
    void saveStateToXML (juce::XmlElement& xml);
    void loadStateFromXML (juce::XmlElement* xml);
    bool saveStateToFile (juce::File file);
    void setStateFromFile (juce::File file);
};
