#pragma once

// Attack-decay-sustain-release envelope on two curves, one that rises to full level and
// falls to the sustain level and one that falls from full level toward 0. Each point
// is a closed-form function of its index, computed when the envelope reaches it, so a
// change of settings costs the same small amount however long the stages are and
// whatever the rate. All members run on the audio thread except setSampleRate, which
// comes from the preparation for playback.
class ADSR
{
public:
    // The longest stage, in points: keeps index arithmetic inside int whatever time
    // and rate it is given.
    static constexpr int maxStagePoints = 1 << 30;

    ADSR (float sampleRate, float attack, float decay, float sustain, float release, float curve);

    // Stores the settings and fixes both curves at the current rate; the stage, the
    // indices and the level stay as they are. An index that lies beyond the new
    // length ends its stage at the next sample.
    void setEnvelope (float attack, float decay, float sustain, float release, float curve);

    // Stores the rate; timing follows at the next setEnvelope.
    void setSampleRate (float rate);

    float nextSample();
    void trigger();
    void release();

    bool isIdle() const { return !inAttackDecay && !inSustain && !inRelease; }

    // Point i of each curve as last fixed by setEnvelope, for i from 0 to the curve's
    // length less one.
    float attackDecayPoint (int i) const;
    float releasePoint (int i) const;

    float sampleRate = 0.0f;
    float value = 0.0f;
    float attackTime = 0.0f;
    float decayTime = 0.0f;
    float sustainLevel = 0.0f;
    float releaseTime = 0.0f;
    float curve = 1.0f;
    int attackDecayIndex = 0;
    int releaseIndex = 0;
    float releaseStart = 0.0f;
    bool inAttackDecay = false;
    bool inSustain = false;
    bool inRelease = false;
    int attackDecaySamples = 0;
    int releaseSamples = 0;
    bool enabled = false;

private:
    double power (float x) const;
    float attackDecayLevel (int i) const;
    float releaseLevel (int i) const;
    int nearestAttackDecayPoint (float level) const;

    // What setEnvelope fixes for the curves: the attack's and the decay's lengths in
    // (fractional) samples, the decay's depth 1 - sustain and the exponent.
    float attackLength = 0.0f;
    float decayLength = 0.0f;
    double decayDepth = 0.0;
    double exponent = 1.0;
};
