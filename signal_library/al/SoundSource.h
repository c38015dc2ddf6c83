#pragma once

#include "al/AudioSceneObject.h"
#include "al/DistAtten.h"
#include "al/RingBuffer.h"

namespace al
{

enum DopplerType
{
    DOPPLER_NONE = 0,     // distance does not delay
    DOPPLER_DELAY = 1,    // distance * sampleRate / speedOfSound samples
    DOPPLER_VELOCITY = 2, // distance * sampleRate / (speedOfSound + radial speed) samples
};

// A positioned source that owns a delay line of its own signal. Its owner writes
// one sample per frame into delayLine.next(); the scene reads it back at the
// propagation delay. Sources are never deleted through a base pointer, so the
// destructor is not virtual.
class SoundSource : public AudioSceneObject, public DistAtten<double>
{
public:
    RingBuffer<float> delayLine;
    bool useAttenuation;
    int dopplerType;
    bool usePerSampleProcessing; // the scene calls onProcessSample once per frame

    SoundSource (double nearDistance = 0.1, double farDistance = 20.0, AttenuationLaw law = ATTEN_INVERSE,
                 DopplerType dopplerType = DOPPLER_DELAY, double farBias = 0.0, int delaySize = 100000);

    // Per-frame hook for sources that compute their signal inside the scene's
    // render: compute frame `frame` and store it in delayLine.next().
    virtual void onProcessSample (int frame);

    // The signal `delay` samples behind the newest one, by four-point Hermite
    // interpolation. Delays outside 0 .. size - 2 (and NaN) are clamped into
    // that range so a read never leaves the delay line. Between the newest two
    // samples the newest is held as its own newer neighbour.
    float readSample (double delay) const;
};

} // namespace al
