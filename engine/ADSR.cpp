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

// Truncates a curve's length and keeps it within the limit, so that no setting (a
// negative or non-finite rate included) gives a length that int cannot count.
int clampedCount (float samples, int capacity)
{
    if (!(samples >= 0.0f))
        return 0;
    if (samples >= (float) capacity)
        return capacity;
    return (int) samples;
}

// First index of [lo, hi) at which pred holds, for a predicate that fails up to some
// index and holds from there on.
template <class Predicate>
int firstWhere (int lo, int hi, Predicate pred)
{
    while (lo < hi)
    {
        const int mid = lo + (hi - lo) / 2;
        if (pred (mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

struct Nearest
{
    int index = -1;
    float distance = INFINITY;
};

// The first of the points nearest to level in [lo, hi), where the points only rise
// (or only fall) along the run. Let j be the first point on the far side of level:
// the distances shrink (or stay) up to j - 1 and grow (or stay) from j on, so the
// nearest lies at j - 1 or at j, and the first of points as near as j - 1 is found by
// bisection as well. This is the point a search from lo with a strict comparison
// ends on.
template <class Point>
Nearest nearestInRun (int lo, int hi, bool rising, float level, Point point)
{
    auto distance = [&] (int i) { return std::abs (level - point (i)); };
    const int j = firstWhere (lo, hi, [&] (int i) { return rising ? !(point (i) < level) : !(point (i) > level); });

    Nearest nearest;
    if (j < hi)
        nearest = { j, distance (j) };
    if (j > lo)
    {
        const float before = distance (j - 1);
        if (!(nearest.distance < before))
            nearest = { firstWhere (lo, j, [&] (int i) { return distance (i) <= before; }), before };
    }
    return nearest;
}
} // namespace

ADSR::ADSR (float rate, float attack, float decay, float sustain, float releaseSeconds, float curveExponent)
    : sampleRate (rate), curve (curveExponent)
{
    setEnvelope (attack, decay, sustain, releaseSeconds, curveExponent);
}

void ADSR::setSampleRate (float rate)
{
    sampleRate = rate;
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
    exponent = (double) curve;

    attackDecaySamples = clampedCount ((a + d) * sampleRate, maxStagePoints);
    releaseSamples = clampedCount (r * sampleRate, maxStagePoints);
    attackLength = a * sampleRate;
    decayLength = d * sampleRate;
    decayDepth = (double) (1.0f - sustain);
}

// The square of a float's value is exact in double precision, so for the usual
// exponent of 2 a product gives the number that pow gives, at a fraction of its cost.
double ADSR::power (float x) const
{
    const double d = (double) x;
    return exponent == 2.0 ? d * d : std::pow (d, exponent);
}

// Quotients in single precision, powers in double precision, points stored as floats:
// the same numbers whether a point is computed once for a table or when it is reached.
float ADSR::attackDecayPoint (int i) const
{
    const float fi = (float) i;
    if (fi < attackLength)
        return (float) power (fi / attackLength);
    // 1 - p x 0 is 1 for every finite p; written out so that an exponent so large
    // that p overflows cannot give 1 - infinity x 0.
    if (decayDepth == 0.0)
        return 1.0f;
    const float q = (fi - attackLength) / decayLength;
    return (float) (1.0 - power (q) * decayDepth);
}

float ADSR::releasePoint (int i) const
{
    return (float) power (1.0f - (float) i / (float) releaseSamples);
}

// The level a stage gives at its index. An index left beyond a curve that a change of
// settings shortened gives the curve's last point, so that the stage ends where its
// new curve ends, next to the level that follows it (the sustain level, or silence);
// a curve shorter than one sample gives its starting level (0 for the attack, full
// level for the release).
float ADSR::attackDecayLevel (int i) const
{
    if (attackDecaySamples < 1)
        return 0.0f;
    return attackDecayPoint (std::min (i, attackDecaySamples - 1));
}

float ADSR::releaseLevel (int i) const
{
    if (releaseSamples < 1)
        return 1.0f;
    return releasePoint (std::min (i, releaseSamples - 1));
}

// The attack's points rise and the decay's fall (rise, for a sustain level above full
// level), so the nearest point is found by bisection over each of the two runs; ties
// go to the earlier point and only a point nearer than 1.0 counts, as in a search
// through every point from the first.
int ADSR::nearestAttackDecayPoint (float level) const
{
    if (attackDecaySamples < 1 || std::isnan (level))
        return 0;

    auto point = [this] (int i) { return attackDecayPoint (i); };
    const int decayStart = firstWhere (0, attackDecaySamples, [this] (int i) { return !((float) i < attackLength); });
    const Nearest attack = nearestInRun (0, decayStart, true, level, point);

    // A depth that is no finite number gives decay points that are no number or
    // infinite, which are never near.
    Nearest decay;
    if (std::isfinite (decayDepth))
        decay = nearestInRun (decayStart, attackDecaySamples, decayDepth < 0.0, level, point);

    const Nearest& nearest = attack.distance <= decay.distance ? attack : decay;
    return nearest.distance < 1.0f ? nearest.index : 0;
}

float ADSR::nextSample()
{
    if (!enabled)
        return 1.0f;

    if (inAttackDecay)
    {
        value = attackDecayLevel (attackDecayIndex);
        // ">=" rather than "==": a curve made shorter under a running stage leaves
        // the index past the new end, which ends the stage here.
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
        value = releaseStart * releaseLevel (releaseIndex);
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
    attackDecayIndex = nearestAttackDecayPoint (value);
    releaseIndex = 0;
    inAttackDecay = true;
    inSustain = false;
    inRelease = false;
}

void ADSR::release()
{
    if (inAttackDecay)
    {
        releaseStart = attackDecayLevel (attackDecayIndex);
        inAttackDecay = false;
    }
    else
    {
        releaseStart = sustainLevel;
    }
    inSustain = false;
    inRelease = true;
}
