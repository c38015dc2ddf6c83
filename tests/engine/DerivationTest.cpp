#include "ChooseItem.h"
#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
constexpr double pi = 3.14159265358979323846;
const float infinity = std::numeric_limits<float>::infinity();

void derive (QuorvelV2AudioProcessor& p, int times = 1)
{
    for (int i = 0; i < times; ++i)
        p.updateProcessorParameters();
}

// One silent block so that the agent's frequency follows the carrier.
void settle (QuorvelV2AudioProcessor& p)
{
    juce::AudioSampleBuffer buffer (2, 64);
    buffer.clear();
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);
}
} // namespace

TEST (Derivation, ConstructionReflectsTheDefaults)
{
    QuorvelV2AudioProcessor p;
    EXPECT_EQ (p.sampleRate, 44100.0);
    EXPECT_TRUE (p.getCurrentPresetName().isEmpty());

    // The agent starts at 220 Hz; speed 9.996 m/s on x between 6.4 m and 6.4 m, sine motion.
    const float f = 220.0f;
    const float fm = (float) ((double) (9.996f + 9.996f) / ((double) (6.4f + 6.4f) * pi));
    EXPECT_NEAR (p.modFreq[0], fm, 1e-5f);
    EXPECT_EQ (p.modFreq[1], 0.0f);
    EXPECT_EQ (p.modFreq[2], 0.0f);
    // The ratio from the agent's own speed and extents: (2v) / ((lo + hi) pi), then
    // the carrier over it, each step at the precision of its relation.
    const float v = (float) p.agents[0].velocity[0];
    const float lo = (float) p.agents[0].lowerBoundTarget[0], hi = (float) p.agents[0].upperBoundTarget[0];
    const float exactFm = (float) ((double) (v + v) / ((double) (lo + hi) * pi));
    const float ratio = f / exactFm;
    EXPECT_EQ (p.getScaledParameter (kParamRatioX), ratio);
    EXPECT_EQ (p.modFreq[0], f / ratio);
    EXPECT_EQ (p.getScaledParameter (kParamRatioY), 0.0f);

    const float depth = 9.996f * f / 340.0f;
    EXPECT_NEAR (p.modDepth[0], depth, 1e-4f);
    EXPECT_EQ (p.modDepth[1], 0.0f);
    EXPECT_NEAR (p.modIndex[0], depth / fm, 1e-3f);
    EXPECT_NEAR (p.totalDepth, depth, 1e-4f);
    EXPECT_NEAR (p.bandwidth, 2.0f * (depth + fm), 1e-3f);
    EXPECT_NEAR (p.cutoff, 501.0f + p.bandwidth * 0.5f, 1e-3f);
    EXPECT_EQ (p.filterType, 0);

    auto& agent = p.agents[0];
    EXPECT_EQ (agent.velocity[0], (double) 9.996f);
    EXPECT_EQ (agent.lowerBoundTarget[0], (double) p.getScaledParameter (kParamBndX1));
    EXPECT_EQ (agent.dopplerType, al::DOPPLER_DELAY);
    EXPECT_TRUE (agent.useAttenuation);
    EXPECT_EQ (agent.law, al::ATTEN_INVERSE);
    EXPECT_FALSE (agent.adsr.enabled);
    EXPECT_EQ (agent.requestedMotionType, 1);
    EXPECT_EQ (agent.gain, 1.0f);
    EXPECT_TRUE (p.stereoPanner->enabled);
    EXPECT_TRUE (p.dbapPanner->enabled);
}

TEST (Derivation, TrailRequestsOnePointPerSamplePlusOne)
{
    QuorvelV2AudioProcessor p;
    EXPECT_EQ (p.agents[0].trailLength.load(), 4411);
    p.setParameter (kParamTrail, 0.0f);
    derive (p);
    EXPECT_EQ (p.agents[0].trailLength.load(), 1);
    p.setScaledParameter (kParamTrail, -3.0f);
    derive (p);
    EXPECT_EQ (p.agents[0].trailLength.load(), 1);
    p.setScaledParameter (kParamTrail, 1.0e30f);
    derive (p);
    EXPECT_EQ (p.agents[0].trailLength.load(), QuorvelV2AudioProcessor::maxTrailPoints);
}

TEST (RatioLockOff, RatiosFollowSpeedAndBounds)
{
    QuorvelV2AudioProcessor p;
    settle (p);
    derive (p);
    const float f = 501.0f;
    EXPECT_EQ ((float) p.agents[0].currentFreq, f);

    const float fm = mod_from_vel_bounds (kMotionSine, kDopplerSymmetric, 9.996f, 6.4f, 6.4f);
    const float v = (float) p.agents[0].velocity[0];
    const float lo = (float) p.agents[0].lowerBoundTarget[0], hi = (float) p.agents[0].upperBoundTarget[0];
    const float ratio = cm_from_carrier_mod (f, mod_from_vel_bounds (kMotionSine, kDopplerSymmetric, v, lo, hi));
    EXPECT_EQ (p.getScaledParameter (kParamRatioX), ratio);
    EXPECT_EQ (p.modFreq[0], mod_from_cm_carrier (ratio, f));
    EXPECT_NEAR (p.modFreq[0], fm, 1e-5f);

    // No speed on y and z: no ratio, no modulation.
    EXPECT_EQ (p.getScaledParameter (kParamRatioY), 0.0f);
    EXPECT_EQ (p.getScaledParameter (kParamRatioZ), 0.0f);
    EXPECT_EQ (p.modFreq[1], 0.0f);

    p.setScaledParameter (kParamVelX, 0.01f);
    derive (p);
    EXPECT_EQ (p.getScaledParameter (kParamRatioX), 0.0f);
}

TEST (RatioLockOff, ScanSourceLocksEveryRatioToOne)
{
    QuorvelV2AudioProcessor p;
    choose (p, kParamOsc1Type, 6);
    settle (p);
    derive (p);
    for (int r : { kParamRatioX, kParamRatioY, kParamRatioZ })
        EXPECT_EQ (p.getScaledParameter (r), 1.0f);
    EXPECT_EQ (p.modFreq[0], 501.0f);
    EXPECT_EQ (p.modFreq[1], 0.0f);
}

TEST (RatioLockOff, EqualShiftLawWithUnequalBoundsGivesNoRatio)
{
    QuorvelV2AudioProcessor p;
    choose (p, kParamDopplerType, 2);
    p.setScaledParameter (kParamBndX2, 3.0f);
    derive (p);
    EXPECT_EQ (p.getScaledParameter (kParamRatioX), 0.0f);
    EXPECT_EQ (p.agents[0].dopplerType, al::DOPPLER_VELOCITY);
    EXPECT_TRUE (p.agents[0].compensateApproach);
}

TEST (RatioLockBounds, BoundsFollowRatioAndSpeedAndNeverFallBelowATenth)
{
    QuorvelV2AudioProcessor p;
    settle (p);
    choose (p, kParamRatioType, 1);
    p.setScaledParameter (kParamRatioX, 20.0f);
    p.setScaledParameter (kParamVelX, 200.0f);
    derive (p);

    const float f = 501.0f;
    const float b = symm_bounds_from_mod_vel (kMotionSine, f / 20.0f, 200.0f);
    EXPECT_NEAR (b, (float) (200.0 / (25.05 * pi)), 1e-5f);
    EXPECT_EQ (p.getScaledParameter (kParamBndX1), b);
    EXPECT_EQ (p.getScaledParameter (kParamBndX2), b);
    EXPECT_EQ (p.agents[0].lowerBoundTarget[0], (double) b);
    EXPECT_EQ (p.agents[0].upperBoundTarget[0], (double) b);

    // A ratio of 0 gives no modulator: the floor.
    p.setScaledParameter (kParamRatioY, 0.0f);
    derive (p);
    EXPECT_EQ (p.getScaledParameter (kParamBndY1), 0.1f);
    EXPECT_EQ (p.getScaledParameter (kParamBndY2), 0.1f);

    // Equal targets on every axis: the symmetric switches change nothing.
    p.setScaledParameter (kParamBndX1, 9.0f);
    choose (p, kParamSymmX, 1);
    derive (p);
    EXPECT_EQ (p.getScaledParameter (kParamBndX2), b);
}

TEST (RatioLockSpeed, BoundChangesMoveTheSpeedParameters)
{
    QuorvelV2AudioProcessor p;
    settle (p);
    choose (p, kParamRatioType, 2);
    p.setScaledParameter (kParamRatioX, 4.0f);
    p.setScaledParameter (kParamBndX1, 2.0f);
    p.setScaledParameter (kParamBndX2, 3.0f);
    derive (p);

    const float fm = 501.0f / 4.0f;
    const float v = vel_from_mod_bounds (kMotionSine, kDopplerSymmetric, fm, 2.0f, 3.0f);
    EXPECT_EQ (p.getScaledParameter (kParamVelX), v);
    EXPECT_EQ (p.agents[0].velocity[0], (double) v);
    EXPECT_NEAR (p.getParameter (kParamVelX), juce::jmin (1.0f, v / 340.0f), 1e-6f);

    p.setScaledParameter (kParamBndX2, 1.0f);
    derive (p);
    EXPECT_LT (p.getScaledParameter (kParamVelX), v);
    EXPECT_NEAR (p.modFreq[0], fm, 1e-3f);
}

TEST (RatioLock, OtherValuesLeaveEverythingAlone)
{
    QuorvelV2AudioProcessor p;
    p.setScaledParameter (kParamRatioType, 7.0f);
    p.setScaledParameter (kParamRatioX, 3.0f);
    p.setScaledParameter (kParamVelX, 20.0f);
    derive (p);
    EXPECT_EQ (p.getScaledParameter (kParamRatioX), 3.0f);
    EXPECT_EQ (p.agents[0].velocity[0], (double) 9.996f);
}

// The copy reads the lower target the previous derivation left, so a new lower
// bound reaches the upper bound one derivation late.
TEST (SymmetricBounds, UpperFollowsLowerOneBlockLate)
{
    QuorvelV2AudioProcessor p;
    choose (p, kParamSymmX, 1);
    derive (p);
    EXPECT_EQ (p.getScaledParameter (kParamBndX2), p.getScaledParameter (kParamBndX1));

    const float before = p.getScaledParameter (kParamBndX1);
    p.setScaledParameter (kParamBndX1, 12.0f);
    derive (p);
    EXPECT_EQ (p.getScaledParameter (kParamBndX2), before);
    EXPECT_EQ (p.agents[0].lowerBoundTarget[0], 12.0);
    derive (p);
    EXPECT_EQ (p.getScaledParameter (kParamBndX2), 12.0f);
    EXPECT_EQ (p.agents[0].upperBoundTarget[0], 12.0);

    // The other axes keep their own upper bounds.
    p.setScaledParameter (kParamBndY2, 4.0f);
    derive (p, 2);
    EXPECT_EQ (p.getScaledParameter (kParamBndY2), 4.0f);
}

TEST (Switches, ReadByTheirNormalisedValue)
{
    QuorvelV2AudioProcessor p;
    p.setParameter (kParamADSR, 0.3f);
    EXPECT_EQ (p.getScaledParameter (kParamADSR), 0.0f);
    derive (p);
    EXPECT_TRUE (p.agents[0].adsr.enabled);

    p.setParameter (kParamSymmY, 0.3f);
    p.setScaledParameter (kParamBndY1, 5.0f);
    derive (p, 2);
    EXPECT_EQ (p.getScaledParameter (kParamBndY2), 5.0f);

    p.setParameter (kParamADSR, 0.0f);
    derive (p);
    EXPECT_FALSE (p.agents[0].adsr.enabled);
    EXPECT_EQ (p.agents[0].targetFreq, 501.0);
}

TEST (DopplerChoice, SetsTheSourceLawAndApproachCompensation)
{
    QuorvelV2AudioProcessor p;
    auto& agent = p.agents[0];
    const struct
    {
        int item;
        int law;
        bool compensate;
    } cases[] = { { 1, al::DOPPLER_VELOCITY, false },
                  { 2, al::DOPPLER_VELOCITY, true },
                  { 3, al::DOPPLER_NONE, false },
                  { 0, al::DOPPLER_DELAY, false } };
    for (const auto& c : cases)
    {
        choose (p, kParamDopplerType, c.item);
        derive (p);
        EXPECT_EQ (agent.dopplerType, c.law) << c.item;
        EXPECT_EQ (agent.compensateApproach, c.compensate) << c.item;
    }

    choose (p, kParamDopplerType, 2);
    derive (p);
    p.setScaledParameter (kParamDopplerType, 9.0f);
    derive (p);
    EXPECT_EQ (agent.dopplerType, al::DOPPLER_VELOCITY);
    EXPECT_TRUE (agent.compensateApproach);
}

TEST (DopplerChoice, PhysicalLawAtTheSpeedOfSoundSaturatesTheLimits)
{
    QuorvelV2AudioProcessor p;
    settle (p);
    choose (p, kParamDopplerType, 1);
    p.setParameter (kParamVelX, 1.0f);
    derive (p);
    EXPECT_GT (p.modFreq[0], 0.0f);
    EXPECT_EQ (p.modDepth[0], infinity);
    EXPECT_EQ (p.modIndex[0], infinity);
    EXPECT_EQ (p.totalDepth, infinity);
    EXPECT_EQ (p.bandwidth, 20000.0f);
    EXPECT_EQ (p.cutoff, 10000.0f);

    choose (p, kParamDopplerType, 2);
    derive (p);
    EXPECT_EQ (p.modDepth[0], 501.0f / 2.0f);
}

TEST (AttenuationChoice, OffKeepsTheLastLaw)
{
    QuorvelV2AudioProcessor p;
    auto& agent = p.agents[0];
    choose (p, kParamGainType, 1);
    derive (p);
    EXPECT_TRUE (agent.useAttenuation);
    EXPECT_EQ (agent.law, al::ATTEN_INVERSE_SQUARE);
    EXPECT_NEAR (agent.attenuation (20.0), 1.0 / 16.0, 1e-9);

    choose (p, kParamGainType, 2);
    derive (p);
    EXPECT_FALSE (agent.useAttenuation);
    EXPECT_EQ (agent.law, al::ATTEN_INVERSE_SQUARE);

    choose (p, kParamGainType, 0);
    derive (p);
    EXPECT_TRUE (agent.useAttenuation);
    EXPECT_EQ (agent.law, al::ATTEN_INVERSE);
    EXPECT_NEAR (agent.attenuation (20.0), 1.0 / 4.0, 1e-9);
}

TEST (PanChoice, AnyNonZeroChoiceSwitchesBothPannersOn)
{
    QuorvelV2AudioProcessor p;
    for (int item : { 0, 1, 2, 3 })
    {
        choose (p, kParamPanType, item);
        derive (p);
        EXPECT_EQ (p.stereoPanner->enabled, item != 0) << item;
        EXPECT_EQ (p.dbapPanner->enabled, item != 0) << item;
        EXPECT_EQ (p.scene.listeners.front()->panner, p.stereoPanner.get());
    }
}

TEST (CutOff, FollowsSourceAndBandwidthWithinItsLimit)
{
    QuorvelV2AudioProcessor p;
    p.setParameter (kParamCarrier, 1.0f);
    p.setScaledParameter (kParamVelX, 340.0f);
    choose (p, kParamDopplerType, 1);
    derive (p);
    EXPECT_EQ (p.bandwidth, 20000.0f);
    EXPECT_EQ (p.cutoff, 10000.0f);

    QuorvelV2AudioProcessor quiet;
    quiet.setParameter (kParamVelX, 0.0f);
    choose (quiet, kParamOsc1Type, 4);
    derive (quiet);
    EXPECT_EQ (quiet.bandwidth, 0.0f);
    EXPECT_EQ (quiet.cutoff, 1000.0f);

    choose (quiet, kParamOsc1Type, 1);
    derive (quiet);
    EXPECT_EQ (quiet.cutoff, 501.0f);

    quiet.setParameter (kParamVelX, 0.05f);
    derive (quiet);
    EXPECT_NEAR (quiet.cutoff, 501.0f + 2.0f * quiet.bandwidth, 1e-3f);
    EXPECT_GT (quiet.bandwidth, 0.0f);
}

TEST (CutOff, TrackingFiltersFollowItWhateverTheChoice)
{
    QuorvelV2AudioProcessor a, b;
    choose (a, kParamFilterType, 2);
    choose (b, kParamFilterType, 0);
    a.setParameter (kParamCarrier, 0.1f);
    b.setParameter (kParamCarrier, 0.1f);
    derive (a);
    derive (b);
    EXPECT_EQ (a.filterType, 2);
    EXPECT_EQ (a.filter1x[0]->b0, b.filter1x[0]->b0);
    EXPECT_EQ (a.filter4x[1]->stages[3].a1, b.filter4x[1]->stages[3].a1);

    QuorvelV2AudioProcessor c;
    c.setParameter (kParamCarrier, 0.9f);
    derive (c);
    EXPECT_NE (c.filter1x[0]->b0, a.filter1x[0]->b0);
}

TEST (EnvelopeStages, RebuiltOnlyWhenAStageChanged)
{
    QuorvelV2AudioProcessor p;
    auto& env = p.agents[0].adsr;
    EXPECT_EQ (env.attackTime, 0.4f);
    EXPECT_EQ (env.decayTime, 0.4f);
    EXPECT_EQ (env.sustainLevel, 0.8f);
    EXPECT_EQ (env.releaseTime, 2.0f);

    // A mark in the curve exponent, which setEnvelope raises to at least 1, survives
    // every derivation that changes no stage.
    env.curve = 0.5f;
    derive (p, 3);
    EXPECT_EQ (env.curve, 0.5f);

    p.setParameter (kParamAttack, 0.2f);
    p.setParameter (kParamRelease, 0.25f);
    derive (p);
    EXPECT_EQ (env.curve, 1.0f);
    EXPECT_EQ (env.attackTime, 0.8f);
    EXPECT_EQ (env.releaseTime, 1.0f);
    EXPECT_EQ (env.decayTime, 0.4f);
    EXPECT_EQ (env.sustainLevel, 0.8f);

    env.curve = 0.5f;
    derive (p);
    EXPECT_EQ (env.curve, 0.5f);
}

TEST (ChoiceSafety, OutOfRangeScaledChoicesSelectNothing)
{
    QuorvelV2AudioProcessor p;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    p.setScaledParameter (kParamOsc1Type, 1.0e12f);
    p.setScaledParameter (kParamFilterType, nan);
    p.setScaledParameter (kParamMotionType, -1.0e12f);
    derive (p);
    EXPECT_EQ (p.agents[0].sourceType, -1);
    EXPECT_EQ (p.filterType, -1);
    EXPECT_EQ (p.agents[0].requestedMotionType, -1);
    EXPECT_TRUE (std::isfinite (p.cutoff));
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
