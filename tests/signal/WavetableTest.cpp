#include "gam/Array.h"
#include "gam/Osc.h"

#include "AllocationCounter.h"
#include "SpectrumProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using Table = gam::ArrayPow2<float>;
using Wavetable = gam::Osc<>;

TEST (Pow2Array, DeBruijnLogOfEveryPowerOfTwo)
{
    for (uint32_t k = 0; k < 32; ++k)
        EXPECT_EQ (gam::scl::deBruijn (1u << k), k);
    EXPECT_EQ (gam::scl::deBruijn (0), 0u);
}

TEST (Pow2Array, RequestedSizesRoundUpToPowersOfTwo)
{
    struct Case
    {
        uint32_t request, size, log2, shift;
    };
    for (const Case& c : { Case{ 0, 0, 0, 32 }, Case{ 1, 2, 1, 31 }, Case{ 2, 2, 1, 31 }, Case{ 3, 4, 2, 30 },
                           Case{ 512, 512, 9, 23 }, Case{ 513, 1024, 10, 22 } })
    {
        Table t (c.request);
        EXPECT_EQ (t.size(), c.size) << c.request;
        EXPECT_EQ (t.log2(), c.log2) << c.request;
        EXPECT_EQ (t.shift(), c.shift) << c.request;
        EXPECT_EQ (t.data() == nullptr, c.size == 0);
    }
}

TEST (Pow2Array, SizesWhosePowerOfTwoDoesNotFitGiveAnEmptyArray)
{
    EXPECT_EQ (gam::SizeArrayPow2::sizeFor (0x80000001u), 0u);
    EXPECT_EQ (gam::SizeArrayPow2::sizeFor (0xFFFFFFFFu), 0u);
    Table t (8, 1.0f);
    t.resize (0x80000001u, 0.0f);
    EXPECT_EQ (t.size(), 0u);
    EXPECT_EQ (t.data(), nullptr);
}

TEST (Pow2Array, ResizeKeepsContentsAndFillsNewEntries)
{
    Table t (4, 3.0f);
    for (uint32_t i = 0; i < 4; ++i)
        t[i] = (float) i;

    t.resize (5, -1.0f);
    ASSERT_EQ (t.size(), 8u);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ (t[i], (float) i);
    for (uint32_t i = 4; i < 8; ++i)
        EXPECT_EQ (t[i], -1.0f);

    float* const before = t.data();
    t.resize (7, 99.0f);
    EXPECT_EQ (t.data(), before);
    EXPECT_EQ (t[5], -1.0f);

    t.resize (2, 99.0f);
    ASSERT_EQ (t.size(), 2u);
    EXPECT_EQ (t[0], 0.0f);
    EXPECT_EQ (t[1], 1.0f);
}

TEST (Pow2Array, StorageIsCountedAndReleasedOnce)
{
    Table t (16);
    float* const block = t.data();
    EXPECT_EQ (Table::references (block), 1);

    t.clear();
    EXPECT_EQ (Table::references (block), 0);
    EXPECT_EQ (t.data(), nullptr);
    EXPECT_EQ (t.size(), 0u);
    EXPECT_EQ (t.shift(), 32u);
    t.clear();
    EXPECT_EQ (t.size(), 0u);

    Table empty (0);
    empty.clear();
    EXPECT_EQ (empty.data(), nullptr);
}

TEST (Pow2Array, SharedBlockIsCopiedPrivatelyOnResize)
{
    Table a (4, 2.0f);
    Table b (a);
    float* const shared = a.data();
    EXPECT_EQ (b.data(), shared);
    EXPECT_EQ (Table::references (shared), 2);

    b.resize (8, 5.0f);
    EXPECT_NE (b.data(), shared);
    EXPECT_EQ (a.data(), shared);
    EXPECT_EQ (Table::references (shared), 1);
    EXPECT_EQ (a[3], 2.0f);
    EXPECT_EQ (b[3], 2.0f);
    EXPECT_EQ (b[7], 5.0f);
}

TEST (Wavetable, AddSineFillsOneCycleAndChains)
{
    Wavetable osc (440.0f, 0.0f, 512);
    for (uint32_t i = 0; i < osc.size(); ++i)
        ASSERT_EQ (osc[i], 0.0f);

    osc.addSine (1, 1, 0);
    EXPECT_EQ (osc[128], 1.0f);
    EXPECT_EQ (osc[0], 0.0f);
    EXPECT_NEAR (osc[384], -1.0f, 1e-7);

    osc.addSine (1, 1, 0).addSine (2, 0.5, 0.25);
    EXPECT_FLOAT_EQ (osc[0], 0.5f);
    EXPECT_FLOAT_EQ (osc[128], 2.0f - 0.5f);
}

TEST (Wavetable, ReadsEntriesAndInterpolatesLinearlyAcrossTheWrap)
{
    gam::Sync::master().spu (44100.0);
    Wavetable osc (0.0f, 0.0f, 8);
    for (uint32_t i = 0; i < 8; ++i)
        osc[i] = (float) (i * i);

    const uint32_t step = 1u << osc.shift();
    osc.inc = 0;
    osc.phase = 3 * step;
    EXPECT_EQ (osc(), 9.0f);
    osc.phase = 3 * step + step / 2;
    EXPECT_EQ (osc(), 12.5f);
    osc.phase = 7 * step + step / 4;
    EXPECT_EQ (osc(), 49.0f * 0.75f);
}

TEST (Wavetable, FirstSampleIsTakenAtTheInitialPhase)
{
    gam::Sync::master().spu (44100.0);
    Wavetable osc (441.0f, 0.25f, 512);
    osc.addSine (1, 1, 0);
    EXPECT_EQ (osc(), 1.0f);
}

TEST (Wavetable, IncrementFollowsTheRateAndKeepsTheNextPhase)
{
    gam::Sync::master().spu (22050.0);
    Wavetable osc (1000.0f, 0.0f, 512);
    const uint32_t inc = osc.inc;
    EXPECT_EQ (inc, (uint32_t) std::nearbyint ((double) (float) (1000.0 / 22050.0) * 4294967296.0));
    for (int i = 0; i < 37; ++i)
        osc();
    const uint32_t next = osc.phase + osc.inc;

    gam::Sync::master().spu (44100.0);
    EXPECT_EQ (osc.inc, (uint32_t) std::nearbyint ((double) (float) (1000.0 / 44100.0) * 4294967296.0));
    EXPECT_NEAR ((double) osc.inc, inc / 2.0, 1.0);
    EXPECT_EQ (osc.phase + osc.inc, next);
    EXPECT_EQ (osc.freq, 1000.0f);
}

TEST (Wavetable, ProducesTheTablesWaveformAtItsFrequency)
{
    gam::Sync::master().spu (44100.0);
    Wavetable osc (441.0f, 0.0f, 512);
    for (int n = 1; n <= 15; n += 2)
        osc.addSine (n, (float) (1.0 / (n * n)), 0);

    std::vector<float> out (44100);
    for (float& v : out)
        v = osc();
    EXPECT_NEAR (toravel::test::zeroCrossingRate (out, 44100.0), 441.0, 0.05);
    EXPECT_NEAR (toravel::test::amplitudeAt (out, 441.0, 44100.0), 1.0, 1e-3);
    EXPECT_NEAR (toravel::test::amplitudeAt (out, 3 * 441.0, 44100.0), 1.0 / 9.0, 1e-3);
    EXPECT_LT (toravel::test::amplitudeAt (out, 2 * 441.0, 44100.0), 1e-4);
}

TEST (Wavetable, NegativeFrequencyRunsBackwards)
{
    gam::Sync::master().spu (44100.0);
    Wavetable osc (-441.0f, 0.0f, 512);
    osc.addSine (1, 1, 0);
    osc();
    EXPECT_LT (osc(), 0.0f);
}

TEST (Wavetable, SamplingAllocatesNothing)
{
    gam::Sync::master().spu (44100.0);
    Wavetable osc (440.0f, 0.0f, 512);
    osc.addSine (1, 1, 0);
    float sum = 0.0f;
    toravel::test::AllocationCounter counter;
    for (int i = 0; i < 4096; ++i)
        sum += osc();
    EXPECT_EQ (counter.count(), 0u);
    EXPECT_TRUE (std::isfinite (sum));
}

} // namespace
