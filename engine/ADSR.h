#pragma once

#include <vector>

// Attack-decay-sustain-release envelope read from two precomputed tables, so the
// per-sample call is one table read. All members run on the audio thread except
// setSampleRate, which comes from the preparation for playback.
class ADSR
{
public:
    // Tables hold at least this many points; they grow with the sample rate so
    // that stage times of the parameter ranges stay exact at any rate.
    static constexpr int baseTableSize = 705600;
    // Longest stages the parameters can ask for (4 s each), in seconds.
    static constexpr float maxAttackDecaySeconds = 8.0f;
    static constexpr float maxReleaseSeconds = 4.0f;
    static constexpr float maxTableRate = 768000.0f;

    ADSR (float sampleRate, float attack, float decay, float sustain, float release, float curve);

    void setEnvelope (float attack, float decay, float sustain, float release, float curve);

    // Stores the rate; timing follows at the next setEnvelope. May grow the tables,
    // so it must not run concurrently with the audio thread.
    void setSampleRate (float rate);

    float nextSample();
    void trigger();
    void release();

    bool isIdle() const { return !inAttackDecay && !inSustain && !inRelease; }
    int tableCapacity() const { return (int) attackDecayTable.size(); }
    int releaseTableCapacity() const { return (int) releaseTable.size(); }

    float sampleRate = 0.0f;
    float value = 0.0f;
    float attackTime = 0.0f;
    float decayTime = 0.0f;
    float sustainLevel = 0.0f;
    float releaseTime = 0.0f;
    float curve = 1.0f;
    std::vector<float> attackDecayTable;
    std::vector<float> releaseTable;
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
    void growTablesFor (float rate);
};
