#include "gam/Accum.h"
#include "gam/Buzz.h"
#include "gam/Osc.h"
#include "gam/Sine.h"

#include "AllocationCounter.h"
#include "SpectrumProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
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

// Oscillators built on a clock of their own follow it alone: the master's rate, which
// another instance may set, never retunes them.
TEST (Oscillators, FollowOnlyTheClockTheyWereBuiltOn)
{
    gam::Sync own;
    own.spu (96000.0);
    gam::Sine<> sine (1000.0f, 0.0f, own);
    gam::Square<> square (1000.0f, 0.0f, own);
    gam::Osc<> table (1000.0f, 0.0f, 512, own);
    for (const double rate : { 96000.0, 48000.0 })
    {
        gam::Sync::master().spu (22050.0);
        EXPECT_EQ (sine.radPerHz, (float) (2.0 * M_PI / rate));
        EXPECT_EQ (square.nyquist, (float) (rate / 2.0));
        EXPECT_NEAR ((double) table.inc * rate / 4294967296.0, 1000.0, 1e-3);
        own.spu (48000.0);
    }
    gam::Sync::master().spu (44100.0);
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

    // The second half second, long settled.
    std::vector<float> sawOut, squareOut;
    for (int i = 0; i < 44100; ++i)
    {
        saw.integrator = (float) ((double) (saw.integrator * 0.997f) + (double) (saw() * 0.125f));
        square.integrator = (float) ((double) (square.integrator * 0.997f) + (double) (square.odd() * 0.125f));
        if (i >= 22050)
        {
            sawOut.push_back (saw.integrator);
            squareOut.push_back (square.integrator);
        }
    }

    // Each harmonic leaves the integrator with the buzz's flat amplitude, 1 / 100.227 for
    // all harmonics and 2 / 101.227 for the odd ones, times the integrator's gain at it;
    // the buzzes have no constant part for the integrator to pile up.
    const double rate = 44100.0, hz = 220.0;
    for (int k = 1; k <= 6; ++k)
    {
        const double through = 0.125 / std::abs (1.0 - 0.997 * std::polar (1.0, -2.0 * M_PI * k * hz / rate));
        EXPECT_NEAR (amplitudeAt (sawOut, k * hz, rate), through / 100.227, through / 100.227 * 0.005) << k;
        const double odd = k % 2 == 1 ? through * 2.0 / 101.227 : 0.0;
        EXPECT_NEAR (amplitudeAt (squareOut, k * hz, rate), odd, through * 2.0 / 101.227 * 0.005) << k;
    }
    for (const auto* out : { &sawOut, &squareOut })
    {
        double sum = 0.0, peak = 0.0;
        for (float v : *out)
        {
            sum += v;
            peak = std::max (peak, (double) std::abs (v));
        }
        EXPECT_LT (std::abs (sum / (double) out->size()), 1e-4);
        // The ideal saw and square of those harmonics reach 0.125 * 200.45 / (4 * 100.2),
        // and the ringing at their jumps and the leak's sag add less than half of that.
        EXPECT_GT (peak, 0.0625);
        EXPECT_LT (peak, 0.094);
    }
}

// The buzz outputs written out from their definition: phase wrapping, the folded short
// series in single precision (the odd-harmonics denominator in double), the guard at a
// vanishing denominator.
namespace reference
{
constexpr float pi = 3.1415927f;
constexpr float twoPi = 6.2831855f;
constexpr double piD = 3.141592653589793;
constexpr double twoPiD = 6.283185307179586;

float wrap (float p)
{
    if (p >= pi)
    {
        p -= twoPi;
        if (p >= pi)
            p = (float) ((double) p - twoPiD * std::trunc (((double) p + piD) / twoPiD));
    }
    else if (p < -pi)
    {
        p += twoPi;
        if (p < -pi)
            p = (float) ((double) p - twoPiD * (std::trunc (((double) p + piD) / twoPiD) - 1.0));
    }
    return p;
}

template <class T>
T sinSeries7 (T x)
{
    const T x2 = x * x;
    return x * (T (1) + x2 * (T (-1.0 / 6.0) + x2 * (T (1.0 / 120.0) + x2 * T (-1.0 / 5040.0))));
}

float sinSeries9 (float x)
{
    const float x2 = x * x;
    return x * (1.0f + x2 * (float (-1.0 / 6.0) +
                             x2 * (float (1.0 / 120.0) + x2 * (float (-1.0 / 5040.0) + x2 * float (1.0 / 362880.0)))));
}

template <class T>
T cosSeries8 (T x)
{
    const T x2 = x * x;
    return T (1) + x2 * (T (-0.5) + x2 * (T (1.0 / 24.0) + x2 * (T (-1.0 / 720.0) + x2 * T (1.0 / 40320.0))));
}

float cosSeries10 (float x)
{
    const float x2 = x * x;
    return 1.0f + x2 * (-0.5f +
                        x2 * (float (1.0 / 24.0) + x2 * (float (-1.0 / 720.0) + x2 * (float (1.0 / 40320.0) +
                                                                                      x2 * float (-1.0 / 3628800.0)))));
}

float sinNear (float h, bool longSeries)
{
    const float quarterPi = float (piD / 4.0), halfPi = float (piD / 2.0);
    if (-quarterPi < h && h < quarterPi)
        return longSeries ? sinSeries9 (h) : sinSeries7 (h);
    if (h > 0.0f)
        return longSeries ? cosSeries10 (h - halfPi) : cosSeries8 (h - halfPi);
    return longSeries ? -cosSeries10 (h + halfPi) : -cosSeries8 (h + halfPi);
}

float allHarmonics (float theta, float n, float ampNorm)
{
    const float s = sinNear (theta / 2.0f, true);
    if (std::abs (s) < 0.000001f)
        return 2.0f * n * ampNorm;
    const float num = sinNear (wrap (theta * (n + 0.5f)), false);
    return (num - s) / s * ampNorm;
}

float oddHarmonics (float theta, float n, float frac)
{
    const double half = (double) n / 2.0;
    const float g = float (2.0 * std::nearbyint (half < 0.0 ? half - 0.499999985 : half + 0.499999985));
    const float c = (n + frac) - (g - 1.0f);

    double x = (double) theta - piD / 2.0;
    if (x < -piD)
        x += twoPiD;
    else if (x >= piD)
        x -= twoPiD;
    double sd;
    if (-piD / 4.0 < x && x < piD / 4.0)
        sd = cosSeries8 (x);
    else if (x > 0.0)
        sd = -sinSeries7 (x - piD / 2.0);
    else
        sd = sinSeries7 (x + piD / 2.0);
    const float s = (float) sd;

    if (std::abs (s) < 0.000001f)
        return (-float (piD / 2.0) < theta && theta < float (piD / 2.0)) ? g / (g + c) : -g / (g + c);
    return sinNear (wrap (g * theta), false) / ((g + c) * s);
}
} // namespace reference

TEST (Buzz, OutputsFollowTheirDefinitionSampleForSample)
{
    gam::Sync::master().spu (44100.0);
    for (float hz : { 220.0f, 1234.5f, 3000.0f, 9000.0f })
    {
        gam::Saw<> saw (440.0f, 0.0f);
        gam::Square<> square (440.0f, 0.0f);
        saw.inc = hz * saw.radPerHz;
        square.inc = hz * square.radPerHz;
        saw.harmonicsMax();
        square.harmonicsMax();
        for (int i = 0; i < 300; ++i)
        {
            const float sawTheta = reference::wrap (saw.phase);
            const float squareTheta = reference::wrap (square.phase);
            const float sawExpected = reference::allHarmonics (sawTheta, saw.numHarmonics, saw.ampNorm);
            const float squareExpected =
                reference::oddHarmonics (squareTheta, square.numHarmonics, square.harmonicsFrac);
            ASSERT_EQ (saw(), sawExpected) << hz << " Hz, sample " << i;
            ASSERT_EQ (square.odd(), squareExpected) << hz << " Hz, sample " << i;
            ASSERT_EQ (saw.phase, sawTheta + saw.inc);
            ASSERT_EQ (square.phase, squareTheta + square.inc);
        }
    }
}

TEST (Buzz, SumsAtAVanishingDenominatorTakeTheirLimits)
{
    gam::Sync::master().spu (44100.0);
    gam::Square<> square (220.0f, 0.0f);
    square.harmonicsMax();
    for (float theta : { 0.0f, 3.1415925f, -3.1415925f, 5e-7f })
    {
        square.phase = theta;
        EXPECT_EQ (square.odd(),
                   reference::oddHarmonics (reference::wrap (theta), square.numHarmonics, square.harmonicsFrac))
            << theta;
    }
    gam::Saw<> saw (220.0f, 0.0f);
    saw.harmonicsMax();
    for (float theta : { 0.0f, 1e-6f, -1e-6f })
    {
        saw.phase = theta;
        EXPECT_EQ (saw(), 2.0f * saw.numHarmonics * saw.ampNorm) << theta;
    }
}

TEST (Oscillators, RetuningToTheSameFrequencyKeepsThePhaseContinuous)
{
    gam::Sync::master().spu (44100.0);
    gam::Sine<> sine (440.0f, 0.0f), sineTwin (440.0f, 0.0f);
    gam::Saw<> saw (440.0f, 0.0f), sawTwin (440.0f, 0.0f);
    gam::Square<> square (440.0f, 0.0f), squareTwin (440.0f, 0.0f);
    auto tune = [] (auto& osc)
    {
        osc.inc = 220.0f * osc.radPerHz;
        osc.harmonicsMax();
    };
    sine.inc = sineTwin.inc = 220.0f * sine.radPerHz;
    for (auto* osc : { &saw, &sawTwin })
    {
        tune (*osc);
        tune (*osc);
    }
    for (auto* osc : { &square, &squareTwin })
    {
        tune (*osc);
        tune (*osc);
    }

    for (int i = 0; i < 137; ++i)
    {
        sine();
        sineTwin();
        saw();
        sawTwin();
        square.odd();
        squareTwin.odd();
    }

    const float sinePhase = sine.phase, sawPhase = saw.phase, squarePhase = square.phase;
    sine.inc = 220.0f * sine.radPerHz;
    tune (saw);
    tune (square);
    EXPECT_EQ (sine.phase, sinePhase);
    EXPECT_EQ (saw.phase, sawPhase);
    EXPECT_EQ (square.phase, squarePhase);

    for (int i = 0; i < 300; ++i)
    {
        ASSERT_EQ (sine(), sineTwin()) << i;
        ASSERT_EQ (saw(), sawTwin()) << i;
        ASSERT_EQ (square.odd(), squareTwin.odd()) << i;
    }

    gam::Accum<> accum (220.0f, 0.0f), accumTwin (220.0f, 0.0f);
    for (int i = 0; i < 137; ++i)
    {
        accum.nextPhase();
        accumTwin.nextPhase();
    }
    const uint32_t accumPhase = accum.phase;
    accum.freq = 220.0f;
    accum.inc = accum.incFor (220.0f);
    EXPECT_EQ (accum.phase, accumPhase);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ (accum.nextPhase(), accumTwin.nextPhase()) << i;
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
