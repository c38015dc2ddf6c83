#pragma once

#include <JuceHeader.h>

#include "DisplayValue.h"
#include "ListenerSwitch.h"
#include "QuorvelConversions.h"
#include "SpatialAgent.h"
#include "ZKParameter.h"

#include "al/AudioScene.h"
#include "al/BiQuad.h"
#include "al/Dbap.h"
#include "al/StereoPanner.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class QuorvelV2AudioProcessor : public juce::AudioProcessor
{
public:
    QuorvelV2AudioProcessor();
    ~QuorvelV2AudioProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer& midi) override;

    // The framework still drives these index-based operations in every wrapper; they
    // are deprecated in its interface, which is why the warnings are silenced here.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    const juce::String getInputChannelName (int index) const override;
    const juce::String getOutputChannelName (int index) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    // The one channel configuration offered to hosts: two inputs and two outputs.
    bool isBusesLayoutSupported (const BusesLayout& layout) const override;
    bool silenceInProducesSilenceOut() const override;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    using juce::AudioProcessor::getParameterName;
    using juce::AudioProcessor::getParameterText;
    int getNumParameters() override;
    // The VST3 and LV2 wrappers identify a parameter by this text. The framework's
    // default, the decimal index, makes VST3 identifiers collide with the ones the
    // wrapper gives its MIDI-controller parameters and LV2 identifiers collide with
    // each other once made into names ("1" and "2" both become "_"), so there each
    // parameter is identified by its saved identifier instead. The Audio Unit keeps
    // the framework's answer: its hosts store automation under it.
    juce::String getParameterID (int index) override;
    const juce::String getParameterName (int index) override;
    float getParameter (int index) override;
    const juce::String getParameterText (int index) override;
    int getParameterNumSteps (int index) override;
    // The VST3 and LV2 wrappers report a step count only for a parameter that says
    // it is discrete: the switches and choices do, except to the Audio Unit, which
    // keeps the framework's answers.
    bool isParameterDiscrete (int index) const override;
    float getParameterDefaultValue (int index) override;
    void setParameter (int index, float newValue) override;
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    // Saved state and preset files (PluginProcessorState.cpp).
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;
    void saveStateToXML (juce::XmlElement& xml);
    void loadStateFromXML (juce::XmlElement* xml);
    bool saveStateToFile (juce::File file);
    void setStateFromFile (juce::File file);

    // The engine's own access to the value in the parameter's unit; the host is not told.
    float getScaledParameter (int index);
    void setScaledParameter (int index, float value);

    void setCurrentPresetName (const juce::String& name);
    juce::String getCurrentPresetName();

    // Derives the engine's state from the parameters; runs at the start of every block.
    void updateProcessorParameters();

    // Message thread: moves the scene's listener to the stereo panner (1) or the
    // distance-based panner (anything else) from the next block on.
    void switchPanning (int index);

    void manualVelocity (int agentIndex);
    void manualBounds (int agentIndex);

    // This instance's sample-rate clock, which only its own prepareToPlay sets: a host
    // may run instances at different rates in one process.
    gam::Sync oscillatorClock;
    Agent agents[1]{ Agent (oscillatorClock) };
    DisplayValue modFreq[3];
    DisplayValue modDepth[3];
    DisplayValue modIndex[3];
    DisplayValue totalDepth;
    DisplayValue bandwidth;

    // Camera of the 3-D view: written by the message thread and by the view's render
    // thread (which then holds the message-thread lock), and read by the saved state,
    // which a host may ask for on any thread.
    std::atomic<float> phi{ 5.0f };
    std::atomic<float> theta{ -7.0f };
    std::atomic<float> scale{ 0.1f };

    int filterType = 0;
    double sampleRate = 44100.0;
    juce::OwnedArray<ZKParameter> parameters;
    juce::Synthesiser synth;
    std::unique_ptr<al::BiQuadNX> filter8x[2];
    std::unique_ptr<al::BiQuad> filter1x[2];
    std::unique_ptr<al::BiQuadNX> filter4x[2];
    float cutoff = 19000.0f;
    int numChannels = 2;
    al::AudioScene scene{ 512 };
    std::unique_ptr<al::StereoPanner> stereoPanner;
    std::unique_ptr<al::Dbap> dbapPanner;

    // The engine's input store and the agent's frame index hold 4096 samples; blocks
    // are also kept within the size the scene was prepared for.
    static constexpr int maxSliceSamples = Agent::inputFrames;

    // The longest trail the view keeps: ten seconds at 192000 Hz. The view allocates
    // the points; a length typed beyond any sense must not ask for gigabytes.
    static constexpr int maxTrailPoints = 1920001;

private:
    ZKParameter* parameterAt (int index) const;
    bool isAudioUnit() const;
    float scaled (int index) const { return parameters.getUnchecked (index)->scaledValue.load(); }
    float normalised (int index) const { return parameters.getUnchecked (index)->normalisedValue.load(); }
    void renderSlice (juce::AudioSampleBuffer& buffer, int start, int length, bool inputAlreadyStored);
    void storeInput (const juce::AudioSampleBuffer& buffer, int start, int length);
    bool filtersFinite() const;
    void recoverFilters (juce::AudioSampleBuffer& buffer, int channels, int n);

    // The sections that each channel's filters run in a block, in order, for the
    // current choice; their number, or -1 when they do not fit or the channels differ.
    static constexpr int maxChainLength = 16;
    int filterChains (al::BiQuad* (&out)[2][maxChainLength]) const;

    ListenerSwitch listenerSwitch{ scene };
    // Written on the message thread, read by the saved state on any thread; never
    // touched by the audio thread.
    juce::String presetName;
    std::mutex presetNameLock;
    int sliceSamples = 512;
    // Stands in for an output channel the host's buffer lacks, so that the panners
    // always have two channels to write.
    std::vector<float> spareOutput[2];

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvelV2AudioProcessor)
};
