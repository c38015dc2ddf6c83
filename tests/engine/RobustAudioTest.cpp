#include "ChooseItem.h"
#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <vector>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
const double allRates[] = { 8000.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 };

// A host buffer of two channels whose storage is fenced on both sides by samples
// the processor must never touch.
class FencedBuffer
{
public:
    static constexpr int fence = 64;
    static constexpr float canary = 12345.0f;

    explicit FencedBuffer (int samples) : numSamples (samples)
    {
        for (int c = 0; c < 2; ++c)
        {
            storage[c].assign ((size_t) (samples + 2 * fence), canary);
            pointers[c] = storage[c].data() + fence;
        }
        buffer = std::make_unique<juce::AudioSampleBuffer> (pointers, 2, samples);
        buffer->clear();
    }

    bool fencesIntact() const
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < fence; ++i)
                if (storage[c][(size_t) i] != canary || storage[c][(size_t) (fence + numSamples + i)] != canary)
                    return false;
        return true;
    }

    juce::AudioSampleBuffer& get() { return *buffer; }

private:
    int numSamples;
    std::vector<float> storage[2];
    float* pointers[2];
    std::unique_ptr<juce::AudioSampleBuffer> buffer;
};

struct BlockCheck
{
    bool finite = true;
    double energy = 0.0;
};

BlockCheck processFenced (QuorvelV2AudioProcessor& p, int samples, const juce::MidiBuffer& events = {})
{
    FencedBuffer fenced (samples);
    juce::MidiBuffer midi (events);
    p.processBlock (fenced.get(), midi);
    EXPECT_TRUE (fenced.fencesIntact()) << "a block of " << samples << " samples was written past its ends";

    BlockCheck check;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < samples; ++i)
        {
            const float x = fenced.get().getSample (c, i);
            check.finite = check.finite && std::isfinite (x);
            check.energy += (double) x * x;
        }
    return check;
}

// The envelope as the agent applied it, one sample per block.
std::vector<float> envelopeTrace (QuorvelV2AudioProcessor& p, int samples, const juce::MidiBuffer& first)
{
    std::vector<float> trace;
    juce::AudioSampleBuffer one (2, 1);
    juce::MidiBuffer none;
    for (int i = 0; i < samples; ++i)
    {
        one.clear();
        juce::MidiBuffer midi (i == 0 ? first : none);
        p.processBlock (one, midi);
        trace.push_back (p.agents[0].envValue.load());
    }
    return trace;
}

bool isDenormal (double x)
{
    return x != 0.0 && std::abs (x) < DBL_MIN;
}

bool holdsDenormals (const al::BiQuad& b)
{
    return isDenormal (b.x1) || isDenormal (b.x2) || isDenormal (b.y1) || isDenormal (b.y2);
}
} // namespace

// One processor through every rate and block size a host may choose, prepared again
// without being released in between, and given blocks of the prepared size, longer
// ones and a different size at every block.
TEST (RobustAudio, EveryRateAndBlockSizeGivesFiniteSoundWithinTheBuffer)
{
    auto p = std::make_unique<QuorvelV2AudioProcessor>();
    choose (*p, kParamOsc1Type, 1);
    const int sizes[] = { 1, 2, 7, 64, 512, 1000, 4096, 8192 };
    juce::Random random (1234);

    for (double rate : allRates)
        for (int prepared : sizes)
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, prepared for " + juce::String (prepared));
            p->prepareToPlay (rate, prepared);

            const int lengths[] = { prepared, 2 * prepared + 3, 9000, 0, juce::jmax (1, prepared / 3) };
            double energy = 0.0;
            for (int length : lengths)
            {
                const auto check = processFenced (*p, length);
                ASSERT_TRUE (check.finite) << length;
                energy += check.energy;
            }
            for (int b = 0; b < 24; ++b)
            {
                const auto check = processFenced (*p, 1 + random.nextInt (prepared * 2 + 16));
                ASSERT_TRUE (check.finite);
                energy += check.energy;
            }
            EXPECT_GT (energy, 0.0);
        }
}

// A host that changes its rate prepares again; the envelope's stages keep their
// lengths in seconds, whichever rate the processor ran at before.
TEST (RobustAudio, EnvelopeStagesKeepTheirTimeAtEveryRate)
{
    auto p = std::make_unique<QuorvelV2AudioProcessor>();
    choose (*p, kParamADSR, 1);
    const float attackSeconds = 0.1f, decaySeconds = 0.05f;
    p->setScaledParameter (kParamAttack, attackSeconds);
    p->setScaledParameter (kParamDecay, decaySeconds);
    p->setScaledParameter (kParamSustain, 0.5f);
    p->setScaledParameter (kParamRelease, 0.01f);

    const double order[] = { 44100.0, 96000.0, 8000.0, 192000.0, 22050.0, 88200.0, 48000.0, 44100.0 };
    for (double rate : order)
    {
        SCOPED_TRACE (rate);
        p->prepareToPlay (rate, 1);

        juce::MidiBuffer noteOn;
        noteOn.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 0);
        const int span = (int) ((attackSeconds + decaySeconds) * rate * 1.5);
        const auto trace = envelopeTrace (*p, span, noteOn);

        // With the curve exponent 2 the attack passes a quarter of its height halfway
        // through, wherever on the attack the note started.
        int quarter = -1, peak = 0, sustain = -1;
        for (int i = 0; i < (int) trace.size(); ++i)
        {
            if (quarter < 0 && trace[(size_t) i] >= 0.25f)
                quarter = i;
            if (trace[(size_t) i] > trace[(size_t) peak])
                peak = i;
            if (sustain < 0 && trace[(size_t) i] == 0.5f)
                sustain = i;
        }
        ASSERT_GE (quarter, 0);
        EXPECT_NEAR (peak - quarter, attackSeconds * rate / 2.0, 2.0);
        EXPECT_FLOAT_EQ (trace[(size_t) peak], 1.0f);
        EXPECT_NEAR (sustain - peak, decaySeconds * rate, 2.0);

        juce::MidiBuffer noteOff;
        noteOff.addEvent (juce::MidiMessage::noteOff (1, 60), 0);
        envelopeTrace (*p, (int) (0.02 * rate), noteOff);
    }
}

// After the input falls silent, the filters decay towards zero; on their way they
// must not pass through the denormal range, where each operation costs many times
// its usual time.
TEST (RobustAudio, SilentTailLeavesNoDenormalsInTheFilters)
{
    for (int filter = 0; filter < 3; ++filter)
    {
        SCOPED_TRACE (filter);
        auto p = std::make_unique<QuorvelV2AudioProcessor>();
        const int block = 512;
        const double rate = 44100.0;
        p->prepareToPlay (rate, block);
        choose (*p, kParamOsc1Type, 5);
        choose (*p, kParamFilterType, filter);

        juce::AudioSampleBuffer buffer (2, block);
        juce::MidiBuffer midi;
        double phase = 0.0;
        for (int b = 0; b < 40; ++b)
        {
            for (int i = 0; i < block; ++i, phase += 0.05)
                for (int c = 0; c < 2; ++c)
                    buffer.setSample (c, i, (float) std::sin (phase) * 0.5f);
            p->processBlock (buffer, midi);
        }
        EXPECT_GT (buffer.getMagnitude (0, 0, block), 0.0f);

        int subnormalSamples = 0;
        for (int b = 0; b < (int) (4.0 * rate) / block; ++b)
        {
            buffer.clear();
            p->processBlock (buffer, midi);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < block; ++i)
                {
                    const float x = buffer.getSample (c, i);
                    if (x != 0.0f && std::abs (x) < FLT_MIN)
                        ++subnormalSamples;
                }
        }
        EXPECT_EQ (subnormalSamples, 0);

        for (int c = 0; c < 2; ++c)
        {
            EXPECT_FALSE (holdsDenormals (*p->filter1x[c]));
            for (auto* cascade : { p->filter4x[c].get(), p->filter8x[c].get() })
                for (int s = 0; s < cascade->numStages; ++s)
                    EXPECT_FALSE (holdsDenormals (cascade->stages[s])) << c << ", stage " << s;
        }
    }
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
