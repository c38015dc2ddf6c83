#pragma once

#include "al/Listener.h"
#include "al/SoundSource.h"
#include "al/Spatializer.h"

#include <list>
#include <vector>

namespace al
{

// Renders every source for every listener: per frame it reads each source's
// delay line at the propagation delay of its Doppler type, attenuates by
// distance and hands the sample to the listener's panner. Works in world
// coordinates; no orientation is read. Owns its listeners, not the sources or
// the panners.
//
// `listeners` is a plain vector that render walks without a lock: an owner
// that replaces listeners while another thread may be rendering must hand the
// change over between blocks itself.
class AudioScene
{
public:
    std::vector<Listener*> listeners;
    std::list<SoundSource*> sources;
    int frameCount = 0;
    std::vector<float> scratchBuffer;
    double speedOfSound = 340.0;
    bool perSampleProcessing = true; // false selects block mode

    explicit AudioScene (int numFrames);
    ~AudioScene();

    AudioScene (const AudioScene&) = delete;
    AudioScene& operator= (const AudioScene&) = delete;

    void numFrames (int n);

    void addSource (SoundSource& src);

    // Makes a listener on `panner` (not owned) and compiles the panner for it.
    Listener* createListener (Spatializer* panner);

    // Renders n frames into the output channels, adding to or storing into what
    // is there as the panners do; does not clear them.
    void render (float** outputs, int n, double sampleRate);

private:
    void renderPerSample (SoundSource& src, Listener& listener, bool firstListener, float** outputs, int n,
                          double sampleRate);
    void renderBlock (SoundSource& src, Listener& listener, float** outputs, int n, double sampleRate);
};

} // namespace al
