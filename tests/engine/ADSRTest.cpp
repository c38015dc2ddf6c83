#include "ADSR.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
// A small rate makes every stage a handful of samples long and every point exact.
ADSR makeEnvelope (float rate, float a, float d, float s, float r, float curve = 2.0f)
{
    ADSR env (rate, a, d, s, r, curve);
    env.enabled = true;
    return env;
}

int samplesUntilSustain (ADSR& env, int limit)
{
    for (int n = 0; n < limit; ++n)
    {
        env.nextSample();
        if (env.inSustain)
            return n + 1;
    }
    return -1;
}
} // namespace

TEST (ADSRStages, SwitchedOffPassesFullLevelInEveryStage)
{
    ADSR env (1000.0f, 0.01f, 0.02f, 0.5f, 0.05f, 2.0f);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (env.nextSample(), 1.0f);
    env.trigger();
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ (env.nextSample(), 1.0f);
    EXPECT_EQ (env.attackDecayIndex, 0) << "switched off, time does not advance";
    env.release();
    EXPECT_EQ (env.nextSample(), 1.0f);
}

TEST (ADSRStages, IdleAfterConstructionUntilTriggered)
{
    ADSR env = makeEnvelope (44100.0f, 0.01f, 0.02f, 0.9f, 0.5f);
    EXPECT_TRUE (env.isIdle());
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ (env.nextSample(), 0.0f);
}

TEST (ADSRStages, AttackDecaySustainReleaseFollowTheTables)
{
    // 1000 Hz: attack 10 points, decay 20 points, release 50 points.
    ADSR env = makeEnvelope (1000.0f, 0.01f, 0.02f, 0.9f, 0.05f);
    ASSERT_EQ (env.attackDecaySamples, 30);
    ASSERT_EQ (env.releaseSamples, 50);

    env.trigger();
    float out[30];
    for (float& o : out)
        o = env.nextSample();

    EXPECT_EQ (out[0], 0.0f);
    EXPECT_EQ (out[5], 0.25f);
    EXPECT_FLOAT_EQ (out[9], 0.81f);
    EXPECT_EQ (out[10], 1.0f) << "the decay starts at full level";
    EXPECT_FLOAT_EQ (out[20], 1.0f - 0.25f * 0.1f);
    for (int i = 1; i < 10; ++i)
        EXPECT_GT (out[i], out[i - 1]);
    for (int i = 11; i < 30; ++i)
        EXPECT_LT (out[i], out[i - 1]);
    EXPECT_GT (out[29], 0.9f);
    EXPECT_TRUE (env.inSustain) << "the table is used up after exactly 30 samples";

    for (int i = 0; i < 10; ++i)
        EXPECT_EQ (env.nextSample(), 0.9f);

    env.release();
    EXPECT_FLOAT_EQ (env.nextSample(), 0.9f);
    EXPECT_FLOAT_EQ (env.nextSample(), 0.9f * 0.98f * 0.98f);
    for (int i = 2; i < 50; ++i)
        env.nextSample();
    EXPECT_TRUE (env.isIdle());
    const float last = env.value;
    EXPECT_GT (last, 0.0f);
    EXPECT_LT (last, 0.001f);
    EXPECT_EQ (env.nextSample(), last) << "idle holds the level the release reached";
}

TEST (ADSRStages, ShortStagesAreRaisedButTheGivenTimesAreKept)
{
    ADSR env = makeEnvelope (1000.0f, 0.0f, 0.001f, 0.5f, -1.0f);
    EXPECT_EQ (env.attackTime, 0.0f);
    EXPECT_EQ (env.decayTime, 0.001f);
    EXPECT_EQ (env.releaseTime, -1.0f);
    EXPECT_EQ (env.attackDecaySamples, 20);
    EXPECT_EQ (env.releaseSamples, 10);
}

TEST (ADSRStages, CurveBelowOneGivesStraightSegments)
{
    ADSR env = makeEnvelope (1000.0f, 0.01f, 0.01f, 0.0f, 0.01f, 0.25f);
    EXPECT_EQ (env.curve, 1.0f);
    EXPECT_FLOAT_EQ (env.attackDecayPoint (4), 0.4f);
    EXPECT_FLOAT_EQ (env.attackDecayPoint (15), 0.5f);
    EXPECT_FLOAT_EQ (env.releasePoint (5), 0.5f);
}

TEST (ADSRStages, StageShorterThanOneSampleReturnsItsFirstPointOnce)
{
    ADSR env = makeEnvelope (10.0f, 0.01f, 0.01f, 0.7f, 0.01f);
    ASSERT_EQ (env.attackDecaySamples, 0);
    env.trigger();
    env.nextSample();
    EXPECT_TRUE (env.inSustain);
    EXPECT_EQ (env.nextSample(), 0.7f);
}

TEST (ADSRStages, SampleRateAloneKeepsTheBuiltTiming)
{
    ADSR env = makeEnvelope (1000.0f, 0.01f, 0.02f, 0.5f, 0.05f);
    env.setSampleRate (2000.0f);
    env.trigger();
    EXPECT_EQ (samplesUntilSustain (env, 1000), 30);
    env.setEnvelope (0.01f, 0.02f, 0.5f, 0.05f, 2.0f);
    EXPECT_EQ (env.attackDecaySamples, 60);
    EXPECT_EQ (env.releaseSamples, 100);
}

TEST (ADSRStages, CurvesShortenedUnderARunningStageEndItAtTheNextSample)
{
    ADSR env = makeEnvelope (1000.0f, 0.1f, 0.1f, 0.5f, 0.1f);
    env.trigger();
    for (int i = 0; i < 150; ++i)
        env.nextSample();
    env.setEnvelope (0.01f, 0.01f, 0.5f, 0.1f, 2.0f);
    // The stage ends on the last point of its new curve, just above the sustain level.
    EXPECT_EQ (env.nextSample(), env.attackDecayPoint (19));
    EXPECT_GT (env.value, 0.5f);
    EXPECT_TRUE (env.inSustain);
    EXPECT_EQ (env.nextSample(), 0.5f);

    env.release();
    for (int i = 0; i < 60; ++i)
        env.nextSample();
    env.setEnvelope (0.01f, 0.01f, 0.5f, 0.02f, 2.0f);
    EXPECT_EQ (env.nextSample(), 0.5f * env.releasePoint (19));
    EXPECT_TRUE (env.isIdle());
}

TEST (ADSRCapacity, StageTimesStayExactUpTo192kHz)
{
    ADSR env (44100.0f, 0.01f, 0.02f, 0.9f, 0.5f, 2.0f);
    env.enabled = true;
    env.setSampleRate (192000.0f);
    env.setEnvelope (4.0f, 4.0f, 0.5f, 4.0f, 2.0f);
    EXPECT_EQ (env.attackDecaySamples, 8 * 192000);
    EXPECT_EQ (env.releaseSamples, 4 * 192000);

    env.trigger();
    EXPECT_EQ (samplesUntilSustain (env, 2000000), 8 * 192000);
    env.release();
    int n = 0;
    while (!env.isIdle() && n < 2000000)
    {
        env.nextSample();
        ++n;
    }
    EXPECT_EQ (n, 4 * 192000);
}

TEST (ADSRCapacity, LengthsBeyondCountingAreClamped)
{
    ADSR env = makeEnvelope (44100.0f, 0.01f, 0.02f, 0.9f, 0.5f);
    env.setSampleRate (std::nanf (""));
    env.setEnvelope (1.0f, 1.0f, 0.5f, 1.0f, 2.0f);
    EXPECT_EQ (env.attackDecaySamples, 0);
    EXPECT_EQ (env.releaseSamples, 0);

    env.setSampleRate (1.0e12f);
    env.setEnvelope (4.0f, 4.0f, 0.5f, 4.0f, 2.0f);
    EXPECT_EQ (env.attackDecaySamples, ADSR::maxStagePoints);
    EXPECT_EQ (env.releaseSamples, ADSR::maxStagePoints);
    env.trigger();
    EXPECT_EQ (env.nextSample(), 0.0f);
    env.release();
    EXPECT_EQ (env.nextSample(), env.releaseStart);
    EXPECT_LT (env.releaseStart, 1.0e-20f);
}

TEST (ADSRCurves, PointsAfterAChangeAreTheTablesBuiltForTheNewSettings)
{
    // Lengths and FNV-1a hashes of every point's bits, recorded from a build of the
    // whole tables at each setting: the floor of 0.01 s, straight and curved segments,
    // a flat decay, stages of 4 s at high rates and a curve shorter than one sample.
    struct Built
    {
        float rate, attack, decay, sustain, release, curve;
        int attackDecayPoints, releasePoints;
        std::uint64_t attackDecayHash, releaseHash;
    };
    const Built built[] = {
        { 44100.0f, 0.01f, 0.02f, 0.9f, 0.5f, 2.0f, 1323, 22050, 0xbacbd9ed4ac4c5b0ull, 0xfd25810876d4fc94ull },
        { 44100.0f, 0.0f, 0.0f, 0.5f, 0.0f, 2.0f, 882, 441, 0xa4e983949ab15795ull, 0x6dc12d2021bb2ddaull },
        { 48000.0f, 0.25f, 1.3f, 0.37f, 0.8f, 2.0f, 74400, 38400, 0xc5ce10e1ffef1833ull, 0x7f3be8f6041e58efull },
        { 96000.0f, 4.0f, 4.0f, 0.0f, 4.0f, 2.0f, 768000, 384000, 0x31eea350d9dbb746ull, 0x3cda1cce80b25580ull },
        { 192000.0f, 1.0f, 3.0f, 1.0f, 2.5f, 2.0f, 768000, 480000, 0x7b6e80c6d3844d7eull, 0xf5506a48e80435b4ull },
        { 22050.0f, 0.3f, 0.05f, 0.6f, 0.2f, 1.0f, 7717, 4410, 0x743329a12aa626a1ull, 0x851e71d4d924911cull },
        { 44100.0f, 0.005f, 0.7f, 0.2f, 0.03f, 3.7f, 31311, 1323, 0x705b0b11130161beull, 0x253fb06e6255c1dbull },
        { 1000.0f, 0.0123f, 0.0456f, 0.25f, 0.0789f, 0.5f, 57, 78, 0xfe1c762dfc2c574bull, 0xa7d88f43c6cb8e3dull },
        { 10.0f, 0.01f, 0.01f, 0.7f, 0.01f, 2.0f, 0, 0, 0xcbf29ce484222325ull, 0xcbf29ce484222325ull },
    };
    auto hash = [] (int count, auto point)
    {
        std::uint64_t h = 0xcbf29ce484222325ull;
        for (int i = 0; i < count; ++i)
        {
            const float p = point (i);
            std::uint32_t bits;
            std::memcpy (&bits, &p, sizeof bits);
            for (int k = 0; k < 4; ++k)
                h = (h ^ ((bits >> (8 * k)) & 0xffu)) * 1099511628211ull;
        }
        return h;
    };

    for (const auto& b : built)
    {
        SCOPED_TRACE (b.rate);
        ADSR env = makeEnvelope (44100.0f, 0.5f, 0.5f, 0.5f, 0.5f);
        env.trigger();
        env.nextSample();
        env.setSampleRate (b.rate);
        env.setEnvelope (b.attack, b.decay, b.sustain, b.release, b.curve);
        ASSERT_EQ (env.attackDecaySamples, b.attackDecayPoints);
        ASSERT_EQ (env.releaseSamples, b.releasePoints);
        EXPECT_EQ (hash (env.attackDecaySamples, [&] (int i) { return env.attackDecayPoint (i); }),
                   b.attackDecayHash);
        EXPECT_EQ (hash (env.releaseSamples, [&] (int i) { return env.releasePoint (i); }), b.releaseHash);
    }
}

TEST (ADSRCurves, TriggerFindsTheFirstNearestPointOfASearchThroughEveryPoint)
{
    // Straight and curved attacks and decays, a flat decay, a sustain level above full
    // level (a rising decay) and exponents whose first points all round to 0.
    struct Setting
    {
        float rate, attack, decay, sustain, curve;
    };
    const Setting settings[] = {
        { 1000.0f, 0.01f, 0.02f, 0.9f, 2.0f },  { 1000.0f, 0.01f, 0.01f, 0.5f, 1.0f },
        { 1000.0f, 0.01f, 0.01f, 1.0f, 2.0f },  { 1000.0f, 0.05f, 0.03f, 1.5f, 1.0f },
        { 44100.0f, 0.0f, 0.03f, 0.0f, 40.0f }, { 48000.0f, 0.02f, 0.07f, 0.37f, 3.3f },
        { 10.0f, 0.01f, 0.01f, 0.7f, 2.0f },
    };
    for (const auto& s : settings)
    {
        SCOPED_TRACE (s.rate);
        ADSR env = makeEnvelope (s.rate, s.attack, s.decay, s.sustain, 0.05f, s.curve);
        const int n = env.attackDecaySamples;
        auto searchEveryPoint = [&] (float level)
        {
            int k = 0;
            float best = 1.0f;
            for (int i = 0; i < n; ++i)
                if (std::abs (level - env.attackDecayPoint (i)) < best)
                    best = std::abs (level - env.attackDecayPoint ((k = i)));
            return k;
        };

        std::vector<float> levels { 0.0f, 1.0f, s.sustain, -0.5f, 1.75f, -1.0f, std::nanf ("") };
        for (int i = 0; i < n; ++i)
        {
            levels.push_back (env.attackDecayPoint (i));
            if (i > 0)
                levels.push_back (0.5f * (env.attackDecayPoint (i - 1) + env.attackDecayPoint (i)));
        }
        for (float level : levels)
        {
            env.value = level;
            env.trigger();
            EXPECT_EQ (env.attackDecayIndex, searchEveryPoint (level)) << "level " << level;
        }
    }
}

TEST (ADSRTrigger, FromIdleAtZeroRestartsAtTheFirstPoint)
{
    ADSR env = makeEnvelope (1000.0f, 0.01f, 0.02f, 0.9f, 0.05f);
    env.trigger();
    EXPECT_EQ (env.attackDecayIndex, 0);
    EXPECT_EQ (env.nextSample(), 0.0f);
    EXPECT_FLOAT_EQ (env.nextSample(), 0.01f);
}

TEST (ADSRTrigger, ContinuesFromTheCurrentLevel)
{
    ADSR env = makeEnvelope (1000.0f, 0.01f, 0.02f, 0.5f, 0.05f, 1.0f);
    env.trigger();
    for (int i = 0; i < 40; ++i)
        env.nextSample();
    env.release();
    for (int i = 0; i < 10; ++i)
        env.nextSample();
    // Release point 9 of 50 from the sustain level: 0.5 x (1 - 9/50) = 0.41.
    const float level = env.value;
    EXPECT_EQ (level, 0.41f);

    // The attack rises 0, 0.1 .. 0.9 and the decay falls from 1 to 0.525: attack
    // point 4 (0.4) lies nearest.
    env.trigger();
    EXPECT_EQ (env.attackDecayIndex, 4);
    const float next = env.nextSample();
    EXPECT_EQ (next, 0.4f);
    EXPECT_NEAR (next, level, 0.05f) << "no jump back to silence";
    EXPECT_EQ (env.attackDecayIndex, 5);
}

TEST (ADSRTrigger, DuringSustainPicksTheNearestPointFirstOfEquals)
{
    // Straight attack 0, 0.1 .. 0.9 and decay 1 down to just above 0.5: the level
    // 0.5 lies exactly on attack point 5, which is found before the decay's end.
    ADSR env = makeEnvelope (1000.0f, 0.01f, 0.01f, 0.5f, 0.05f, 1.0f);
    env.trigger();
    samplesUntilSustain (env, 100);
    env.nextSample();
    env.trigger();
    EXPECT_EQ (env.attackDecayIndex, 5);

    // With sustain 1.0 the decay stays at 1.0, whose first point follows the attack:
    // the new note stays at the sustain level without a new attack.
    ADSR flat = makeEnvelope (1000.0f, 0.01f, 0.01f, 1.0f, 0.05f, 2.0f);
    flat.trigger();
    samplesUntilSustain (flat, 100);
    flat.nextSample();
    flat.trigger();
    EXPECT_EQ (flat.attackDecayIndex, 10);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ (flat.nextSample(), 1.0f);
}

TEST (ADSRRelease, DuringAttackFallsFromTheNextTableValue)
{
    ADSR env = makeEnvelope (1000.0f, 0.01f, 0.02f, 0.9f, 0.05f);
    env.trigger();
    for (int i = 0; i < 4; ++i)
        env.nextSample();
    env.release();
    EXPECT_EQ (env.releaseStart, env.attackDecayPoint (4));
    EXPECT_EQ (env.nextSample(), env.attackDecayPoint (4));
    EXPECT_LT (env.nextSample(), env.attackDecayPoint (4));
}

TEST (ADSRRelease, DuringReleaseOrIdleRestartsFromTheSustainLevel)
{
    ADSR env = makeEnvelope (1000.0f, 0.01f, 0.02f, 0.6f, 0.05f, 1.0f);
    env.trigger();
    samplesUntilSustain (env, 100);
    env.release();
    for (int i = 0; i < 10; ++i)
        env.nextSample();
    env.release();
    EXPECT_EQ (env.releaseIndex, 10) << "the fall continues at its own point";
    EXPECT_FLOAT_EQ (env.nextSample(), 0.6f * 0.8f);

    while (!env.isIdle())
        env.nextSample();
    env.release();
    EXPECT_EQ (env.nextSample(), 0.6f) << "a second release from the sustain level";
}
