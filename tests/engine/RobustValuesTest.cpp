#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfloat>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
constexpr double rate = 44100.0;
constexpr int block = 256;

const float badValues[] = { std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            FLT_MAX,
                            -FLT_MAX,
                            1.0e30f,
                            -1.0e30f };

juce::String describe (float value)
{
    return std::isnan (value) ? juce::String ("NaN") : juce::String (value);
}

void restoreDefaults (QuorvelV2AudioProcessor& p)
{
    for (int i = 0; i < p.getNumParameters(); ++i)
        p.setParameter (i, p.getParameterDefaultValue (i));
}

struct Stretch
{
    bool finite = true;
    double energy = 0.0;
    float peak = 0.0f;
};

// Renders the given number of blocks; the input is a quiet sine unless a value is
// given, which then fills every input sample.
Stretch render (QuorvelV2AudioProcessor& p, int blocks, const float* inputValue = nullptr)
{
    Stretch s;
    juce::AudioSampleBuffer buffer (2, block);
    juce::MidiBuffer midi;
    static double phase = 0.0;
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < block; ++i, phase += 0.03)
            for (int c = 0; c < 2; ++c)
                buffer.setSample (c, i, inputValue != nullptr ? *inputValue : (float) std::sin (phase) * 0.3f);
        p.processBlock (buffer, midi);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < block; ++i)
            {
                const float x = buffer.getSample (c, i);
                s.finite = s.finite && std::isfinite (x);
                s.energy += (double) x * x;
                s.peak = std::max (s.peak, std::abs (x));
            }
    }
    return s;
}

int blocksFor (double seconds)
{
    return (int) (seconds * rate) / block;
}

// After bad values stop and the parameters are sane again, the processor must sound
// again within this time, and keep sounding at a sane level.
void expectRecovery (QuorvelV2AudioProcessor& p, int motionType = -1)
{
    restoreDefaults (p);
    if (motionType >= 0)
        p.setParameter (kParamMotionType, (float) motionType / 4.0f);
    const auto settling = render (p, blocksFor (0.5));
    EXPECT_TRUE (settling.finite);
    const auto after = render (p, blocksFor (0.1));
    EXPECT_TRUE (after.finite);
    EXPECT_GT (after.energy, 1.0e-4) << "silent after the values became sane again";
    EXPECT_LT (after.peak, 4.0f);
}
} // namespace

// Both setters, every parameter, every kind of value no host or text field should
// send: the output stays finite while they hold and sounds again once they are gone.
TEST (RobustValues, NonFiniteAndHugeParameterValuesNeverStickInTheOutput)
{
    for (int index = 0; index < numTrParams; ++index)
    {
        auto p = std::make_unique<QuorvelV2AudioProcessor>();
        p->prepareToPlay (rate, block);
        render (*p, 4);
        for (int scaledSetter = 0; scaledSetter < 2; ++scaledSetter)
            for (float value : badValues)
            {
                SCOPED_TRACE (juce::String (trParamNames[index]) + (scaledSetter ? " scaled " : " normalised ") +
                              describe (value));
                if (scaledSetter)
                    p->setScaledParameter (index, value);
                else
                    p->setParameter (index, value);
                EXPECT_GE (p->getParameter (index), 0.0f);
                EXPECT_LE (p->getParameter (index), 1.0f);

                EXPECT_TRUE (render (*p, blocksFor (0.05)).finite);
                expectRecovery (*p);
            }
    }
}

// A speed or extent far beyond sound, for however many blocks, must not throw the
// source out of hearing for good: a change of motion shape would bring it back to its
// centre, so the shape stays as it was throughout.
TEST (RobustValues, HugeSpeedsAndExtentsDoNotLoseTheSource)
{
    const int motion[] = { kParamVelX, kParamVelY, kParamVelZ, kParamBndX1, kParamBndX2, kParamBndY2 };
    const float values[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), FLT_MAX,
                             1.0e30f };
    for (int shape : { 0, 1 })
        for (int index : motion)
        {
            auto p = std::make_unique<QuorvelV2AudioProcessor>();
            p->prepareToPlay (rate, block);
            p->setParameter (kParamMotionType, (float) shape / 4.0f);
            render (*p, 4);
            for (float value : values)
                for (int blocks : { 1, 2, 3, 5, 8, 40 })
                {
                    SCOPED_TRACE (juce::String (trParamNames[index]) + " " + describe (value) + " for " +
                                  juce::String (blocks) + " blocks, motion " + juce::String (shape));
                    p->setScaledParameter (index, value);
                    EXPECT_TRUE (render (*p, blocks).finite);
                    expectRecovery (*p, shape);
                }
        }
}

// Every parameter bad at once, through the scaled setter, then sane again.
TEST (RobustValues, AllParametersBadAtOnceRecover)
{
    for (float value : badValues)
    {
        SCOPED_TRACE (describe (value));
        auto p = std::make_unique<QuorvelV2AudioProcessor>();
        p->prepareToPlay (rate, block);
        render (*p, 4);
        for (int index = 0; index < numTrParams; ++index)
            p->setScaledParameter (index, value);
        EXPECT_TRUE (render (*p, blocksFor (0.2)).finite);
        expectRecovery (*p);
    }
}

// The host's input, which the "audio" source plays, carrying values no audio should.
TEST (RobustValues, NonFiniteAndHugeInputAudioNeverSticksInTheOutput)
{
    auto p = std::make_unique<QuorvelV2AudioProcessor>();
    p->prepareToPlay (rate, block);
    const auto audioSource = [&p]
    { p->setParameter (kParamOsc1Type, 5.0f / (float) (p->getParameterNumSteps (kParamOsc1Type) - 1)); };

    for (int filter = 0; filter < 3; ++filter)
        for (float value : badValues)
        {
            SCOPED_TRACE (describe (value) + " through filter " + juce::String (filter));
            restoreDefaults (*p);
            audioSource();
            p->setParameter (kParamFilterType, (float) filter / 2.0f);
            render (*p, 8);

            EXPECT_TRUE (render (*p, 8, &value).finite);
            const auto settling = render (*p, blocksFor (1.0));
            EXPECT_TRUE (settling.finite);
            const auto after = render (*p, blocksFor (0.25));
            EXPECT_TRUE (after.finite);
            EXPECT_GT (after.energy, 1.0e-4) << "silent after the input became sane again";
        }
}

// The host automates every parameter from another thread, one change every 32
// samples of audio, while the audio thread renders; the editor switches panners
// meanwhile. Run under ThreadSanitizer as well.
TEST (RobustValuesThread, RandomAutomationOfEveryParameterWhileTheAudioRenders)
{
    auto p = std::make_unique<QuorvelV2AudioProcessor>();
    const int audioBlock = 128;
    p->prepareToPlay (rate, audioBlock);

    std::atomic<long> renderedSamples{ 0 };
    std::atomic<bool> done{ false };
    std::atomic<int> changes{ 0 };

    std::thread automation (
        [&]
        {
            juce::Random random (77);
            long next = 0;
            while (!done.load())
            {
                if (renderedSamples.load() < next)
                {
                    std::this_thread::yield();
                    continue;
                }
                next += 32;
                const int index = random.nextInt (numTrParams);
                if (random.nextInt (8) == 0)
                    p->setScaledParameter (index, p->getScaledParameter (index) * 0.5f);
                else
                    p->setParameter (index, random.nextFloat());
                if (random.nextInt (64) == 0)
                    p->switchPanning (random.nextInt (3));
                ++changes;
            }
        });

    juce::AudioSampleBuffer buffer (2, audioBlock);
    juce::Random notes (5);
    bool finite = true;
    const int blocks = blocksFor (4.0) * (block / audioBlock);
    for (int b = 0; b < blocks; ++b)
    {
        // The host's thread may fall behind, but not by more than a few blocks.
        while (changes.load() < renderedSamples.load() / 32 - 64)
            std::this_thread::yield();

        juce::MidiBuffer midi;
        if (b % 50 == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, 40 + notes.nextInt (40), 1.0f), 0);
        if (b % 50 == 30)
            midi.addEvent (juce::MidiMessage::allNotesOff (1), 0);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < audioBlock; ++i)
                buffer.setSample (c, i, notes.nextFloat() - 0.5f);
        p->processBlock (buffer, midi);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < audioBlock; ++i)
                finite = finite && std::isfinite (buffer.getSample (c, i));
        renderedSamples += audioBlock;
    }
    done = true;
    automation.join();

    EXPECT_TRUE (finite);
    EXPECT_GT (changes.load(), 1000);
    for (int i = 0; i < numTrParams; ++i)
    {
        EXPECT_GE (p->getParameter (i), 0.0f) << trParamNames[i];
        EXPECT_LE (p->getParameter (i), 1.0f) << trParamNames[i];
    }
    expectRecovery (*p);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
