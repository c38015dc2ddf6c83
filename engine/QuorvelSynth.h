#pragma once

#include <JuceHeader.h>

class Agent;

// The one sound of the synthesiser; it plays on every note and channel.
class QuorvelSynthSound : public juce::SynthesiserSound
{
public:
    bool appliesToNote (int midiNoteNumber) override;
    bool appliesToChannel (int midiChannel) override;
};

// Ties MIDI notes to the moving source: a note-on retunes the agent and triggers its
// envelope, a note-off releases it. The voice renders nothing; the sound comes from
// the scene's rendering of the agent. Runs on the audio thread inside the
// synthesiser's handling of a block.
class QuorvelSynthVoice : public juce::SynthesiserVoice
{
public:
    explicit QuorvelSynthVoice (Agent* agent);

    bool canPlaySound (juce::SynthesiserSound* sound) override;
    void startNote (int midiNoteNumber, float velocity, juce::SynthesiserSound* sound,
                    int currentPitchWheelPosition) override;
    void stopNote (float velocity, bool allowTailOff) override;
    void pitchWheelMoved (int newValue) override;
    void controllerMoved (int controllerNumber, int newValue) override;
    void renderNextBlock (juce::AudioSampleBuffer& buffer, int startSample, int numSamples) override;

    Agent* agent;
};
