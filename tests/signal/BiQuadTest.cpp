#include "al/BiQuad.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace
{

using al::BiQuad;
using al::BiQuadNX;

struct Coefs
{
    double b0, b1, b2, a1, a2;
    bool operator== (const Coefs& o) const
    {
        return b0 == o.b0 && b1 == o.b1 && b2 == o.b2 && a1 == o.a1 && a2 == o.a2;
    }
};

Coefs coefs (const BiQuad& f)
{
    return { f.b0, f.b1, f.b2, f.a1, f.a2 };
}

Coefs design (al::BIQUADTYPE type, double rate, double hz, double bw, double gain)
{
    BiQuad f (type, rate);
    f.set (hz, bw, gain);
    return coefs (f);
}

double magnitudeAt (const Coefs& c, double hz, double rate)
{
    const std::complex<double> z1 = std::polar (1.0, -2.0 * M_PI * hz / rate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs ((c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2));
}

bool stable (const Coefs& c)
{
    return std::abs (c.a2) < 1.0 && std::abs (c.a1) < 1.0 + c.a2;
}

// Steady-state peak of a unit sine after the filter has settled.
template <class Filter>
double measuredGain (Filter& filter, double hz, double rate)
{
    std::vector<float> block (8192);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = (float) std::sin (2.0 * M_PI * hz * (double) i / rate);
    filter.processBuffer (block.data(), (int) block.size());
    float peak = 0.0f;
    for (size_t i = block.size() / 2; i < block.size(); ++i)
        peak = std::max (peak, std::abs (block[i]));
    return peak;
}

const al::BIQUADTYPE allTypes[] = { al::BIQUAD_LOWPASS, al::BIQUAD_HIGHPASS, al::BIQUAD_BANDPASS, al::BIQUAD_NOTCH,
                                    al::BIQUAD_PEAKING, al::BIQUAD_LOWSHELF, al::BIQUAD_HIGHSHELF };

TEST (BiQuadDesign, UnsetSectionUsesTheDefaultDesign)
{
    for (auto type : allTypes)
    {
        BiQuad fresh (type, 48000.0);
        EXPECT_TRUE (coefs (fresh) == design (type, 48000.0, 10000.0, 1.9, 0.0)) << type;
        EXPECT_TRUE (fresh.enabled);
        EXPECT_EQ (fresh.x1 + fresh.x2 + fresh.y1 + fresh.y2, 0.0);
    }
}

TEST (BiQuadDesign, FrequencyIsLimitedTo20To20000Hz)
{
    for (auto type : allTypes)
    {
        EXPECT_TRUE (design (type, 44100.0, 5.0, 1.0, 3.0) == design (type, 44100.0, 20.0, 1.0, 3.0)) << type;
        EXPECT_TRUE (design (type, 44100.0, -100.0, 1.0, 3.0) == design (type, 44100.0, 20.0, 1.0, 3.0)) << type;
        EXPECT_TRUE (design (type, 44100.0, 25000.0, 1.0, 3.0) == design (type, 44100.0, 20000.0, 1.0, 3.0)) << type;
        EXPECT_TRUE (design (type, 96000.0, 25000.0, 1.0, 3.0) == design (type, 96000.0, 20000.0, 1.0, 3.0)) << type;
        EXPECT_FALSE (design (type, 44100.0, 19990.0, 1.0, 3.0) == design (type, 44100.0, 20000.0, 1.0, 3.0)) << type;
    }
}

TEST (BiQuadDesign, GainAndBandwidthEnterOnlyWhereTheyBelong)
{
    for (auto type : { al::BIQUAD_LOWPASS, al::BIQUAD_HIGHPASS, al::BIQUAD_BANDPASS, al::BIQUAD_NOTCH })
        EXPECT_TRUE (design (type, 44100.0, 1000.0, 1.0, 0.0) == design (type, 44100.0, 1000.0, 1.0, 12.0)) << type;
    for (auto type : { al::BIQUAD_LOWSHELF, al::BIQUAD_HIGHSHELF })
    {
        EXPECT_TRUE (design (type, 44100.0, 1000.0, 0.3, 6.0) == design (type, 44100.0, 1000.0, 3.0, 6.0)) << type;
        EXPECT_FALSE (design (type, 44100.0, 1000.0, 1.0, 6.0) == design (type, 44100.0, 1000.0, 1.0, 0.0)) << type;
    }
    EXPECT_FALSE (design (al::BIQUAD_PEAKING, 44100.0, 1000.0, 1.0, 6.0) ==
                  design (al::BIQUAD_PEAKING, 44100.0, 1000.0, 1.0, 0.0));
}

TEST (BiQuadDesign, UnknownTypeKeepsThePreviousCoefficients)
{
    BiQuad f ((al::BIQUADTYPE) 9, 44100.0);
    EXPECT_EQ (f.b0, 1.0);
    EXPECT_EQ (f.b1 + f.b2 + f.a1 + f.a2, 0.0);
    f.set (1000.0, 1.0, 0.0);
    EXPECT_EQ (f.b0, 1.0);
}

TEST (BiQuadResponse, BandPassHasUnityGainAtItsCentre)
{
    for (double bw : { 0.1, 0.5, 1.0, 2.0, 4.0 })
        for (double hz : { 100.0, 1000.0, 5000.0 })
        {
            const Coefs c = design (al::BIQUAD_BANDPASS, 44100.0, hz, bw, 0.0);
            EXPECT_NEAR (magnitudeAt (c, hz, 44100.0), 1.0, 1e-9) << hz << " " << bw;
            EXPECT_LT (magnitudeAt (c, hz / 4.0, 44100.0), 1.0);
            EXPECT_LT (magnitudeAt (c, hz * 4.0, 44100.0), 1.0);
            if (bw <= 1.0)
            {
                EXPECT_LT (magnitudeAt (c, hz * 4.0, 44100.0), 0.5);
            }
        }
    BiQuad f (al::BIQUAD_BANDPASS, 44100.0);
    f.set (1000.0, 1.0, 0.0);
    EXPECT_NEAR (measuredGain (f, 1000.0, 44100.0), 1.0, 2e-3);
}

TEST (BiQuadResponse, LowPassPassesDcAndFallsTwelveDecibelsPerOctaveAboveItsCorner)
{
    const double rate = 44100.0;
    BiQuad f (al::BIQUAD_LOWPASS, rate);
    f.set (1000.0, 1.9, 0.0);
    const Coefs c = coefs (f);
    EXPECT_NEAR (magnitudeAt (c, 0.0, rate), 1.0, 1e-12);
    EXPECT_NEAR (20.0 * std::log10 (magnitudeAt (c, 1000.0, rate)), -3.0, 0.1);
    EXPECT_NEAR (magnitudeAt (c, 100.0, rate), 1.0, 0.01);
    const double octaveUp = 20.0 * std::log10 (magnitudeAt (c, 4000.0, rate) / magnitudeAt (c, 2000.0, rate));
    EXPECT_NEAR (octaveUp, -12.0, 1.0);

    EXPECT_NEAR (measuredGain (f, 100.0, rate), 1.0, 0.01);
    EXPECT_NEAR (measuredGain (f, 1000.0, rate), magnitudeAt (c, 1000.0, rate), 2e-3);
    EXPECT_LT (measuredGain (f, 8000.0, rate), 0.03);
}

TEST (BiQuadResponse, HighPassAndNotchAndShelves)
{
    const double rate = 48000.0;
    const Coefs hp = design (al::BIQUAD_HIGHPASS, rate, 1000.0, 1.9, 0.0);
    EXPECT_NEAR (magnitudeAt (hp, 0.0, rate), 0.0, 1e-12);
    EXPECT_NEAR (magnitudeAt (hp, 20000.0, rate), 1.0, 0.01);

    const Coefs notch = design (al::BIQUAD_NOTCH, rate, 3000.0, 1.0, 0.0);
    EXPECT_NEAR (magnitudeAt (notch, 3000.0, rate), 0.0, 1e-9);
    EXPECT_NEAR (magnitudeAt (notch, 0.0, rate), 1.0, 1e-12);

    const Coefs peak = design (al::BIQUAD_PEAKING, rate, 3000.0, 1.0, 6.0);
    EXPECT_NEAR (20.0 * std::log10 (magnitudeAt (peak, 3000.0, rate)), 6.0, 1e-9);

    const Coefs low = design (al::BIQUAD_LOWSHELF, rate, 500.0, 1.0, 6.0);
    EXPECT_NEAR (20.0 * std::log10 (magnitudeAt (low, 0.0, rate)), 6.0, 1e-9);
    EXPECT_NEAR (magnitudeAt (low, 20000.0, rate), 1.0, 0.01);

    const Coefs high = design (al::BIQUAD_HIGHSHELF, rate, 5000.0, 1.0, -6.0);
    EXPECT_NEAR (20.0 * std::log10 (magnitudeAt (high, rate / 2.0, rate)), -6.0, 1e-9);
    EXPECT_NEAR (magnitudeAt (high, 0.0, rate), 1.0, 1e-12);
}

TEST (BiQuadResponse, DesignsNearOrPastHalfTheRateStayStable)
{
    for (double rate : { 8000.0, 22050.0, 32000.0, 40000.0, 44099.0 })
        for (auto type : allTypes)
            for (double hz : { rate * 0.45, rate * 0.5, rate * 0.6, 20000.0 })
            {
                BiQuad f (type, rate);
                f.set (hz, 1.9, 0.0);
                const Coefs c = coefs (f);
                ASSERT_TRUE (std::isfinite (c.b0 + c.b1 + c.b2 + c.a1 + c.a2)) << rate << " " << hz;
                EXPECT_TRUE (stable (c)) << rate << " " << hz << " type " << type;
                if (type == al::BIQUAD_LOWPASS && std::min (hz, 20000.0) >= rate * 0.5)
                {
                    for (double below : { rate / 100.0, rate / 8.0 })
                        EXPECT_NEAR (magnitudeAt (c, below, rate), 1.0, 0.01) << rate << " " << hz << " at " << below;
                }
            }

    BiQuad f (al::BIQUAD_LOWPASS, 40000.0);
    f.set (20000.0, 1.9, 0.0);
    float impulse[2048] = { 1.0f };
    f.processBuffer (impulse, 2048);
    for (float v : impulse)
        ASSERT_TRUE (std::isfinite (v));
    EXPECT_LT (std::abs (impulse[2047]), 1e-3f);
    EXPECT_NEAR (measuredGain (f, 1000.0, 40000.0), 1.0, 0.01);
}

// Every design the plug-in makes at 32 kHz and above (tracking filters up to their
// 10 kHz cap, the output cascade) is kept to the bit, so that renders do not move: these
// are the coefficients those designs had before the warped bandwidth was bounded.
TEST (BiQuadDesign, DesignsThePlugInMakesAt32kHzAndAboveAreKept)
{
    const struct
    {
        double rate, hz, bw;
        Coefs c;
    } kept[] = {
        { 32000, 10000, 1.9, 0x1.00a8168e62591p-2, 0x1.00a8168e62591p-1, 0x1.00a8168e62591p-2, 0x1.1c2353fdcf1e3p-2,
          -0x1.1982f9c445b9ep-2 },
        { 32000, 10000, 1.7, 0x1.1d06c8d60874dp-2, 0x1.1d06c8d60874dp-1, 0x1.1d06c8d60874dp-2, 0x1.3b8bacc7cb67p-2,
          -0x1.8ee112df53272p-3 },
        { 44100, 10000, 1.9, 0x1.a39b560c1d4a3p-3, 0x1.a39b560c1d4a3p-2, 0x1.a39b560c1d4a3p-3, -0x1.1dd69faf681eap-3,
          -0x1.4ef020808ae22p-5 },
        { 48000, 10000, 1.7, 0x1.98f7676eb5647p-3, 0x1.98f7676eb5647p-2, 0x1.98f7676eb5647p-3, -0x1.1d9ee3f04c57dp-2,
          0x1.3e36cb36dc829p-4 },
        { 96000, 10000, 1.9, 0x1.204ff1404107fp-4, 0x1.204ff1404107fp-3, 0x1.204ff1404107fp-4, -0x1.14b875bb3b5efp+0,
          0x1.7331c82d2e83cp-2 },
        { 44100, 19000, 0.26, 0x1.842424b37fa88p-1, 0x1.842424b37fa88p+0, 0x1.842424b37fa88p-1, 0x1.71399b802a2d1p+0,
          0x1.2e1d5bcdaa482p-1 },
        { 48000, 1000, 1.7, 0x1.0329f31d428e1p-8, 0x1.0329f31d428e1p-7, 0x1.0329f31d428e1p-8, -0x1.d548c571fa0fcp+0,
          0x1.b2aada7cde33ep-1 },
    };
    for (const auto& k : kept)
        EXPECT_TRUE (design (al::BIQUAD_LOWPASS, k.rate, k.hz, k.bw, 0.0) == k.c)
            << k.rate << " " << k.hz << " " << k.bw;
}

// Below half the rate the bandwidth's warping correction grows without bound; the
// low-pass must keep a pass band, and no design may be refused (which would leave the
// filter where it was). A wide band is bounded there too, yet far from half the rate
// keeps its full warping.
TEST (BiQuadResponse, WarpingJustBelowHalfTheRateIsBoundedAndLowPassKeepsItsPassBand)
{
    for (double rate : { 8000.0, 16000.0, 22050.0, 24000.0, 28000.0 })
        for (double bw : { 1.9, 1.7 })
            for (int step = 0; step <= 120; ++step)
            {
                const double corner = std::min (0.2 + 0.0025 * step, 0.4999);
                BiQuad f (al::BIQUAD_LOWPASS, rate);
                f.set (20.0, bw, 0.0);
                f.set (corner * rate, bw, 0.0);
                const Coefs c = coefs (f);
                ASSERT_FALSE (c == design (al::BIQUAD_LOWPASS, rate, 20.0, bw, 0.0)) << rate << " " << corner;
                EXPECT_GT (20.0 * std::log10 (magnitudeAt (c, 0.12 * rate, rate)), -3.0) << rate << " " << corner;
            }
    // Six octaves at 1 kHz and 48 kHz need no bound: the design is the fully warped one.
    EXPECT_NEAR (design (al::BIQUAD_BANDPASS, 48000.0, 1000.0, 6.0, 0.0).b0, 0.34085255381031537, 1e-12);

    // Near half the rate, where the full warping would not even give a usable design,
    // six octaves are still warped (unlike past half the rate), bounded, and made.
    BiQuad wide (al::BIQUAD_BANDPASS, 16000.0);
    wide.set (1000.0, 6.0, 0.0);
    const Coefs running = coefs (wide);
    wide.set (0.49 * 16000.0, 6.0, 0.0);
    const Coefs bounded = coefs (wide);
    ASSERT_TRUE (std::isfinite (bounded.b0 + bounded.b1 + bounded.b2 + bounded.a1 + bounded.a2));
    EXPECT_TRUE (stable (bounded));
    EXPECT_FALSE (bounded == running);
    // Held to six times 4.05 / 1.9 octaves: alpha = sin w0 sinh (6 ln 2 / 2 * 4.05 / 1.9),
    // b0 = alpha / (1 + alpha). The common 4.05 octaves would give 0.107, no warping 0.198.
    EXPECT_NEAR (bounded.b0, 0.7253694145370089, 1e-12);
    EXPECT_FALSE (bounded == design (al::BIQUAD_BANDPASS, 16000.0, 0.5 * 16000.0, 6.0, 0.0));
    // Each bandwidth has its own bound: a wider one is not narrowed to a common one.
    EXPECT_FALSE (bounded == design (al::BIQUAD_BANDPASS, 16000.0, 0.49 * 16000.0, 8.0, 0.0));
}

TEST (BiQuadDesign, FrequencyAtOrAboveHalfTheRateStaysFiniteAndStable)
{
    for (double rate : { 16000.0, 32000.0 })
        for (auto type : allTypes)
            for (double bw : { 0.26, 1.7, 1.9 })
            {
                const Coefs atHalf = design (type, rate, 0.5 * rate, bw, 6.0);
                for (double hz : { 0.5 * rate, 0.75 * rate, 20000.0 })
                {
                    const Coefs c = design (type, rate, hz, bw, 6.0);
                    ASSERT_TRUE (std::isfinite (c.b0 + c.b1 + c.b2 + c.a1 + c.a2)) << rate << " " << hz;
                    EXPECT_TRUE (stable (c)) << rate << " " << hz << " type " << type << " bw " << bw;
                    EXPECT_TRUE (c == atHalf) << rate << " " << hz << " type " << type << " bw " << bw;
                    if (type == al::BIQUAD_LOWPASS)
                    {
                        EXPECT_NEAR (magnitudeAt (c, rate / 16.0, rate), 1.0, 0.02)
                            << rate << " " << hz << " bw " << bw;
                        EXPECT_LT (magnitudeAt (c, 0.4999 * rate, rate), 0.1) << rate << " " << hz << " bw " << bw;
                    }
                }
            }

    BiQuad f (al::BIQUAD_LOWPASS, 32000.0);
    f.set (16000.0, 0.26, 0.0);
    float impulse[4096] = { 1.0f };
    f.processBuffer (impulse, 4096);
    for (float v : impulse)
        ASSERT_TRUE (std::isfinite (v));
    EXPECT_LT (std::abs (impulse[4095]), 1e-6f);
}

TEST (BiQuadResponse, UnusableRateKeepsThePassThroughDesign)
{
    for (double rate : { 0.0, -44100.0, (double) NAN, (double) INFINITY })
    {
        BiQuad f (al::BIQUAD_LOWPASS, rate);
        f.set (1000.0, 1.0, 0.0);
        EXPECT_EQ (f (0.25), 0.25);
    }
}

TEST (BiQuadResponse, UnstableOrNotFiniteDesignsKeepTheRunningOne)
{
    for (auto type : allTypes)
    {
        BiQuad f (type, 44100.0);
        f.set (1000.0, 1.0, 3.0);
        const Coefs running = coefs (f);
        f.set (1000.0, -1.0, 3.0);
        f.set (1000.0, (double) NAN, 3.0);
        f.set (1000.0, 1.0, (double) INFINITY);
        EXPECT_TRUE (coefs (f) == running) << type;

        f.set ((double) NAN, 1.0, 3.0);
        EXPECT_TRUE (coefs (f) == design (type, 44100.0, 20.0, 1.0, 3.0)) << type;
    }
}

TEST (BiQuadState, DisabledSectionPassesThroughAndFreezesItsState)
{
    BiQuad f (al::BIQUAD_LOWPASS, 44100.0);
    f.set (500.0, 1.0, 0.0);
    BiQuad reference = f;
    for (double x : { 1.0, -0.5, 0.25 })
    {
        f (x);
        reference (x);
    }
    f.enabled = false;
    const double y1 = f.y1, x1 = f.x1;
    EXPECT_EQ (f (0.75), 0.75);
    EXPECT_EQ (f (-3.0), -3.0);
    EXPECT_EQ (f.y1, y1);
    EXPECT_EQ (f.x1, x1);

    f.enabled = true;
    EXPECT_EQ (f (0.5), reference (0.5));
}

TEST (BiQuadState, RedesignKeepsTheHistory)
{
    BiQuad f (al::BIQUAD_LOWPASS, 44100.0);
    f.set (500.0, 1.0, 0.0);
    f (1.0);
    f (0.5);
    const double x1 = f.x1, x2 = f.x2, y1 = f.y1, y2 = f.y2;
    f.set (2000.0, 1.0, 0.0);
    f.sampleRate = 48000.0;
    EXPECT_EQ (f.x1, x1);
    EXPECT_EQ (f.x2, x2);
    EXPECT_EQ (f.y1, y1);
    EXPECT_EQ (f.y2, y2);
}

TEST (BiQuadState, BlockFilteringNarrowsEachOutputToFloat)
{
    BiQuad f (al::BIQUAD_LOWPASS, 44100.0), g (al::BIQUAD_LOWPASS, 44100.0);
    float block[64];
    for (int i = 0; i < 64; ++i)
        block[i] = (float) std::sin (0.3 * i);
    float copy[64];
    std::copy (block, block + 64, copy);
    f.processBuffer (block, 64);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ (block[i], (float) g ((double) copy[i]));

    f.processBuffer (block, 0);
    f.processBuffer (block, -5);
    EXPECT_EQ (block[0], (float) BiQuad (al::BIQUAD_LOWPASS, 44100.0) ((double) copy[0]));
}

TEST (BiQuadCascade, EqualsItsSectionsAppliedOneAfterAnother)
{
    BiQuadNX cascade (4, al::BIQUAD_LOWPASS, 44100.0);
    cascade.set (3000.0, 1.7, 0.0);
    std::vector<BiQuad> sections (4, BiQuad (al::BIQUAD_LOWPASS, 44100.0));
    for (auto& s : sections)
        s.set (3000.0, 1.7, 0.0);

    std::vector<float> a (512), b;
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = (float) std::sin (0.05 * (double) i * (double) i);
    b = a;
    for (int pass = 0; pass < 2; ++pass)
    {
        cascade.processBuffer (a.data(), (int) a.size());
        for (auto& s : sections)
            s.processBuffer (b.data(), (int) b.size());
        EXPECT_EQ (a, b);
    }
}

// The cascade may run its sections side by side; whatever the number of sections, the
// block length (shorter than, equal to or longer than the cascade), the sections'
// designs and the vector instructions it may use, every sample must equal that of
// the sections run one after another.
TEST (BiQuadCascade, AnyLengthAndDesignsEqualTheSectionsOneAfterAnother)
{
    for (auto simd : { al::BiQuadSimd::widest, al::BiQuadSimd::sse2 })
        for (int stages : { 1, 2, 3, 4, 5, 7, 8, 9, 12, 17 })
            for (int length : { 1, 2, 3, 7, 8, 9, 16, 17, 33, 100 })
            {
                BiQuadNX cascade (stages, al::BIQUAD_LOWPASS, 48000.0);
                std::vector<BiQuad> sections;
                for (int k = 0; k < stages; ++k)
                {
                    const auto type = (al::BIQUADTYPE) (k % 7);
                    cascade.stages[k] = BiQuad (type, 48000.0);
                    cascade.stages[k].set (500.0 + 1500.0 * k, 0.5 + 0.2 * k, 3.0);
                    sections.push_back (cascade.stages[k]);
                }

                std::vector<float> a ((size_t) length), b;
                for (int pass = 0; pass < 3; ++pass)
                {
                    for (int i = 0; i < length; ++i)
                        a[(size_t) i] = (float) std::sin (0.37 * (i + pass * length) + 0.01 * i * i);
                    b = a;
                    cascade.processBuffer (a.data(), length, simd);
                    for (auto& s : sections)
                        s.processBuffer (b.data(), length);
                    ASSERT_EQ (a, b) << stages << " sections, " << length << " samples, pass " << pass << ", SIMD "
                                     << (int) simd;
                }
                for (int k = 0; k < stages; ++k)
                {
                    EXPECT_EQ (cascade.stages[k].x1, sections[(size_t) k].x1);
                    EXPECT_EQ (cascade.stages[k].x2, sections[(size_t) k].x2);
                    EXPECT_EQ (cascade.stages[k].y1, sections[(size_t) k].y1);
                    EXPECT_EQ (cascade.stages[k].y2, sections[(size_t) k].y2);
                }
            }
}

TEST (BiQuadStereoChains, EqualEachChannelsSectionsOneAfterAnother)
{
    for (auto simd : { al::BiQuadSimd::widest, al::BiQuadSimd::sse2 })
        for (int numSections : { 1, 2, 3, 4, 5, 8, 9, 12, 13 })
            for (int length : { 1, 2, 5, 11, 12, 13, 40, 257 })
                for (bool disable : { false, true })
                {
                    std::vector<BiQuad> chains[2], reference[2];
                    for (int c = 0; c < 2; ++c)
                        for (int k = 0; k < numSections; ++k)
                        {
                            BiQuad b ((al::BIQUADTYPE) ((k + 3 * c) % 7), 44100.0);
                            b.set (300.0 + 900.0 * k + 50.0 * c, 0.4 + 0.15 * k, -2.0 + c);
                            chains[c].push_back (b);
                        }
                    if (disable)
                        chains[1][(size_t) numSections / 2].enabled = false;
                    reference[0] = chains[0];
                    reference[1] = chains[1];
                    std::vector<BiQuad*> pointers[2];
                    for (int c = 0; c < 2; ++c)
                        for (auto& b : chains[c])
                            pointers[c].push_back (&b);

                    std::vector<float> samples[2], expected[2];
                    for (int pass = 0; pass < 2; ++pass)
                    {
                        for (int c = 0; c < 2; ++c)
                        {
                            samples[c].resize ((size_t) length);
                            for (int i = 0; i < length; ++i)
                                samples[c][(size_t) i] =
                                    (float) std::sin (0.21 * (i + pass * length) * (c + 1) + 0.3 * c);
                            expected[c] = samples[c];
                            for (auto& b : reference[c])
                                b.processBuffer (expected[c].data(), length);
                        }
                        al::processStereoChains (pointers[0].data(), pointers[1].data(), numSections, samples[0].data(),
                                                 samples[1].data(), length, simd);
                        ASSERT_EQ (samples[0], expected[0])
                            << numSections << " sections, " << length << " samples, SIMD " << (int) simd;
                        ASSERT_EQ (samples[1], expected[1])
                            << numSections << " sections, " << length << " samples, SIMD " << (int) simd;
                    }
                    for (int c = 0; c < 2; ++c)
                        for (int k = 0; k < numSections; ++k)
                        {
                            EXPECT_EQ (chains[c][(size_t) k].y1, reference[c][(size_t) k].y1);
                            EXPECT_EQ (chains[c][(size_t) k].y2, reference[c][(size_t) k].y2);
                            EXPECT_EQ (chains[c][(size_t) k].x1, reference[c][(size_t) k].x1);
                            EXPECT_EQ (chains[c][(size_t) k].x2, reference[c][(size_t) k].x2);
                        }
                }
}

TEST (BiQuadCascade, DisabledSectionInTheMiddlePassesItsInput)
{
    BiQuadNX cascade (8, al::BIQUAD_LOWPASS, 44100.0);
    cascade.set (4000.0, 1.0, 0.0);
    cascade.stages[3].enabled = false;
    std::vector<BiQuad> sections (8, cascade.stages[0]);
    sections[3].enabled = false;

    std::vector<float> a (64), b;
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = (float) std::cos (0.2 * (double) i);
    b = a;
    cascade.processBuffer (a.data(), (int) a.size());
    for (auto& s : sections)
        s.processBuffer (b.data(), (int) b.size());
    EXPECT_EQ (a, b);
}

// A design asked for again may be skipped; it must still be made whenever anything it
// depends on moved: the arguments, the rate, or the coefficients themselves.
TEST (BiQuad, RepeatedDesignFollowsEverythingItDependsOn)
{
    BiQuad f (al::BIQUAD_PEAKING, 44100.0);
    f.set (1000.0, 1.0, 6.0);
    f.set (1000.0, 1.0, 6.0);
    EXPECT_TRUE (coefs (f) == design (al::BIQUAD_PEAKING, 44100.0, 1000.0, 1.0, 6.0));

    f.set (2000.0, 1.0, 6.0);
    f.set (1000.0, 1.0, 6.0);
    EXPECT_TRUE (coefs (f) == design (al::BIQUAD_PEAKING, 44100.0, 1000.0, 1.0, 6.0));

    f.b0 = 0.5;
    f.a2 = 0.1;
    f.set (1000.0, 1.0, 6.0);
    EXPECT_TRUE (coefs (f) == design (al::BIQUAD_PEAKING, 44100.0, 1000.0, 1.0, 6.0));

    f.sampleRate = 96000.0;
    f.set (1000.0, 1.0, 6.0);
    EXPECT_TRUE (coefs (f) == design (al::BIQUAD_PEAKING, 96000.0, 1000.0, 1.0, 6.0));

    // A rejected design keeps what the section had, each time it is asked for.
    const Coefs before = coefs (f);
    f.set (1000.0, 0.0, 6.0);
    f.set (1000.0, 0.0, 6.0);
    EXPECT_TRUE (coefs (f) == before);
}

TEST (BiQuadCascade, SectionsThatDifferAreDesignedEachOnItsOwn)
{
    BiQuadNX cascade (4, al::BIQUAD_LOWPASS, 44100.0);
    cascade.set (3000.0, 1.7, 0.0);
    cascade.stages[2].sampleRate = 96000.0;
    cascade.stages[3].b1 = 0.25;
    cascade.set (3000.0, 1.7, 0.0);
    EXPECT_TRUE (coefs (cascade.stages[0]) == design (al::BIQUAD_LOWPASS, 44100.0, 3000.0, 1.7, 0.0));
    EXPECT_TRUE (coefs (cascade.stages[1]) == design (al::BIQUAD_LOWPASS, 44100.0, 3000.0, 1.7, 0.0));
    EXPECT_TRUE (coefs (cascade.stages[2]) == design (al::BIQUAD_LOWPASS, 96000.0, 3000.0, 1.7, 0.0));
    EXPECT_TRUE (coefs (cascade.stages[3]) == design (al::BIQUAD_LOWPASS, 44100.0, 3000.0, 1.7, 0.0));

    cascade.setSampleRate (48000.0);
    cascade.set (3000.0, 1.7, 0.0);
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE (coefs (cascade.stages[k]) == design (al::BIQUAD_LOWPASS, 48000.0, 3000.0, 1.7, 0.0));
}

TEST (BiQuadCascade, SampleRateChangeWaitsForTheNextDesign)
{
    BiQuadNX cascade (8, al::BIQUAD_LOWPASS, 44100.0);
    cascade.set (19000.0, 0.26, 0.0);
    const Coefs before = coefs (cascade.stages[7]);
    cascade.setSampleRate (96000.0);
    EXPECT_TRUE (coefs (cascade.stages[7]) == before);
    EXPECT_EQ (cascade.stages[0].sampleRate, 96000.0);
    cascade.set (19000.0, 0.26, 0.0);
    EXPECT_TRUE (coefs (cascade.stages[7]) == design (al::BIQUAD_LOWPASS, 96000.0, 19000.0, 0.26, 0.0));
}

TEST (BiQuadCascade, EightStageOutputFilterKeepsTheAudibleBand)
{
    BiQuadNX cascade (8, al::BIQUAD_LOWPASS, 44100.0);
    cascade.set (19000.0, 0.26, 0.0);
    EXPECT_NEAR (measuredGain (cascade, 1000.0, 44100.0), 1.0, 0.01);
    BiQuadNX again (8, al::BIQUAD_LOWPASS, 44100.0);
    again.set (19000.0, 0.26, 0.0);
    EXPECT_LT (measuredGain (again, 21500.0, 44100.0), 0.1);
}

TEST (BiQuadCascade, NoStagesPassesBlocksThrough)
{
    BiQuadNX none (0, al::BIQUAD_LOWPASS, 44100.0);
    BiQuadNX negative (-3, al::BIQUAD_LOWPASS, 44100.0);
    float block[3] = { 1.0f, -2.0f, 3.0f };
    none.processBuffer (block, 3);
    negative.processBuffer (block, 3);
    none.set (100.0, 1.0, 0.0);
    EXPECT_EQ (block[0], 1.0f);
    EXPECT_EQ (block[1], -2.0f);
    EXPECT_EQ (block[2], 3.0f);
}

TEST (BiQuadCascade, DesignAndFilteringAllocateNothing)
{
    BiQuadNX cascade (8, al::BIQUAD_LOWPASS, 44100.0);
    BiQuad single (al::BIQUAD_LOWPASS, 44100.0);
    float block[512] = {};
    block[0] = 1.0f;
    toravel::test::AllocationCounter counter;
    cascade.set (5000.0, 1.7, 0.0);
    single.set (5000.0, 1.9, 0.0);
    cascade.processBuffer (block, 512);
    single.processBuffer (block, 512);
    EXPECT_EQ (counter.count(), 0u);
}

} // namespace
