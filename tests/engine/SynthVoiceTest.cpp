#include "QuorvelSynth.h"
#include "SpatialAgent.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
struct OtherSound : juce::SynthesiserSound
{
    bool appliesToNote (int) override { return true; }
    bool appliesToChannel (int) override { return true; }
};

// The processor's arrangement: one voice bound to the agent, one sound. MIDI is
// handed over a block at a time, as the processor does.
struct SynthRig
{
    SynthRig()
    {
        gam::Sync::master().spu (44100.0);
        agent = std::make_unique<Agent>();
        agent->setSampleRate (44100.0f);
        voice = new QuorvelSynthVoice (agent.get());
        synth.addVoice (voice);
        synth.addSound (new QuorvelSynthSound());
        synth.setCurrentPlaybackSampleRate (44100.0);
    }

    void block (const juce::MidiMessage& m)
    {
        juce::MidiBuffer midi;
        midi.addEvent (m, 0);
        buffer.clear();
        synth.renderNextBlock (buffer, midi, 0, buffer.getNumSamples());
    }

    void noteOn (int note, float velocity = 0.8f) { block (juce::MidiMessage::noteOn (1, note, velocity)); }
    void noteOff (int note) { block (juce::MidiMessage::noteOff (1, note, 0.5f)); }

    // The envelope advances only through the agent's samples.
    void run (int samples)
    {
        for (int i = 0; i < samples; ++i)
            agent->onProcessSample (i % 512);
    }

    std::unique_ptr<Agent> agent;
    QuorvelSynthVoice* voice = nullptr;
    juce::Synthesiser synth;
    juce::AudioSampleBuffer buffer{ 2, 64 };
};
} // namespace

TEST (SynthSound, AppliesToEveryNoteAndChannel)
{
    QuorvelSynthSound sound;
    EXPECT_TRUE (sound.appliesToNote (0));
    EXPECT_TRUE (sound.appliesToNote (127));
    EXPECT_TRUE (sound.appliesToChannel (1));
    EXPECT_TRUE (sound.appliesToChannel (16));
}

TEST (SynthVoice, PlaysOnlyItsOwnSound)
{
    SynthRig rig;
    juce::SynthesiserSound::Ptr own (new QuorvelSynthSound());
    juce::SynthesiserSound::Ptr other (new OtherSound());
    EXPECT_TRUE (rig.voice->canPlaySound (own.get()));
    EXPECT_FALSE (rig.voice->canPlaySound (other.get()));
    EXPECT_FALSE (rig.voice->canPlaySound (nullptr));
}

TEST (SynthVoice, NoteOnTunesTheAgentWhateverTheVelocity)
{
    SynthRig rig;
    rig.noteOn (69);
    EXPECT_EQ (rig.agent->targetFreq, 440.0);
    rig.noteOn (60, 0.1f);
    EXPECT_NEAR (rig.agent->targetFreq, 261.63, 0.01);
    rig.noteOn (81, 1.0f);
    EXPECT_EQ (rig.agent->targetFreq, 880.0);
    EXPECT_TRUE (rig.agent->adsr.inAttackDecay);
}

TEST (SynthVoice, VoiceRendersNothing)
{
    SynthRig rig;
    // A new buffer holds whatever its memory held.
    rig.buffer.clear();
    rig.buffer.setSample (0, 3, 0.25f);
    rig.voice->renderNextBlock (rig.buffer, 0, rig.buffer.getNumSamples());
    EXPECT_EQ (rig.buffer.getSample (0, 3), 0.25f);
    EXPECT_EQ (rig.buffer.getSample (1, 3), 0.0f);
}

TEST (SynthVoice, NoteOffReleasesAndKeepsTheVoice)
{
    SynthRig rig;
    rig.noteOn (64);
    rig.run (3000);
    ASSERT_TRUE (rig.agent->adsr.inSustain);
    rig.noteOff (64);
    EXPECT_TRUE (rig.agent->adsr.inRelease);
    EXPECT_EQ (rig.voice->getCurrentlyPlayingNote(), 64) << "a released note is never cleared";
    EXPECT_TRUE (rig.voice->isVoiceActive());
}

TEST (SynthVoice, SecondNoteTakesTheVoiceOverFromTheCurrentLevel)
{
    SynthRig rig;
    rig.noteOn (60);
    rig.run (3000);
    const float level = rig.agent->envValue;
    rig.noteOn (64);
    EXPECT_NEAR (rig.agent->targetFreq, 329.63, 0.01);
    EXPECT_TRUE (rig.agent->adsr.inAttackDecay);
    rig.run (1);
    EXPECT_NEAR (rig.agent->envValue, level, 0.01f) << "no restart from silence";

    rig.noteOff (60);
    EXPECT_FALSE (rig.agent->adsr.inRelease) << "no voice holds note 60";
    EXPECT_NEAR (rig.agent->targetFreq, 329.63, 0.01);

    rig.noteOff (64);
    EXPECT_TRUE (rig.agent->adsr.inRelease);
}

TEST (SynthVoice, RepeatedNoteReleasesThenTriggers)
{
    SynthRig rig;
    rig.agent->adsr.setEnvelope (0.01f, 0.02f, 0.5f, 0.5f, 2.0f);
    rig.noteOn (60);
    rig.run (3000);
    ASSERT_TRUE (rig.agent->adsr.inSustain);
    ASSERT_EQ (rig.agent->adsr.releaseStart, 0.0f);
    rig.noteOn (60);
    EXPECT_EQ (rig.agent->adsr.releaseStart, 0.5f) << "the release came first";
    EXPECT_TRUE (rig.agent->adsr.inAttackDecay);
    EXPECT_EQ (rig.agent->adsr.releaseIndex, 0);
}

TEST (SynthVoice, SampleRateChangeFreesTheVoiceButNotTheEnvelope)
{
    SynthRig rig;
    rig.noteOn (60);
    rig.run (3000);
    ASSERT_TRUE (rig.agent->adsr.inSustain);

    rig.synth.setCurrentPlaybackSampleRate (48000.0);
    EXPECT_EQ (rig.voice->getCurrentlyPlayingNote(), -1);
    EXPECT_TRUE (rig.agent->adsr.inSustain);

    rig.noteOff (60);
    EXPECT_TRUE (rig.agent->adsr.inSustain) << "the note is no longer held by the voice";

    rig.noteOn (62);
    EXPECT_TRUE (rig.agent->adsr.inAttackDecay);
}

TEST (SynthVoice, PitchWheelAndControllersChangeNothing)
{
    SynthRig rig;
    rig.noteOn (69);
    rig.run (3000);
    rig.block (juce::MidiMessage::pitchWheel (1, 16000));
    rig.block (juce::MidiMessage::controllerEvent (1, 1, 127));
    EXPECT_EQ (rig.agent->targetFreq, 440.0);
    EXPECT_TRUE (rig.agent->adsr.inSustain);
}
