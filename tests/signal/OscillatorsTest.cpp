#include "gam/Buzz.h"
#include "gam/Sine.h"

#include "AllocationCounter.h"
#include "SpectrumProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using toravel::test::amplitudeAt;
using toravel::test::meanSquare;

template <class Osc, class Fn>
std::vector<float> render (Osc& osc, int count, Fn next)
{
    std::vector<float> out ((size_t) count);
    for (float& v : out)
        v = next (osc);
    return out;
}

TEST (PhaseWrap, BringsAnyPhaseIntoMinusPiToPi)
{
    for (float p : { 0.0f, 3.0f, 3.1415927f, -3.1415927f, 7.0f, -7.0f, 1000.0f, -1000.0f, 123456.7f })
    {
        const float w = gam::scl::wrapPhase (p);
        EXPECT_GE (w, -3.1415927f) << p;
        EXPECT_LT (w, 3.1415927f) << p;
        EXPECT_NEAR (std::remainder ((double) p - (double) w, 2.0 * M_PI), 0.0, 1e-4 * (1.0 + std::abs (p))) << p;
    }
}

TEST (Sine, FirstSampleIsTheInitialPhase)
{
    gam::Sync::master().spu (44100.0);
    gam::Sine<> zero (440.0f, 0.0f);
    EXPECT_EQ (zero(), 0.0f);

    gam::Sine<> quarter (440.0f, 0.25f);
    EXPECT_EQ (quarter(), 1.0000037f);

    gam::Sine<> half (440.0f, 0.5f);
    EXPECT_NEAR (half(), 0.0f, 1e-6f);
}

TEST (Sine, StaysWithinItsPeakAndMatchesTheLibrarySine)
{
    gam::Sync::master().spu (44100.0);
    gam::Sine<> sine (997.0f, 0.0f);
    double worst = 0.0;
    for (int i = 0; i < 44100; ++i)
    {
        const float p = gam::scl::wrapPhase (sine.phase);
        const float v = sine();
        ASSERT_LE (std::abs (v), 1.0000037f);
        worst = std::max (worst, std::abs ((double) v - std::sin ((double) p)));
    }
    EXPECT_LT (worst, 1e-4);
}

TEST (Sine, PitchSurvivesARateChange)
{
    gam::Sync::master().spu (44100.0);
    gam::Sine<> sine (440.0f, 0.0f);
    sine.inc = 220.0f * sine.radPerHz;
    std::vector<float> a = render (sine, 44100, [] (auto& s) { return s(); });
    EXPECT_NEAR (toravel::test::zeroCrossingRate (a, 44100.0), 220.0, 0.05);

    gam::Sync::master().spu (48000.0);
    EXPECT_NEAR (sine.inc / sine.radPerHz, 220.0f, 1e-3f);
    EXPECT_EQ (sine.radPerHz, (float) (2.0 * M_PI / 48000.0));
    std::vector<float> b = render (sine, 48000, [] (auto& s) { return s(); });
    EXPECT_NEAR (toravel::test::zeroCrossingRate (b, 48000.0), 220.0, 0.05);
}

TEST (Sine, FrequencyOffsetAppliesToOneStepAndDriftIsFoldedInOneStep)
{
    gam::Sync::master().spu (44100.0);
    gam::Sine<> a (100.0f, 0.0f), b (100.0f, 0.0f);
    a (5000.0f);
    b();
    EXPECT_NEAR (a.phase - b.phase, 5000.0f * a.radPerHz, 1e-5f);
    EXPECT_EQ (a.inc, b.inc);

    a.phase = 1000.0f;
    const float v = a();
    EXPECT_NEAR (v, std::sin (1000.0), 1e-4);
    EXPECT_LT (std::abs (a.phase - a.inc), 3.1415927f);
}

TEST (Sine, BuiltBeforeTheRateIsKnownKeepsItsFrequencyInHertz)
{
    gam::Sync::master().spu (1.0);
    gam::Sine<> sine (440.0f, 0.0f);
    sine.inc = 220.0f * sine.radPerHz;
    gam::Sync::master().spu (44100.0);
    EXPECT_NEAR (sine.inc / sine.radPerHz, 220.0f, 1e-3f);
}

TEST (Buzz, HarmonicsMaxAt220HzBelowA22050HzNyquist)
{
    gam::Sync::master().spu (44100.0);
    gam::Saw<> saw (440.0f, 0.0f);
    EXPECT_EQ (saw.nyquist, 22050.0f);
    const float fracBefore = saw.harmonicsFrac;
    EXPECT_EQ (saw.numHarmonics, 50.0f);

    saw.inc = 220.0f * saw.radPerHz;
    saw.harmonicsMax();
    const float a = saw.nyquist / (saw.inc / saw.radPerHz);
    EXPECT_NEAR (a, 100.227, 1e-3);
    EXPECT_EQ (saw.numHarmonics, 100.0f);
    EXPECT_EQ (saw.harmonicsWanted, 100.0f);
    EXPECT_NEAR (saw.harmonicsFrac, 0.227, 1e-3);
    EXPECT_EQ (saw.ampNorm, 0.5f / (fracBefore + 100.0f));

    saw.harmonicsMax();
    EXPECT_EQ (saw.ampNorm, 0.5f / (saw.harmonicsFrac + 100.0f));
    EXPECT_NEAR (saw.ampNorm, 0.5 / 100.227, 1e-6);
}

TEST (Buzz, CountFollowsTheRate)
{
    gam::Sync::master().spu (44100.0);
    gam::Square<> square (1000.0f, 0.0f);
    EXPECT_EQ (square.numHarmonics, 22.0f);
    gam::Sync::master().spu (96000.0);
    EXPECT_EQ (square.numHarmonics, std::floor (square.nyquist / (square.inc / square.radPerHz)));
    EXPECT_NEAR (square.numHarmonics, 48.0f, 1.0f);
    EXPECT_EQ (square.nyquist, 48000.0f);

    gam::Buzz<> fixed (1000.0f, 0.0f, 8.0f);
    EXPECT_EQ (fixed.numHarmonics, 8.0f);
    gam::Sync::master().spu (44100.0);
    EXPECT_EQ (fixed.numHarmonics, 8.0f);
    EXPECT_EQ (fixed.nyquist, 22050.0f);
}

TEST (Buzz, OutputsAtThetaZero)
{
    gam::Sync::master().spu (44100.0);
    gam::Saw<> saw (220.0f, 0.0f);
    saw.harmonicsMax();
    EXPECT_EQ (saw(), 2.0f * saw.numHarmonics * saw.ampNorm);

    gam::Square<> square (220.0f, 0.0f);
    const float g = 2.0f * std::ceil (square.numHarmonics / 2.0f);
    EXPECT_FLOAT_EQ (square.odd(), g / (square.numHarmonics + square.harmonicsFrac + 1.0f));
}

TEST (Buzz, AllHarmonicsSumMatchesItsClosedForm)
{
    gam::Sync::master().spu (44100.0);
    gam::Buzz<> buzz (1234.5f, 0.0f, 12.0f);
    ASSERT_EQ (buzz.ampNorm, 0.5f / 12.0f);
    double worst = 0.0;
    for (int i = 0; i < 4000; ++i)
    {
        const double theta = gam::scl::wrapPhase (buzz.phase);
        const float v = buzz();
        double sum = 0.0;
        for (int k = 1; k <= 12; ++k)
            sum += std::cos (k * theta);
        worst = std::max (worst, std::abs (v - sum / 12.0));
    }
    EXPECT_LT (worst, 2e-3);
}

TEST (Buzz, BandLimitedSawHasNoEnergyAboveNyquist)
{
    const double rate = 44100.0;
    gam::Sync::master().spu (rate);
    gam::Saw<> saw (1234.5f, 0.0f);
    saw.harmonicsMax();
    saw.harmonicsMax();
    const int n = (int) saw.numHarmonics;
    ASSERT_EQ (n, 17);

    const std::vector<float> out = render (saw, 16384, [] (auto& s) { return s(); });
    const double amp = 2.0 * saw.ampNorm;
    for (int k = 1; k <= n; ++k)
        EXPECT_NEAR (amplitudeAt (out, k * 1234.5, rate), amp, amp * 0.01) << k;
    for (int k = n + 1; k <= 40; ++k)
    {
        const double folded = std::abs (std::remainder (k * 1234.5, rate));
        EXPECT_LT (amplitudeAt (out, folded, rate), amp * 0.01) << "alias of harmonic " << k;
    }
    EXPECT_NEAR (meanSquare (out), n * amp * amp / 2.0, n * amp * amp / 2.0 * 0.01);
}

TEST (Buzz, OddHarmonicsSpectrum)
{
    const double rate = 44100.0;
    gam::Sync::master().spu (rate);
    gam::Square<> square (1234.5f, 0.0f);
    const float g = 18.0f;
    ASSERT_EQ (square.numHarmonics, 17.0f);

    const std::vector<float> out = render (square, 16384, [] (auto& s) { return s.odd(); });
    const double amp = 2.0 / (square.numHarmonics + square.harmonicsFrac + 1.0);
    for (int k = 1; k < (int) g; ++k)
    {
        const double expected = (k % 2 == 1) ? amp : 0.0;
        EXPECT_NEAR (amplitudeAt (out, k * 1234.5, rate), expected, amp * 0.02) << k;
    }
    for (int k = (int) g; k <= 40; ++k)
        EXPECT_LT (amplitudeAt (out, std::abs (std::remainder (k * 1234.5, rate)), rate), amp * 0.02) << k;
}

TEST (Buzz, AboveNyquistIsSilentAndZeroFrequencyDoesNotPoison)
{
    gam::Sync::master().spu (44100.0);
    gam::Saw<> high (30000.0f, 0.0f);
    EXPECT_EQ (high.numHarmonics, 0.0f);
    gam::Square<> zero (0.0f, 0.0f);
    EXPECT_EQ (zero.numHarmonics, 0.0f);
    for (int i = 0; i < 100; ++i)
    {
        EXPECT_EQ (high(), 0.0f);
        EXPECT_EQ (high.odd(), 0.0f);
        EXPECT_EQ (zero(), 0.0f);
        EXPECT_EQ (zero.odd(), 0.0f);
    }
}

TEST (Buzz, LeakyIntegrationGivesABoundedSawAndSquare)
{
    gam::Sync::master().spu (44100.0);
    gam::Saw<> saw (440.0f, 0.0f);
    gam::Square<> square (440.0f, 0.0f);
    for (auto* osc : { &saw.inc, &square.inc })
        *osc = 220.0f * saw.radPerHz;
    saw.harmonicsMax();
    square.harmonicsMax();

    float sawPeak = 0.0f, squarePeak = 0.0f;
    for (int i = 0; i < 44100; ++i)
    {
        saw.integrator = (float) ((double) (saw.integrator * 0.997f) + (double) (saw() * 0.125f));
        square.integrator = (float) ((double) (square.integrator * 0.997f) + (double) (square.odd() * 0.125f));
        sawPeak = std::max (sawPeak, std::abs (saw.integrator));
        squarePeak = std::max (squarePeak, std::abs (square.integrator));
    }
    EXPECT_GT (sawPeak, 0.05f);
    EXPECT_LT (sawPeak, 2.0f);
    EXPECT_GT (squarePeak, 0.05f);
    EXPECT_LT (squarePeak, 2.0f);
}

TEST (Oscillators, SamplingAndRetuningAllocateNothing)
{
    gam::Sync::master().spu (44100.0);
    gam::Sine<> sine (440.0f, 0.0f);
    gam::Saw<> saw (440.0f, 0.0f);
    gam::Square<> square (440.0f, 0.0f);
    float sum = 0.0f;
    toravel::test::AllocationCounter counter;
    for (int i = 0; i < 4096; ++i)
    {
        if (i % 512 == 0)
        {
            saw.inc = (float) (100 + i) * saw.radPerHz;
            saw.harmonicsMax();
        }
        sum += sine (0.0f) + saw() + square.odd();
    }
    EXPECT_EQ (counter.count(), 0u);
    EXPECT_TRUE (std::isfinite (sum));
}

} // namespace
