#include "AllocationCounter.h"
#include "ChooseItem.h"
#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
struct Render
{
    std::vector<float> left, right;
};

// Renders blocks of silence (or of the given input) and keeps the output.
Render render (QuorvelV2AudioProcessor& p, int blocks, int blockSize)
{
    Render out;
    juce::AudioSampleBuffer buffer (2, blockSize);
    juce::MidiBuffer midi;
    for (int b = 0; b < blocks; ++b)
    {
        buffer.clear();
        p.processBlock (buffer, midi);
        out.left.insert (out.left.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
        out.right.insert (out.right.end(), buffer.getReadPointer (1), buffer.getReadPointer (1) + blockSize);
    }
    return out;
}

double energy (const std::vector<float>& x, size_t from = 0)
{
    double e = 0.0;
    for (size_t i = from; i < x.size(); ++i)
        e += (double) x[i] * x[i];
    return e;
}

// Energy of the first difference, which weighs the upper part of the spectrum.
double edgeEnergy (const std::vector<float>& x, size_t from)
{
    double e = 0.0;
    for (size_t i = from + 1; i < x.size(); ++i)
        e += ((double) x[i] - x[i - 1]) * ((double) x[i] - x[i - 1]);
    return e;
}

// Frequency from the span of upward zero crossings, located to a fraction of a sample.
double frequencyOf (const float* x, int n, double rate)
{
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (int i = 1; i < n; ++i)
    {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f)
        {
            const double t = (i - 1) + (double) x[i - 1] / ((double) x[i - 1] - x[i]);
            if (first < 0.0)
                first = t;
            last = t;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0.0;
}

// A source standing still at the given point, its signal unfiltered by the tracking filters.
void placeStill (QuorvelV2AudioProcessor& p, al::Vec3d where)
{
    for (int v : { kParamVelX, kParamVelY, kParamVelZ })
        p.setParameter (v, 0.0f);
    choose (p, kParamFilterType, 2);
    p.agents[0].targetCenter = where;
    render (p, 1, 64);
    p.agents[0].resetToCenter();
    render (p, 1, 64);
}

double gainDb (al::BiQuadNX& filter, double frequency, double rate)
{
    const int n = 32768;
    std::vector<float> x ((size_t) n);
    for (int i = 0; i < n; ++i)
        x[(size_t) i] = (float) std::sin (2.0 * juce::MathConstants<double>::pi * frequency * i / rate);
    filter.processBuffer (x.data(), n);
    double e = 0.0;
    for (int i = n / 2; i < n; ++i)
        e += (double) x[(size_t) i] * x[(size_t) i];
    return 10.0 * std::log10 (e / (n / 2) / 0.5);
}
} // namespace

TEST (AudioRoad, InputRowsHoldTheBlockAndTheRestAreKept)
{
    QuorvelV2AudioProcessor p;
    p.prepareToPlay (44100.0, 256);
    auto& store = p.agents[0].inputStore;
    for (int row = 0; row < Agent::inputChannels; ++row)
        std::fill (std::begin (store[row]), std::end (store[row]), 7.0f);

    juce::AudioSampleBuffer buffer (2, 256);
    for (int i = 0; i < 256; ++i)
    {
        buffer.setSample (0, i, (float) i / 256.0f);
        buffer.setSample (1, i, -(float) i / 256.0f);
    }
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);

    for (int i = 0; i < 256; ++i)
    {
        ASSERT_EQ (store[0][i], (float) i / 256.0f);
        ASSERT_EQ (store[1][i], -(float) i / 256.0f);
    }
    EXPECT_EQ (store[0][256], 7.0f);
    for (int row = 2; row < Agent::inputChannels; ++row)
        EXPECT_EQ (store[row][0], 7.0f) << row;
}

TEST (AudioRoad, EmptyBlockStillDerivesAndTakesTheMidi)
{
    QuorvelV2AudioProcessor p;
    p.prepareToPlay (44100.0, 512);
    choose (p, kParamADSR, 1);
    p.setParameter (kParamGain, 1.0f);

    juce::AudioSampleBuffer buffer (2, 0);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 69, 0.5f), 0);
    p.processBlock (buffer, midi);

    EXPECT_EQ (p.agents[0].gain, 8.0f);
    EXPECT_TRUE (p.agents[0].adsr.enabled);
    EXPECT_EQ (p.agents[0].targetFreq, 440.0);
    EXPECT_FALSE (p.agents[0].adsr.isIdle());
}

TEST (AudioRoad, NoteOnMidBlockActsFromTheFirstSample)
{
    QuorvelV2AudioProcessor early, late;
    Render outputs[2];
    int offsets[2] = { 0, 300 };
    QuorvelV2AudioProcessor* processors[2] = { &early, &late };
    for (int k = 0; k < 2; ++k)
    {
        auto& p = *processors[k];
        p.prepareToPlay (44100.0, 512);
        choose (p, kParamADSR, 1);
        p.setParameter (kParamAttack, 0.005f);
        juce::AudioSampleBuffer buffer (2, 512);
        buffer.clear();
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, 81, 1.0f), offsets[k]);
        p.processBlock (buffer, midi);
        outputs[k].left.assign (buffer.getReadPointer (0), buffer.getReadPointer (0) + 512);
        auto more = render (p, 3, 512);
        outputs[k].left.insert (outputs[k].left.end(), more.left.begin(), more.left.end());
    }
    EXPECT_EQ (early.agents[0].currentFreq, 880.0);
    EXPECT_EQ (outputs[0].left, outputs[1].left);
    EXPECT_GT (energy (outputs[0].left), 0.0);
}

TEST (FilterChoice, FourStagesCutMoreThanOneAndOffCutsLeast)
{
    double edge[3];
    for (int item = 0; item < 3; ++item)
    {
        QuorvelV2AudioProcessor p;
        p.prepareToPlay (44100.0, 512);
        choose (p, kParamOsc1Type, 4);
        placeStill (p, al::Vec3d (0.5, 0.0, 0.0));
        choose (p, kParamFilterType, item);
        const auto out = render (p, 16, 512);
        EXPECT_EQ (p.cutoff, 1000.0f);
        edge[item] = edgeEnergy (out.right, 2048) / energy (out.right, 2048);
    }
    EXPECT_LT (edge[0], edge[1] * 0.5);
    EXPECT_LT (edge[1], edge[2] * 0.5);
}

// A still sine puts the tracking filters' corner at its own frequency, 501 Hz, where
// a low-pass section has the gain Q that its bandwidth gives, 1 / (2 sinh (ln 2 / 2 *
// bandwidth)) this far below the rate: the single section of 1.9 octaves lowers it by
// 3.0 dB, the four of 1.7 octaves by 4 * 1.93 dB. The final cascade passes it alike in
// every choice.
TEST (FilterChoice, EachChoiceLowersItsCornerByItsOwnBandwidthsGain)
{
    double level[3];
    for (int item = 0; item < 3; ++item)
    {
        QuorvelV2AudioProcessor p;
        p.prepareToPlay (44100.0, 512);
        placeStill (p, al::Vec3d (0.5, 0.0, 0.0));
        choose (p, kParamFilterType, item);
        const auto out = render (p, 32, 512);
        EXPECT_EQ (p.cutoff, 501.0f);
        level[item] = 10.0 * std::log10 (energy (out.right, 4096));
    }
    EXPECT_NEAR (level[1] - level[2], -3.0, 0.1);
    EXPECT_NEAR (level[0] - level[2], -7.7, 0.1);
}

// The final cascade keeps its one design, made for 19 kHz at 44.1 kHz.
TEST (OutputFilter, EightStageResponse)
{
    const auto at = [] (double frequency, double rate)
    {
        QuorvelV2AudioProcessor p;
        p.prepareToPlay (rate, 512);
        return gainDb (*p.filter8x[0], frequency, rate);
    };
    EXPECT_NEAR (at (1000.0, 44100.0), 0.0, 0.3);
    EXPECT_NEAR (at (15000.0, 44100.0), 2.0, 1.0);
    EXPECT_NEAR (at (19000.0, 44100.0), -14.0, 2.0);
    EXPECT_NEAR (at (20000.0, 44100.0), -56.0, 4.0);
    EXPECT_NEAR (at (20000.0, 48000.0), -4.0, 1.5);
}

TEST (Listener, StereoPannerPutsASourceOnTheRightInTheRightChannel)
{
    for (double x : { 3.0, -3.0 })
    {
        QuorvelV2AudioProcessor p;
        p.prepareToPlay (44100.0, 512);
        placeStill (p, al::Vec3d (x, 0.0, 0.0));
        const auto out = render (p, 8, 512);
        const double l = energy (out.left, 1024), r = energy (out.right, 1024);
        ASSERT_GT (l + r, 0.0);
        if (x > 0.0)
            EXPECT_GT (r, 100.0 * l);
        else
            EXPECT_GT (l, 100.0 * r);
    }
}

TEST (Listener, DistanceBasedPannerFavoursTheNearerSpeaker)
{
    QuorvelV2AudioProcessor p;
    p.prepareToPlay (44100.0, 512);
    p.switchPanning (0);
    placeStill (p, al::Vec3d (3.0, 0.0, 0.0));
    ASSERT_EQ (p.scene.listeners.front()->panner, p.dbapPanner.get());
    const auto out = render (p, 8, 512);
    EXPECT_GT (energy (out.right, 1024), 1.5 * energy (out.left, 1024));
    EXPECT_GT (energy (out.left, 1024), 0.0);
}

TEST (Attenuation, InverseSquareIsQuieterThanInverse)
{
    double e[3];
    for (int item = 0; item < 3; ++item)
    {
        QuorvelV2AudioProcessor p;
        p.prepareToPlay (44100.0, 512);
        choose (p, kParamGainType, item);
        placeStill (p, al::Vec3d (15.0, 0.0, 0.0));
        const auto out = render (p, 16, 512);
        e[item] = energy (out.right, 4096);
    }
    EXPECT_LT (e[1], e[0] * 0.5);
    EXPECT_LT (e[0], e[2] * 0.5);
    EXPECT_GT (e[1], 0.0);
}

namespace
{
struct Sweep
{
    std::vector<float> out;
    std::vector<double> distance; // at the end of each block
};

// A sine at 1001 Hz moving at constant speed on x between 6 m and 14 m from the listener.
Sweep sweep (int dopplerItem, int blockSize, int blocks)
{
    QuorvelV2AudioProcessor p;
    p.prepareToPlay (44100.0, blockSize);
    p.setParameter (kParamCarrier, 1.0f);
    choose (p, kParamMotionType, 0);
    choose (p, kParamDopplerType, dopplerItem);
    choose (p, kParamGainType, 2);
    placeStill (p, al::Vec3d (10.0, 0.0, 0.0));
    p.setScaledParameter (kParamBndX1, 4.0f);
    p.setScaledParameter (kParamBndX2, 4.0f);
    p.setScaledParameter (kParamVelX, 68.0f);

    Sweep s;
    juce::AudioSampleBuffer buffer (2, blockSize);
    juce::MidiBuffer midi;
    for (int b = 0; b < blocks; ++b)
    {
        buffer.clear();
        p.processBlock (buffer, midi);
        s.out.insert (s.out.end(), buffer.getReadPointer (1), buffer.getReadPointer (1) + blockSize);
        s.distance.push_back (p.agents[0].pos.mag());
    }
    return s;
}
} // namespace

// The scene delays each sample by the source's present distance, so what is heard
// in a block follows how the distance changes during that block. Distances are
// sampled at block ends; a block counts as approaching when the distance falls
// over it and over its neighbours (so no turn falls inside it). The symmetric law
// shifts by the Doppler depth, up and down alike.
TEST (Doppler, PitchRisesApproachingAndFallsReceding)
{
    const int block = 256, blocks = 400;
    const double f = 1001.0;
    for (int item : { 0, 1 })
    {
        SCOPED_TRACE (item);
        const auto s = sweep (item, block, blocks);
        int approaching = 0, receding = 0;
        for (int b = 10; b < blocks - 1; ++b)
        {
            bool closer = true, farther = true;
            for (int k = b - 1; k <= b + 1; ++k)
            {
                closer = closer && s.distance[(size_t) k] < s.distance[(size_t) k - 1];
                farther = farther && s.distance[(size_t) k] > s.distance[(size_t) k - 1];
            }
            const double heard = frequencyOf (s.out.data() + b * block, block, 44100.0);
            if (closer)
            {
                ++approaching;
                EXPECT_GT (heard, f * 1.15) << b;
                if (item == 0)
                {
                    EXPECT_NEAR (heard, f + depth_from_vel_carrier (kDopplerSymmetric, 68.0f, 1001.0f), f * 0.01) << b;
                }
            }
            if (farther)
            {
                ++receding;
                EXPECT_LT (heard, f * 0.9) << b;
                if (item == 0)
                {
                    EXPECT_NEAR (heard, f - depth_from_vel_carrier (kDopplerSymmetric, 68.0f, 1001.0f), f * 0.01) << b;
                }
            }
        }
        EXPECT_GT (approaching, 20);
        EXPECT_GT (receding, 20);
    }
}

TEST (Doppler, OffKeepsThePitch)
{
    const int block = 256, blocks = 200;
    const auto s = sweep (3, block, blocks);
    for (int b = 10; b < blocks; ++b)
        EXPECT_NEAR (frequencyOf (s.out.data() + b * block, block, 44100.0), 1001.0, 1001.0 * 0.005) << b;
}

TEST (LongBlocks, RenderInSlicesExactlyAsShortBlocks)
{
    const int total = 8192, small = 64;
    QuorvelV2AudioProcessor whole, sliced;
    std::vector<float> input ((size_t) total);
    for (int i = 0; i < total; ++i)
        input[(size_t) i] = (float) std::sin (0.01 * i) * 0.5f;

    // One block first, so that both derive from the carrier rather than the agent's
    // starting frequency.
    for (auto* p : { &whole, &sliced })
    {
        p->prepareToPlay (44100.0, small);
        choose (*p, kParamOsc1Type, 5);
        render (*p, 1, small);
    }

    juce::AudioSampleBuffer big (2, total);
    for (int c = 0; c < 2; ++c)
        big.copyFrom (c, 0, input.data(), total);
    juce::MidiBuffer midi;
    whole.processBlock (big, midi);

    std::vector<float> expected;
    juce::AudioSampleBuffer one (2, small);
    for (int start = 0; start < total; start += small)
    {
        for (int c = 0; c < 2; ++c)
            one.copyFrom (c, 0, input.data() + start, small);
        sliced.processBlock (one, midi);
        expected.insert (expected.end(), one.getReadPointer (1), one.getReadPointer (1) + small);
    }

    std::vector<float> got (big.getReadPointer (1), big.getReadPointer (1) + total);
    EXPECT_EQ (got, expected);
    EXPECT_GT (energy (got, total / 2), 1.0);
}

TEST (LongBlocks, OddBuffersAreNeverWrittenPastTheirEnd)
{
    QuorvelV2AudioProcessor p;
    p.prepareToPlay (44100.0, 512);
    juce::MidiBuffer midi;

    juce::AudioSampleBuffer wide (10, 9000);
    for (int c = 0; c < 10; ++c)
        for (int i = 0; i < 9000; ++i)
            wide.setSample (c, i, 0.25f);
    p.processBlock (wide, midi);
    for (int c = 2; c < 10; ++c)
        EXPECT_EQ (wide.getMagnitude (c, 0, 9000), 0.0f) << c;
    EXPECT_TRUE (std::isfinite (wide.getMagnitude (0, 0, 9000)));

    juce::AudioSampleBuffer mono (1, 5000);
    mono.clear();
    p.processBlock (mono, midi);
    EXPECT_TRUE (std::isfinite (mono.getMagnitude (0, 0, 5000)));
}

TEST (RealTime, ProcessBlockAllocatesNothing)
{
    QuorvelV2AudioProcessor p;
    choose (p, kParamADSR, 1);
    for (int size : { 1, 64, 512, 4096, 8192 })
    {
        SCOPED_TRACE (size);
        p.prepareToPlay (44100.0, size);
        juce::AudioSampleBuffer buffer (2, size);
        juce::MidiBuffer notes;
        notes.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 0);
        notes.addEvent (juce::MidiMessage::noteOff (1, 60), size - 1);
        juce::MidiBuffer none;
        p.switchPanning (size % 2 == 0 ? 0 : 1);
        p.setParameter (kParamAttack, size / 10000.0f);

        std::size_t allocations = 0;
        {
            toravel::test::AllocationCounter counter;
            for (int b = 0; b < 4; ++b)
            {
                // Every envelope setting moves before every block.
                for (int i : { kParamAttack, kParamDecay, kParamSustain, kParamRelease, kParamADSR })
                    p.setParameter (i, 0.2f + 0.2f * (float) b + 0.01f * (float) i);
                buffer.clear();
                p.processBlock (buffer, b % 2 == 0 ? notes : none);
            }
            allocations = counter.count();
        }
        EXPECT_EQ (allocations, 0u);
    }
}

TEST (ListenerSwitchTest, EachChoiceLeavesOneListenerOnItsPanner)
{
    QuorvelV2AudioProcessor p;
    p.prepareToPlay (44100.0, 64);
    juce::AudioSampleBuffer empty (2, 0);
    juce::MidiBuffer midi;
    const struct
    {
        int index;
        bool stereo;
    } cases[] = { { 0, false },  { 1, true },  { 2, false }, { 1, true },
                  { -1, false }, { 3, false }, { 1, true },  { 1, true } };
    for (const auto& c : cases)
    {
        p.switchPanning (c.index);
        p.processBlock (empty, midi);
        ASSERT_EQ (p.scene.listeners.size(), 1u);
        EXPECT_EQ (p.scene.listeners.front()->panner,
                   c.stereo ? (al::Spatializer*) p.stereoPanner.get() : (al::Spatializer*) p.dbapPanner.get())
            << c.index;
    }
}

// The message thread switches panners and reads the display values while the audio
// thread renders; the audio thread never stops producing sound.
TEST (ListenerSwitchTest, SwitchesWhileTheAudioThreadRenders)
{
    QuorvelV2AudioProcessor p;
    p.prepareToPlay (44100.0, 128);
    placeStill (p, al::Vec3d (2.0, 0.0, 0.0));
    p.setParameter (kParamVelY, 0.1f);

    std::atomic<bool> done{ false };
    std::atomic<int> lastRequest{ 1 };
    std::atomic<int> unfinished{ 0 };
    std::thread message (
        [&]
        {
            for (int i = 0; i < 400; ++i)
            {
                const int choice = i % 3;
                p.switchPanning (choice);
                lastRequest = choice;
                for (int a = 0; a < 3; ++a)
                    unfinished += std::isfinite (p.modFreq[a].load()) ? 0 : 1;
                unfinished += std::isfinite (p.bandwidth.load()) ? 0 : 1;
                std::this_thread::yield();
            }
            done = true;
        });

    juce::AudioSampleBuffer buffer (2, 128);
    juce::MidiBuffer midi;
    int blocks = 0;
    double e = 0.0;
    while (!done || blocks < 50)
    {
        buffer.clear();
        p.processBlock (buffer, midi);
        e += buffer.getRMSLevel (0, 0, 128) + buffer.getRMSLevel (1, 0, 128);
        ASSERT_TRUE (std::isfinite (e));
        ++blocks;
    }
    message.join();

    juce::AudioSampleBuffer empty (2, 0);
    p.processBlock (empty, midi);
    ASSERT_EQ (p.scene.listeners.size(), 1u);
    EXPECT_EQ (p.scene.listeners.front()->panner,
               lastRequest == 1 ? (al::Spatializer*) p.stereoPanner.get() : (al::Spatializer*) p.dbapPanner.get());
    EXPECT_EQ (unfinished.load(), 0);
    EXPECT_GT (e, 0.0);
}

// A reader on another thread sees only values that some derivation wrote.
TEST (DisplayValues, ReadWholeWhileTheAudioThreadWrites)
{
    QuorvelV2AudioProcessor p;
    p.prepareToPlay (44100.0, 32);
    juce::AudioSampleBuffer buffer (2, 32);
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);

    const float speeds[2] = { 34.0f, 170.0f };
    const float depths[2] = { depth_from_vel_carrier (kDopplerSymmetric, speeds[0], 501.0f),
                              depth_from_vel_carrier (kDopplerSymmetric, speeds[1], 501.0f) };

    p.setScaledParameter (kParamVelX, speeds[0]);
    p.processBlock (buffer, midi);

    std::atomic<bool> done{ false };
    std::atomic<int> torn{ 0 };
    std::thread reader (
        [&]
        {
            while (!done)
            {
                const float d = p.modDepth[0];
                const float t = p.totalDepth;
                torn += (d == depths[0] || d == depths[1]) ? 0 : 1;
                torn += (t == depths[0] || t == depths[1]) ? 0 : 1;
            }
        });

    for (int b = 0; b < 3000; ++b)
    {
        p.setScaledParameter (kParamVelX, speeds[b % 2]);
        buffer.clear();
        p.processBlock (buffer, midi);
    }
    done = true;
    reader.join();
    EXPECT_EQ (torn.load(), 0);
}

// Hosts run instances at different rates in one process; the one prepared last must
// not retune the other, in either order.
TEST (Instances, EachPlaysTheCarrierAtItsOwnRate)
{
    for (const double laterRate : { 96000.0, 44100.0 })
    {
        const double rates[2] = { laterRate == 96000.0 ? 44100.0 : 96000.0, laterRate };
        QuorvelV2AudioProcessor first, second;
        QuorvelV2AudioProcessor* instances[2] = { &first, &second };
        for (int k = 0; k < 2; ++k)
            instances[k]->prepareToPlay (rates[k], 512);

        for (int k = 0; k < 2; ++k)
        {
            placeStill (*instances[k], al::Vec3d (2.0, 0.0, 0.0));
            const auto out = render (*instances[k], 40, 512);
            EXPECT_NEAR (frequencyOf (out.left.data() + 4096, 16384, rates[k]), 501.0, 1.0)
                << rates[k] << " Hz beside " << rates[1 - k] << " Hz";
        }
    }
}

// Hosts build, prepare, play and destroy instances on threads of their own, several
// at once; the noise source draws on every one of them.
TEST (Instances, FourThreadsBuildPrepareRenderNoiseAndDestroyAtOnce)
{
    std::atomic<int> silent{ 0 };
    std::vector<std::thread> hosts;
    for (const double rate : { 44100.0, 96000.0, 22050.0, 48000.0 })
        hosts.emplace_back (
            [rate, &silent]
            {
                for (int round = 0; round < 3; ++round)
                {
                    auto p = std::make_unique<QuorvelV2AudioProcessor>();
                    choose (*p, kParamOsc1Type, 4);
                    p->prepareToPlay (rate, 256);
                    silent += energy (render (*p, 8, 256).left) > 0.0 ? 0 : 1;
                }
            });
    for (auto& host : hosts)
        host.join();
    EXPECT_EQ (silent.load(), 0);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
