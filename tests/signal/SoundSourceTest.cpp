#include "al/SoundSource.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (DistAtten, NearDistanceAndBelowGiveUnity)
{
    for (int law : { al::ATTEN_NONE, al::ATTEN_LINEAR, al::ATTEN_INVERSE, al::ATTEN_INVERSE_SQUARE })
    {
        al::DistAtten<double> a (0.1, 20.0, law, 0.0);
        EXPECT_EQ (a.attenuation (0.1), 1.0) << law;
        EXPECT_EQ (a.attenuation (0.0), 1.0) << law;
    }
}

TEST (DistAtten, FarValuesOfEachLaw)
{
    al::DistAtten<double> inverse (0.1, 20.0, al::ATTEN_INVERSE, 0.0);
    EXPECT_EQ (inverse.attenuation (20.0), 0.25);
    EXPECT_EQ (inverse.attenuation (7.0), 0.1 / ((7.0 - 0.1) * ((4 * 0.1 - 0.1) / (20.0 - 0.1)) + 0.1));
    EXPECT_LT (inverse.attenuation (40.0), 0.25);

    al::DistAtten<double> square (0.1, 20.0, al::ATTEN_INVERSE_SQUARE, 0.0);
    EXPECT_EQ (square.attenuation (20.0), 0.0625);
    EXPECT_LT (square.attenuation (40.0), 0.0625);

    al::DistAtten<double> linear (0.1, 20.0, al::ATTEN_LINEAR, 0.0);
    EXPECT_DOUBLE_EQ (linear.attenuation (10.05), 0.5);
    EXPECT_EQ (linear.attenuation (20.0), 0.0);
    EXPECT_EQ (linear.attenuation (100.0), 0.0);

    al::DistAtten<double> biased (0.1, 20.0, al::ATTEN_LINEAR, 0.2);
    EXPECT_EQ (biased.attenuation (25.0), 0.2);
}

TEST (DistAtten, GainFallsMonotonically)
{
    for (int law : { al::ATTEN_LINEAR, al::ATTEN_INVERSE, al::ATTEN_INVERSE_SQUARE })
    {
        al::DistAtten<double> a (0.1, 20.0, law, 0.0);
        double previous = 1.0;
        for (double d = 0.1; d < 30.0; d += 0.37)
        {
            const double g = a.attenuation (d);
            EXPECT_LE (g, previous) << law << " at " << d;
            EXPECT_GE (g, 0.0);
            previous = g;
        }
    }
}

TEST (DistAtten, UnknownLawAttenuatesNothing)
{
    al::DistAtten<double> a (0.1, 20.0, 7, 0.0);
    EXPECT_EQ (a.scale, 1.0);
    EXPECT_EQ (a.attenuation (15.0), 1.0);
    a.law = -1;
    a.setScale();
    EXPECT_EQ (a.attenuation (15.0), 1.0);
}

TEST (DistAtten, DegenerateDistancesStayFinite)
{
    al::DistAtten<double> equal (5.0, 5.0, al::ATTEN_INVERSE, 0.0);
    EXPECT_EQ (equal.attenuation (6.0), 0.0);
    equal.law = al::ATTEN_LINEAR;
    equal.farBias = 0.3;
    equal.setScale();
    EXPECT_EQ (equal.attenuation (6.0), 0.3);

    // A near distance of 0 follows the limit of the law instead of 0/0.
    al::DistAtten<double> zeroNear (0.0, 20.0, al::ATTEN_INVERSE, 0.0);
    EXPECT_DOUBLE_EQ (zeroNear.attenuation (20.0), 0.25);
    EXPECT_TRUE (std::isfinite (zeroNear.attenuation (3.0)));
    zeroNear.law = al::ATTEN_INVERSE_SQUARE;
    zeroNear.setScale();
    EXPECT_DOUBLE_EQ (zeroNear.attenuation (20.0), 0.0625);
    EXPECT_EQ (zeroNear.attenuation (0.0), 1.0);
}

TEST (SoundSource, Construction)
{
    al::SoundSource src (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 100000);
    EXPECT_EQ (src.delayLine.size(), 100000);
    EXPECT_EQ (src.delayLine.writePos, 99999);
    EXPECT_EQ (src.delayLine.fillCount, 0);
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_EQ (src.posHistory[k][0], 1000.0);
        EXPECT_EQ (src.posHistory[k][1], 0.0);
        EXPECT_EQ (src.posHistory[k][2], 0.0);
    }
    EXPECT_EQ (src.pose.pos.mag(), 0.0);
    EXPECT_EQ (src.pose.quat.w, 1.0);
    EXPECT_TRUE (src.useAttenuation);
    EXPECT_FALSE (src.usePerSampleProcessing);
    EXPECT_EQ (src.dopplerType, al::DOPPLER_DELAY);
    EXPECT_DOUBLE_EQ (src.scale, 0.3 / 19.9);
    EXPECT_EQ (src.readSample (0.0), 0.0f);
    EXPECT_EQ (src.readSample (1234.5), 0.0f);
}

TEST (SoundSource, ReadSampleIntegerDelays)
{
    al::SoundSource src (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 16);
    for (int k = 0; k < 40; ++k)
        src.delayLine.next() = float (k * k);
    EXPECT_EQ (src.readSample (0.0), 39.0f * 39.0f);
    EXPECT_EQ (src.readSample (1.0), 38.0f * 38.0f);
    EXPECT_EQ (src.readSample (14.0), 25.0f * 25.0f);
}

TEST (SoundSource, ReadSampleHermiteInterpolation)
{
    al::SoundSource src (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 64);
    // A ramp of equal steps: the midpoint lies halfway, and the cubic is exact on lines.
    for (int k = 0; k < 100; ++k)
        src.delayLine.next() = float (k) * 0.5f;
    const float newest = 99 * 0.5f;
    EXPECT_EQ (src.readSample (3.5), 0.5f * ((newest - 1.5f) + (newest - 2.0f)));
    EXPECT_NEAR (src.readSample (10.25), newest - 10.25f * 0.5f, 1e-5f);

    // On a parabola Catmull-Rom is not exact, but stays between its neighbours.
    al::SoundSource sq (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 64);
    for (int k = 0; k < 64; ++k)
        sq.delayLine.next() = float (k * k);
    const float mid = sq.readSample (10.5);
    EXPECT_LT (mid, sq.readSample (10.0));
    EXPECT_GT (mid, sq.readSample (11.0));
}

TEST (SoundSource, ReadSampleAcrossTheWrap)
{
    al::SoundSource src (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 8);
    for (int k = 0; k < 10; ++k)
        src.delayLine.next() = float (k);
    ASSERT_EQ (src.delayLine.writePos, 1);
    EXPECT_EQ (src.readSample (0.0), 9.0f);
    EXPECT_EQ (src.readSample (2.5), 6.5f);
    EXPECT_EQ (src.readSample (6.0), 3.0f);
}

TEST (SoundSource, ReadSampleBelowOneSampleIgnoresTheOldestSlot)
{
    al::SoundSource src (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 16);
    src.delayLine.next() = 1.0e6f;
    for (int k = 1; k < 16; ++k)
        src.delayLine.next() = float (k);
    for (double d : { 0.001, 0.25, 0.5, 0.999 })
    {
        const float v = src.readSample (d);
        EXPECT_LE (v, 15.0f) << d;
        EXPECT_GE (v, 14.0f) << d;
    }
}

TEST (SoundSource, ReadSampleOutOfRangeStaysInsideTheLine)
{
    al::SoundSource src (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 8);
    for (int k = 0; k < 8; ++k)
        src.delayLine.next() = float (k + 1);
    EXPECT_EQ (src.readSample (-3.0), src.readSample (0.0));
    EXPECT_EQ (src.readSample (std::nan ("")), src.readSample (0.0));
    EXPECT_EQ (src.readSample (1e300), src.readSample (6.0));
    EXPECT_EQ (src.readSample (HUGE_VAL), 2.0f);

    al::SoundSource tiny (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 0);
    EXPECT_EQ (tiny.delayLine.size(), 1);
    tiny.delayLine.next() = 5.0f;
    EXPECT_EQ (tiny.readSample (3.0), 5.0f);
}

TEST (SoundSource, ReadSampleAllocatesNothing)
{
    al::SoundSource src;
    float sum = 0.0f;
    toravel::test::AllocationCounter c;
    for (int k = 0; k < 10000; ++k)
    {
        src.delayLine.next() = float (k % 7);
        sum += src.readSample ((k % 5) * 0.75);
    }
    EXPECT_EQ (c.count(), 0u);
    EXPECT_GT (sum, 0.0f);
}
