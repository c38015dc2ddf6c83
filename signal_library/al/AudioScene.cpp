#include "al/AudioScene.h"

#include <cmath>

namespace al
{

AudioScene::AudioScene (int n) : frameCount (n > 0 ? n : 0), scratchBuffer ((std::size_t) frameCount, 0.0f)
{
}

AudioScene::~AudioScene()
{
    for (Listener* l : listeners)
        delete l;
}

void AudioScene::numFrames (int n)
{
    if (n < 0)
        n = 0;
    if (n == frameCount)
        return;
    scratchBuffer.resize ((std::size_t) n, 0.0f);
    for (Listener* l : listeners)
        l->numFrames (unsigned (n));
    frameCount = n;
}

void AudioScene::addSource (SoundSource& src)
{
    sources.push_back (&src);
}

Listener* AudioScene::createListener (Spatializer* panner)
{
    Listener* listener = new Listener (frameCount, panner);
    if (panner != nullptr)
        panner->compile (*listener);
    listeners.push_back (listener);
    return listener;
}

void AudioScene::render (float** outputs, int n, double sampleRate)
{
    if (listeners.empty())
        return;

    for (std::size_t li = 0; li < listeners.size(); ++li)
    {
        Listener& listener = *listeners[li];
        Spatializer* panner = listener.panner;
        if (panner != nullptr)
            panner->prepare();
        listener.posHistory (listener.pose.pos);

        for (SoundSource* src : sources)
        {
            if (perSampleProcessing)
                renderPerSample (*src, listener, li == 0, outputs, n, sampleRate);
            else
                renderBlock (*src, listener, outputs, n, sampleRate);
        }

        if (panner != nullptr)
            panner->finalize (outputs, n);
    }
}

void AudioScene::renderPerSample (SoundSource& src, Listener& listener, bool firstListener, float** outputs, int n,
                                  double sampleRate)
{
    typedef Vec<3, double> V;
    Spatializer* panner = listener.panner;
    const auto& S = src.posHistory;
    const auto& L = listener.posHistory;
    const double delayLimit = double (src.delayLine.size()) - 2;

    double factor = src.dopplerType == DOPPLER_DELAY ? sampleRate / speedOfSound : 0.0;
    if (!src.usePerSampleProcessing)
        src.posHistory (src.pose.pos);

    for (int j = 0; j < n; ++j)
    {
        V rel;
        if (src.usePerSampleProcessing && firstListener)
        {
            src.posHistory (src.pose.pos);
            src.onProcessSample (j);
            rel = S[0] - L[0];
            if (src.dopplerType == DOPPLER_VELOCITY)
            {
                const double d0 = rel.mag();
                const double d1 = (S[1] - L[0]).mag();
                double v = (d0 - d1) * sampleRate;
                if (v == -speedOfSound)
                    v = v - 0.001;
                factor = std::fabs (sampleRate / (v + speedOfSound));
            }
        }
        else
        {
            // Slides from the older history pairs towards the newest across the block.
            const double t = double (j) / double (n);
            rel = ((S[3] - L[3]) * (1.0 - t) + (S[2] - L[2]) + (S[1] - L[1]) + (S[0] - L[0]) * t) / 3.0;
        }

        const double dist = rel.mag();
        double delay = factor * dist;
        if (!src.usePerSampleProcessing)
            delay = delay + double (n - j);

        // Also fails for a NaN delay, so a source at a non-finite position stays silent.
        if (delay <= delayLimit)
        {
            const double gain = src.useAttenuation ? src.attenuation (dist) : 1.0;
            float s = float (double (src.readSample (delay)) * gain);
            if (panner != nullptr)
                panner->perform (outputs, src, rel, n, j, s);
        }
    }
}

void AudioScene::renderBlock (SoundSource& src, Listener& listener, float** outputs, int n, double sampleRate)
{
    Spatializer* panner = listener.panner;
    const double factor = src.dopplerType == DOPPLER_DELAY ? sampleRate / speedOfSound : 0.0;
    if (!src.usePerSampleProcessing)
        src.posHistory (src.pose.pos);

    Vec<3, double> rel = src.pose.pos - listener.pose.pos;
    const double dist = rel.mag();
    if (!std::isfinite (dist) || panner == nullptr)
        return;

    // The scratch buffer holds frameCount samples; frames beyond it are not
    // rendered, and frames whose delay leaves the delay line are silent.
    const int frames = n < frameCount ? n : frameCount;
    const double delayLimit = double (src.delayLine.size()) - 2;
    const double gain = src.useAttenuation ? src.attenuation (dist) : 1.0;
    for (int k = 0; k < frames; ++k)
    {
        const double delay = double (n - k) + factor * dist;
        scratchBuffer[(std::size_t) k] = delay <= delayLimit ? float (double (src.readSample (delay)) * gain) : 0.0f;
    }
    panner->perform (outputs, src, rel, frames, scratchBuffer.data());
}

} // namespace al
