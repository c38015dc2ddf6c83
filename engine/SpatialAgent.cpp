#include "SpatialAgent.h"

#include "QuorvelConversions.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr double pi = 3.141592653589793;
constexpr double halfPi = 1.5707963267948966;
constexpr double quarterPi = 0.7853981633974483;
constexpr double twoOverPi = 0.6366197723675814;

// Speed factor of a shaped motion at phase p within the extent b.
double shapeFactor (int shape, double p, double b)
{
    switch (shape)
    {
        case 1:
            return std::abs (std::sin (2.0 * pi * p / b));
        case 2:
            return twoOverPi * std::abs (std::asin (std::sin (halfPi * p / b)));
        case 3:
            return 1.0 - twoOverPi * std::abs (std::asin (std::sin (quarterPi * p / b)));
        case 4:
            return twoOverPi * std::abs (std::asin (std::sin (quarterPi * p / b)));
        default:
            return 0.0;
    }
}

} // namespace

double Agent::ShapeMemo::operator() (int shape, double p, double b)
{
    // Bit patterns, so that -0 and +0 (and NaNs) are told apart as the library would.
    uint64_t pBits, bBits;
    std::memcpy (&pBits, &p, sizeof p);
    std::memcpy (&bBits, &b, sizeof b);
    if (!(valid && shape == lastShape && pBits == lastPhase && bBits == lastExtent))
    {
        factor = shapeFactor (shape, p, b);
        lastShape = shape;
        lastPhase = pBits;
        lastExtent = bBits;
        valid = true;
    }
    return factor;
}

namespace
{
void makeMarker (al::Mesh& mesh, float radius)
{
    al::addSphere (mesh, 1.0, 16, 16);
    mesh.primitive = al::Mesh::TRIANGLES;
    mesh.scale (radius, radius, radius);
    mesh.generateNormals (true, false);
}
} // namespace

Agent::Agent (gam::Sync& oscillatorClock)
    : al::SoundSource (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 100000),
      adsr (44100.0f, 0.01f, 0.02f, 0.9f, 0.5f, 2.0f), trail (2000, al::Vec3f()), modulatorHistory (historySize, 0.0f),
      velocityHistory (historySize, 0.0f), attenuationHistory (historySize, 0.0f), trailAlpha (2000, 0.0f),
      saw (440.0f, 0.0f, oscillatorClock), sine (440.0f, 0.0f, oscillatorClock), square (440.0f, 0.0f, oscillatorClock),
      wavetable (440.0f, 0.0f, 512, oscillatorClock)
{
    for (auto& row : inputStore)
        std::fill (std::begin (row), std::end (row), 0.0f);

    makeMarker (centerSphere, 0.04f);
    makeMarker (sourceSphere, 0.1f);

    velocity = al::Vec3d (285.115, 100.0, 0.0);
    direction = al::Vec3d (1.0, 1.0, -1.0);
    lowerBound = lowerBoundTarget = upperBound = upperBoundTarget = al::Vec3d (0.25, 0.5, 50.0);

    usePerSampleProcessing = true;
    adsr.enabled = true;

    const float startFreq = 220.0f;
    sine.inc = startFreq * sine.radPerHz;
    saw.inc = startFreq * saw.radPerHz;
    saw.harmonicsMax();
    square.inc = startFreq * square.radPerHz;
    square.harmonicsMax();

    // Odd harmonics at 1/n^2 make the triangle.
    std::fill (wavetable.data(), wavetable.data() + wavetable.size(), 0.0f);
    for (int n = 1; n <= 15; n += 2)
        wavetable.addSine ((double) n, (double) (float) (1.0 / (n * n)), 0.0);

    publishShownValues();
}

Agent::~Agent()
{
    wavetable.clear();
}

void Agent::setSampleRate (float rate)
{
    sampleRate = rate;
    adsr.setSampleRate (rate);
}

void Agent::setOscFreq (double hz)
{
    // An oscillator's phase that once takes NaN or infinity keeps it for good; a
    // frequency that is no number leaves the oscillators as they are.
    if (!std::isfinite ((float) hz))
        return;
    targetFreq = hz;
    const float f = (float) hz;
    sine.inc = f * sine.radPerHz;
    saw.inc = f * saw.radPerHz;
    saw.harmonicsMax();
    square.inc = f * square.radPerHz;
    square.harmonicsMax();
    wavetable.freq = f;
    wavetable.inc = wavetable.incFor (f);
}

void Agent::resetToCenter()
{
    recentrePending.store (true, std::memory_order_release);
}

void Agent::resizeTrail (int points)
{
    if (points != trailLength.load (std::memory_order_relaxed))
    {
        trailLength.store (points, std::memory_order_relaxed);
        trailResizePending.store (true, std::memory_order_release);
    }
}

void Agent::onProcessSample (int frame)
{
    onUpdateNav();
    currentFreq = targetFreq;
    const float s = sourceSample (frame);
    const float e = adsr.nextSample();
    envValue.store (e, std::memory_order_relaxed);
    const float out = (float) ((double) e * ((double) gain * ((double) s * 0.9)));
    // The delay line is read back for as long as it is; a sample that is no number
    // (a gain, level or input beyond any sound) is written as silence instead.
    delayLine.next() = std::isfinite (out) ? out : 0.0f;
    publishShownValues();
}

float Agent::sourceSample (int frame)
{
    switch (sourceType)
    {
        case 0:
            return (float) ((double) sine (0.0f) * 0.1);
        case 1:
            saw.integrator = (float) ((double) (saw.integrator * 0.997f) + (double) saw() * 0.125);
            return saw.integrator;
        case 2:
            square.integrator = (float) ((double) (square.integrator * 0.997f) + (double) square.odd() * 0.125);
            return square.integrator;
        case 3:
            return wavetable() * 0.125f;
        case 4:
            if (!noiseStarted)
            {
                noise.seed (al::rnd::nextSeed());
                noiseStarted = true;
            }
            return (float) ((double) noise.uniform() * 0.2);
        case 5:
            // A frame or channel outside the store has no input: silence.
            if (frame < 0 || frame >= inputFrames || inputChannel < 0 || inputChannel >= inputChannels)
                return 0.0f;
            return inputStore[inputChannel][frame];
        case 6:
            return normalizedDistance;
        default:
            return 0.0f;
    }
}

void Agent::onUpdateNav()
{
    // Read before the exchange: a locked exchange at every sample would drain the
    // store buffer each time for a request that almost never comes.
    if (recentrePending.load (std::memory_order_relaxed) && recentrePending.exchange (false, std::memory_order_acquire))
    {
        pos = center;
        phase = al::Vec3d();
    }

    float v[3];
    for (int a = 0; a < 3; ++a)
        v[a] = (float) velocity[a];

    if (compensateApproach)
    {
        for (int a = 0; a < 2; ++a)
            if ((pos[a] > 0.0 && direction[a] == -1.0) || (pos[a] < 0.0 && direction[a] == 1.0))
                v[a] = vel_towards_from_vel_away (v[a]);
        if ((pos[2] > 0.0 && direction[2] == 1.0) || (pos[2] < 0.0 && direction[2] == -1.0))
            v[2] = vel_towards_from_vel_away (v[2]);
    }

    float u[3];
    for (int a = 0; a < 3; ++a)
        u[a] = v[a] / sampleRate;

    // Worked out in locals and stored once: a vector read back right after its
    // components were stored one by one waits on store forwarding.
    double st[3] = { 0.0, 0.0, 0.0 };
    if (motionType == 0)
    {
        for (int a = 0; a < 3; ++a)
            st[a] = direction[a] * u[a];
    }
    else if (motionType >= 1 && motionType <= 4)
    {
        for (int a = 0; a < 3; ++a)
        {
            if (motionType == 1)
                phase[a] += direction[a] * u[a] / pi;
            else
                phase[a] += direction[a] * u[a];

            const bool below = phase[a] < 0.0;
            const double extent = (a < 2) == below ? lowerBound[a] : upperBound[a];
            st[a] = direction[a] * u[a] * shapeMemo[a](motionType, phase[a], extent);
        }
    }

    // A NaN or infinite step (a rate of 0, an extent of 0) would leave the
    // position unusable for good; such a step stands still instead.
    for (int a = 0; a < 3; ++a)
        if (!std::isfinite (st[a]))
            st[a] = 0.0;

    step = al::Vec3d (st[0], st[1], st[2]);
    moveVel = al::Vec3d (st[0], st[1], -st[2]);

    bool extentsChanged = false;
    for (int a = 0; a < 3; ++a)
        if (!(lowerBound[a] == lowerBoundTarget[a]) || !(upperBound[a] == upperBoundTarget[a]))
            extentsChanged = true;
    if (extentsChanged)
    {
        for (int a = 0; a < 3; ++a)
        {
            const float window = (float) (velocity[a] / 10000.0);
            // Extents that are no number or farther than anything audible would never
            // turn the agent back to its centre, where new ones are taken; they give
            // way at once.
            if (std::abs (pos[a] - center[a]) <= (double) window || !(lowerBound[a] <= lostDistance) ||
                !(upperBound[a] <= lostDistance))
            {
                lowerBound[a] = lowerBoundTarget[a];
                upperBound[a] = upperBoundTarget[a];
                phase[a] = 0.0;
            }
        }
    }

    double requested[3];
    if (targetCenter.tryLoad (requested) &&
        !(requested[0] == center[0] && requested[1] == center[1] && requested[2] == center[2]))
        center = al::Vec3d (requested[0], requested[1], requested[2]);

    // A speed far beyond sound can throw the agent so far that at a sane speed it
    // would take hours to come back, silent all the while: an agent farther outside
    // its extents than this sample's step and the lost distance goes back to its
    // centre. No step within the parameters' ranges gets there.
    for (int a = 0; a < 3; ++a)
    {
        double reach = 0.0;
        for (double extent : { lowerBound[a], upperBound[a], lowerBoundTarget[a], upperBoundTarget[a] })
            if (extent > reach)
                reach = extent;
        if (!(std::abs (pos[a] - center[a]) <= reach + std::abs (st[a]) + lostDistance))
        {
            pos = center;
            phase = al::Vec3d();
            break;
        }
    }

    if (requestedMotionType != motionType)
    {
        pos = center;
        phase = al::Vec3d();
        motionType = requestedMotionType;
    }

    checkBounds();

    const float distance = (float) pos.mag();
    recordHistories (distance);

    float largest = 0.0f;
    for (int a = 0; a < 3; ++a)
        largest = std::max ({ largest, (float) lowerBound[a], (float) upperBound[a] });
    // With no extent at all there is nothing to normalise by; 0 keeps the scan
    // silent instead of sending NaN down the delay line and the filters.
    normalizedDistance = largest > 0.0f ? distance / largest : 0.0f;

    al::Nav::step (1.0);

    pose.pos = pos;
    pose.quat = quat;
}

void Agent::recordHistories (float distance)
{
    const float g = useAttenuation ? (float) attenuation ((double) distance) : 1.0f;

    if (trailGuard.tryEnter())
    {
        trail.push (al::Vec3f ((float) pos[0], (float) pos[1], (float) pos[2]));
        trailAlpha.push (g);
        trailGuard.leave();
    }
    attenuationHistory.push (g);

    const float s = (float) step.mag();
    velocityHistory.push (s * sampleRate);

    if (distance != prevDistance)
    {
        const float speed = s * sampleRate;
        const float w = distance < prevDistance ? speed : -speed;
        const EDopplerType law = dopplerType == al::DOPPLER_VELOCITY ? kDopplerPhysical
                                 : dopplerType == al::DOPPLER_DELAY  ? kDopplerSymmetric
                                                                     : kDopplerOff;
        modulatorHistory.push ((float) ((double) depth_from_vel_carrier (law, w, (float) currentFreq) / currentFreq));
    }
    prevDistance = distance;
}

void Agent::checkBounds()
{
    for (int a = 0; a < 3; ++a)
    {
        const double upper = (float) (center[a] + upperBound[a]);
        const double lower = (float) (center[a] - lowerBound[a]);
        if (a == 0)
        {
            if (pos[a] >= upper)
                direction[a] = -1.0;
            else if (pos[a] <= lower)
                direction[a] = 1.0;
        }
        else
        {
            if (pos[a] > upper)
                direction[a] = -1.0;
            else if (pos[a] < lower)
                direction[a] = 1.0;
        }
    }
}

void Agent::publishShownValues()
{
    for (int a = 0; a < 3; ++a)
    {
        shown.velocity[a] = velocity[a];
        shown.lowerBound[a] = lowerBound[a];
        shown.upperBound[a] = upperBound[a];
        shown.center[a] = center[a];
        shown.position[a] = pos[a];
    }
    shown.frequency = currentFreq;
}
