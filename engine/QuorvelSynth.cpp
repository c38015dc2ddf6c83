#include "QuorvelSynth.h"

#include "SpatialAgent.h"

bool QuorvelSynthSound::appliesToNote (int)
{
    return true;
}

bool QuorvelSynthSound::appliesToChannel (int)
{
    return true;
}

QuorvelSynthVoice::QuorvelSynthVoice (Agent* a) : agent (a)
{
}

bool QuorvelSynthVoice::canPlaySound (juce::SynthesiserSound* sound)
{
    return dynamic_cast<QuorvelSynthSound*> (sound) != nullptr;
}

void QuorvelSynthVoice::startNote (int midiNoteNumber, float, juce::SynthesiserSound*, int)
{
    agent->setOscFreq (juce::MidiMessage::getMidiNoteInHertz (midiNoteNumber, 440.0));
    agent->adsr.trigger();
}

void QuorvelSynthVoice::stopNote (float, bool allowTailOff)
{
    // A released note keeps the voice: the envelope fades while the voice stays
    // active, so the next note takes it over and continues from the present
    // level.
    if (allowTailOff)
        agent->adsr.release();
    else
        clearCurrentNote();
}

void QuorvelSynthVoice::pitchWheelMoved (int)
{
}

void QuorvelSynthVoice::controllerMoved (int, int)
{
}

void QuorvelSynthVoice::renderNextBlock (juce::AudioSampleBuffer&, int, int)
{
}
