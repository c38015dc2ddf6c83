#pragma once

#include "ADSR.h"
#include "AgentHandover.h"
#include "Tausworthe.h"

#include "al/Drawable.h"
#include "al/Mesh.h"
#include "al/Nav.h"
#include "al/SoundSource.h"
#include "gam/Buzz.h"
#include "gam/Osc.h"
#include "gam/Sine.h"

#include <atomic>
#include <cstdint>

// The moving sound source: each call of onProcessSample moves it one step through
// its bounded space, computes one sample of its source signal and writes it, shaped
// by the envelope and the gain, into its delay line. It also records the trail and
// histories that the views draw.
//
// Threads: the audio thread runs onProcessSample and everything the processor sets
// here. The message thread writes targetCenter, showPoints, visAtten and calls
// resetToCenter; the 3-D view's render thread calls onAnimate and onDraw; each
// curve view's render thread calls its history drawer. What crosses goes through
// the mechanisms of AgentHandover.h.
class Agent : public al::SoundSource, public al::Nav, public al::Drawable
{
public:
    static constexpr int inputChannels = 8;
    static constexpr int inputFrames = 4096;
    static constexpr int historySize = 100000;
    // Farther than the delay line carries sound at any rate the engine takes
    // (100000 samples at 8000 Hz are 4250 m).
    static constexpr double lostDistance = 5000.0;

    // The oscillators follow the given clock: the processor's own, so that no other
    // instance's rate reaches them.
    explicit Agent (gam::Sync& oscillatorClock = gam::Sync::master());
    ~Agent() override;

    void onProcessSample (int frame) override;
    virtual void onAnimate (double);
    virtual void onUpdateNav();
    void onDraw (al::Graphics&) override;

    void onDraw();
    void onDrawModulator();
    void onDrawAttenuation();
    void onDrawVelCurve();

    void checkBounds();

    void setSampleRate (float rate);
    void setOscFreq (double hz);
    // Asks the audio thread to put the agent back at its centre with all phases 0
    // at its next sample; safe from the message thread.
    void resetToCenter();
    void resizeTrail (int points);

    // Whole values for the 3-D view's overlay, kept by the audio thread each sample.
    double shownVelocity (int axis) const { return shown.velocity[axis]; }
    double shownLowerBound (int axis) const { return shown.lowerBound[axis]; }
    double shownUpperBound (int axis) const { return shown.upperBound[axis]; }
    double shownFrequency() const { return shown.frequency; }

    ::ADSR adsr; // qualified: the framework has an ADSR of its own
    std::atomic<float> envValue{ 1.0f };
    al::Vec3d center;
    CentreRequest targetCenter;
    al::Vec3d phase;
    al::Vec3d step;
    al::Vec3d velocity;
    al::Vec3d direction;
    al::Vec3d lowerBound;
    al::Vec3d lowerBoundTarget;
    al::Vec3d upperBound;
    al::Vec3d upperBoundTarget;
    int motionType = 3;
    int requestedMotionType = 3;
    PointHistory trail;
    FloatHistory modulatorHistory;
    FloatHistory velocityHistory;
    FloatHistory attenuationHistory;
    FloatHistory trailAlpha;
    float normalizedDistance = 0.0f;
    al::Mesh centerSphere;
    al::Mesh sourceSphere;
    std::atomic<bool> trailResizePending{ true };
    std::atomic<int> trailLength{ 2000 };
    float inputStore[inputChannels][inputFrames];
    int sourceType = 0;
    float gain = 1.0f;
    bool compensateApproach = false;
    std::atomic<bool> visAtten{ false };
    int inputChannel = 0;
    gam::Saw<float, gam::Synced> saw;
    gam::Sine<float, gam::Synced> sine;
    gam::Square<float, gam::Synced> square;
    gam::Osc<float, gam::ipl::Linear, gam::phsInc::Loop, gam::Synced> wavetable;
    std::atomic<bool> showPoints{ false };
    // The noise source's generator, this agent's alone; seeded at its first draw.
    al::rnd::Tausworthe noise;
    float sampleRate = 44100.0f;
    double currentFreq = 220.0;
    double targetFreq = 220.0;
    float prevDistance = 0.0f;

private:
    float sourceSample (int frame);
    void recordHistories (float distance);
    void publishShownValues();
    void drawHistory (const FloatHistory& history);

    // The speed factor of the shaped motion, computed again only when its arguments
    // change: an axis that does not move keeps its phase, and its sine and arcsine
    // are then the same as at the previous sample.
    struct ShapeMemo
    {
        double operator() (int shape, double p, double b);

        bool valid = false;
        int lastShape = 0;
        uint64_t lastPhase = 0, lastExtent = 0;
        double factor = 0.0;
    };
    ShapeMemo shapeMemo[3];

    TrailGuard trailGuard;
    std::atomic<bool> recentrePending{ false };
    bool noiseStarted = false;

    struct Shown
    {
        ShownValue velocity[3], lowerBound[3], upperBound[3];
        ShownValue frequency;
        ShownValue center[3], position[3];
    } shown;
};

// Draws a mesh through client-side arrays with its own primitive; needs a current
// OpenGL context.
void drawMesh (const al::Mesh& mesh);
