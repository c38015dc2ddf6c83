#include "ADSR.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float minimumStageTime = 0.01f;

float atLeastMinimumStage (float t)
{
    return ((double) t < 0.01) ? minimumStageTime : t;
}

// Truncates a table length and keeps it inside the table, so that no setting
// (a negative or non-finite rate included) can write or read past the storage.
int clampedCount (float samples, int capacity)
{
    if (!(samples >= 0.0f))
        return 0;
    if (samples >= (float) capacity)
        return capacity;
    return (int) samples;
}

int capacityFor (float seconds, float rate)
{
    // Rates beyond the largest any host offers get the tables of that rate; their
    // longest stages are then clamped rather than the memory grown without bound.
    const double boundedRate = std::min ((double) rate, (double) ADSR::maxTableRate);
    const double wanted = std::ceil ((double) seconds * boundedRate) + 1.0;
    if (!(wanted > (double) ADSR::baseTableSize))
        return ADSR::baseTableSize;
    return (int) wanted;
}
} // namespace

ADSR::ADSR (float rate, float attack, float decay, float sustain, float releaseSeconds, float curveExponent)
    : sampleRate (rate), curve (curveExponent)
{
    attackDecayTable.assign ((size_t) capacityFor (maxAttackDecaySeconds, rate), 0.0f);
    releaseTable.assign ((size_t) capacityFor (maxReleaseSeconds, rate), 0.0f);
    setEnvelope (attack, decay, sustain, releaseSeconds, curveExponent);
}

void ADSR::growTablesFor (float rate)
{
    const int attackDecayWanted = capacityFor (maxAttackDecaySeconds, rate);
    if (attackDecayWanted > (int) attackDecayTable.size())
        attackDecayTable.resize ((size_t) attackDecayWanted, 0.0f);
    const int releaseWanted = capacityFor (maxReleaseSeconds, rate);
    if (releaseWanted > (int) releaseTable.size())
        releaseTable.resize ((size_t) releaseWanted, 0.0f);
}

void ADSR::setSampleRate (float rate)
{
    sampleRate = rate;
    growTablesFor (rate);
}

void ADSR::setEnvelope (float attack, float decay, float sustain, float releaseSeconds, float curveExponent)
{
    attackTime = attack;
    decayTime = decay;
    sustainLevel = sustain;
    releaseTime = releaseSeconds;

    const float a = atLeastMinimumStage (attack);
    const float d = atLeastMinimumStage (decay);
    const float r = atLeastMinimumStage (releaseSeconds);

    curve = std::max (1.0f, curveExponent);
    const double exponent = (double) curve;

    attackDecaySamples = clampedCount ((a + d) * sampleRate, (int) attackDecayTable.size());
    releaseSamples = clampedCount (r * sampleRate, (int) releaseTable.size());

    const float attackSamples = a * sampleRate;
    const float decaySamples = d * sampleRate;
    const double decayDepth = (double) (1.0f - sustain);
    for (int i = 0; i < attackDecaySamples; ++i)
    {
        const float fi = (float) i;
        if (fi < attackSamples)
        {
            attackDecayTable[(size_t) i] = (float) std::pow ((double) (fi / attackSamples), exponent);
        }
        else
        {
            const float q = (fi - attackSamples) / decaySamples;
            attackDecayTable[(size_t) i] = (float) (1.0 - std::pow ((double) q, exponent) * decayDepth);
        }
    }

    for (int i = 0; i < releaseSamples; ++i)
    {
        const float q = 1.0f - (float) i / (float) releaseSamples;
        releaseTable[(size_t) i] = (float) std::pow ((double) q, exponent);
    }
}

float ADSR::nextSample()
{
    if (!enabled)
        return 1.0f;

    if (inAttackDecay)
    {
        value = attackDecayTable[(size_t) attackDecayIndex];
        // ">=" rather than "==": a table rebuilt shorter under a running stage
        // leaves the index past the new end, which ends the stage here.
        if (++attackDecayIndex >= attackDecaySamples)
        {
            inAttackDecay = false;
            inSustain = true;
            attackDecayIndex = 0;
        }
    }
    else if (inSustain)
    {
        value = sustainLevel;
    }
    else if (inRelease)
    {
        value = releaseStart * releaseTable[(size_t) releaseIndex];
        if (++releaseIndex >= releaseSamples)
        {
            inRelease = false;
            releaseIndex = 0;
        }
    }
    return value;
}

void ADSR::trigger()
{
    int nearest = 0;
    if (attackDecaySamples >= 1)
    {
        float best = 1.0f;
        for (int i = 0; i < attackDecaySamples; ++i)
        {
            const float distance = std::abs (value - attackDecayTable[(size_t) i]);
            if (distance < best)
            {
                nearest = i;
                best = distance;
            }
        }
    }
    attackDecayIndex = nearest;
    releaseIndex = 0;
    inAttackDecay = true;
    inSustain = false;
    inRelease = false;
}

void ADSR::release()
{
    if (inAttackDecay)
    {
        releaseStart = attackDecayTable[(size_t) attackDecayIndex];
        inAttackDecay = false;
    }
    else
    {
        releaseStart = sustainLevel;
    }
    inSustain = false;
    inRelease = true;
}
