#include "al/AudioScene.h"
#include "al/Dbap.h"
#include "al/StereoPanner.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// Writes a ramp (one more per frame) and moves by `velocity` per frame, so a
// read at delay D returns the newest value minus D.
class RampSource : public al::SoundSource
{
public:
    explicit RampSource (int dopplerType, int delaySize = 100000)
        : al::SoundSource (0.1, 20.0, al::ATTEN_INVERSE, al::DopplerType (dopplerType), 0.0, delaySize)
    {
        usePerSampleProcessing = true;
    }

    void prefill (int count)
    {
        for (int k = 0; k < count; ++k)
            delayLine.next() = nextValue++;
    }

    void onProcessSample (int frame) override
    {
        lastFrame = frame;
        ++calls;
        delayLine.next() = nextValue++;
        pose.pos += velocity;
    }

    float newest() const { return nextValue - 1.0f; }

    float nextValue = 0.0f;
    int calls = 0;
    int lastFrame = -1;
    al::Vec<3, double> velocity;
};

// Records what the scene hands over, frame by frame.
class SpyPanner : public al::Spatializer
{
public:
    SpyPanner() : al::Spatializer (al::SpeakerLayout()) {}

    void numFrames (int n) override { lastNumFrames = n; }
    void compile (al::Listener&) override { ++compiles; }
    void prepare() override { ++prepares; }
    void finalize (float**, int) override { ++finalizes; }

    void perform (float**, al::SoundSource&, al::Vec<3, double>& rel, const int&, int& frameIndex,
                  float& sample) override
    {
        if (frameIndex < capacity)
        {
            samples[frameIndex] = sample;
            rels[frameIndex] = rel;
            written[frameIndex] = true;
        }
        ++performs;
    }

    void perform (float**, al::SoundSource&, al::Vec<3, double>& rel, const int& numFrames, float* block) override
    {
        for (int k = 0; k < numFrames && k < capacity; ++k)
        {
            samples[k] = block[k];
            rels[k] = rel;
            written[k] = true;
        }
        blockFrames = numFrames;
        ++blockPerforms;
    }

    void clear()
    {
        for (int k = 0; k < capacity; ++k)
            written[k] = false;
        performs = 0;
    }

    static constexpr int capacity = 4096;
    float samples[capacity]{};
    al::Vec<3, double> rels[capacity];
    bool written[capacity]{};
    int performs = 0, blockPerforms = 0, blockFrames = -1;
    int prepares = 0, finalizes = 0, compiles = 0, lastNumFrames = -1;
};

al::SpeakerLayout stereoLayout()
{
    al::SpeakerLayout layout;
    layout.addSpeaker (al::Speaker (0, -90.0f));
    layout.addSpeaker (al::Speaker (1, 90.0f));
    return layout;
}

struct Outputs
{
    explicit Outputs (int frames, float fill = 0.0f)
        : left ((std::size_t) frames, fill), right ((std::size_t) frames, fill), ptrs{ left.data(), right.data() }
    {
    }
    float** get() { return ptrs; }
    std::vector<float> left, right;
    float* ptrs[2];
};
} // namespace

TEST (AudioScene, Construction)
{
    al::AudioScene scene (512);
    EXPECT_EQ (scene.frameCount, 512);
    EXPECT_EQ (scene.scratchBuffer.size(), 512u);
    EXPECT_EQ (scene.speedOfSound, 340.0);
    EXPECT_TRUE (scene.perSampleProcessing);
    EXPECT_TRUE (scene.listeners.empty());
    EXPECT_TRUE (scene.sources.empty());
}

TEST (AudioScene, CreateListenerCompilesPannerAndNumFramesForwards)
{
    al::AudioScene scene (256);
    SpyPanner spy;
    al::Listener* l = scene.createListener (&spy);
    ASSERT_EQ (scene.listeners.size(), 1u);
    EXPECT_EQ (scene.listeners[0], l);
    EXPECT_EQ (l->panner, &spy);
    EXPECT_EQ (spy.compiles, 1);
    EXPECT_EQ (spy.lastNumFrames, 256);
    EXPECT_EQ (l->pose.pos.mag(), 0.0);
    EXPECT_EQ (l->posHistory[3].mag(), 0.0);

    spy.lastNumFrames = -1;
    scene.numFrames (256);
    EXPECT_EQ (spy.lastNumFrames, -1);
    scene.numFrames (1024);
    EXPECT_EQ (spy.lastNumFrames, 1024);
    EXPECT_EQ (scene.frameCount, 1024);
    EXPECT_EQ (scene.scratchBuffer.size(), 1024u);

    al::StereoPanner stereo (stereoLayout());
    testing::internal::CaptureStdout();
    scene.createListener (&stereo);
    EXPECT_EQ (testing::internal::GetCapturedStdout(), "Stereo Panner Compiled with 2 speakers\n");
}

TEST (AudioScene, WithoutListenersNothingRuns)
{
    al::AudioScene scene (64);
    RampSource src (al::DOPPLER_NONE);
    scene.addSource (src);
    Outputs out (64, 3.0f);
    scene.render (out.get(), 64, 44100.0);
    EXPECT_EQ (src.calls, 0);
    EXPECT_EQ (src.posHistory[0][0], 1000.0);
    EXPECT_EQ (out.left, std::vector<float> (64, 3.0f));
}

TEST (AudioScene, WithoutSourcesPannerIsStillPreparedAndListenerTracked)
{
    al::AudioScene scene (64);
    SpyPanner spy;
    al::Listener* l = scene.createListener (&spy);
    l->pose.pos = al::Vec<3, double> (0.5, 0.0, 0.0);
    Outputs out (64);
    scene.render (out.get(), 64, 44100.0);
    EXPECT_EQ (spy.prepares, 1);
    EXPECT_EQ (spy.finalizes, 1);
    EXPECT_EQ (spy.performs, 0);
    EXPECT_EQ (l->posHistory[0][0], 0.5);
    EXPECT_EQ (l->posHistory[1][0], 0.0);
}

TEST (AudioScene, NoDopplerReadsTheSampleJustWritten)
{
    al::AudioScene scene (32);
    SpyPanner spy;
    scene.createListener (&spy);
    RampSource src (al::DOPPLER_NONE);
    src.pose.pos = al::Vec<3, double> (0.0, 0.0, -5.0);
    scene.addSource (src);
    Outputs out (32);
    scene.render (out.get(), 32, 44100.0);
    EXPECT_EQ (src.calls, 32);
    EXPECT_EQ (src.lastFrame, 31);
    const double gain = src.attenuation (5.0);
    for (int j = 0; j < 32; ++j)
    {
        ASSERT_TRUE (spy.written[j]);
        EXPECT_EQ (spy.samples[j], float (double (float (j)) * gain));
        EXPECT_EQ (spy.rels[j][2], -5.0);
    }
}

TEST (AudioScene, SourceAtListenerHasNoDelayAndUnityGain)
{
    al::AudioScene scene (16);
    al::StereoPanner stereo (stereoLayout());
    testing::internal::CaptureStdout();
    scene.createListener (&stereo);
    testing::internal::GetCapturedStdout();
    RampSource src (al::DOPPLER_DELAY);
    scene.addSource (src);
    src.prefill (10);
    Outputs out (16);
    scene.render (out.get(), 16, 44100.0);
    for (int j = 0; j < 16; ++j)
    {
        EXPECT_EQ (out.left[(std::size_t) j], 0.70710677f * float (10 + j));
        EXPECT_EQ (out.right[(std::size_t) j], 0.70710677f * float (10 + j));
    }
}

TEST (AudioScene, DistanceDelayAtTheSpeedOfSound)
{
    al::AudioScene scene (64);
    SpyPanner spy;
    scene.createListener (&spy);
    RampSource src (al::DOPPLER_DELAY);
    src.useAttenuation = false;
    src.pose.pos = al::Vec<3, double> (3.4, 0.0, 0.0);
    src.prefill (1000);
    scene.addSource (src);
    Outputs out (64);
    scene.render (out.get(), 64, 44100.0);
    for (int j = 0; j < 64; ++j)
        EXPECT_NEAR (spy.samples[j], float (1000 + j) - 441.0f, 1e-3f) << j;

    // Attenuation follows the same distance.
    src.useAttenuation = true;
    scene.render (out.get(), 64, 44100.0);
    EXPECT_NEAR (spy.samples[0], (float (1064) - 441.0f) * float (src.attenuation (3.4)), 1e-3f);
}

TEST (AudioScene, VelocityDopplerFollowsRadialSpeed)
{
    al::AudioScene scene (256);
    SpyPanner spy;
    scene.createListener (&spy);
    RampSource src (al::DOPPLER_VELOCITY);
    src.useAttenuation = false;
    src.pose.pos = al::Vec<3, double> (1.0, 0.0, 0.0);
    src.velocity = al::Vec<3, double> (1.0 / 44100.0, 0.0, 0.0);
    src.prefill (1000);
    scene.addSource (src);
    Outputs out (256);
    scene.render (out.get(), 256, 44100.0);

    // First frame: compared against the prefilled far-away history the source is
    // approaching very fast, so the delay nearly vanishes.
    EXPECT_NEAR (spy.samples[0], 1000.0f, 0.01f);
    EXPECT_LE (spy.samples[0], 1000.0f);
    EXPECT_EQ (spy.rels[0][0], 1.0);

    // Afterwards it recedes at 1 m/s: 44100 / 341 samples per metre.
    for (int j = 1; j < 256; ++j)
    {
        const double dist = spy.rels[j][0];
        const double delay = double (1000 + j) - spy.samples[j];
        EXPECT_NEAR (delay, 44100.0 / 341.0 * dist, 2e-3) << j;
        EXPECT_GT (std::fabs (delay - 44100.0 / 340.0 * dist), 0.3);
    }
}

TEST (AudioScene, VelocityAtMinusSpeedOfSoundStaysFinite)
{
    al::AudioScene scene (4);
    SpyPanner spy;
    scene.createListener (&spy);
    RampSource src (al::DOPPLER_VELOCITY);
    src.useAttenuation = false;
    src.pose.pos = al::Vec<3, double> (1.0, 0.0, 0.0);
    // At a sample rate of 1 a history one step 340 m further out reads as v = -340
    // exactly; the nudge to -340.001 gives a delay of 1000 samples instead of infinity.
    for (int k = 0; k < 4; ++k)
        src.posHistory (al::Vec<3, double> (341.0, 0.0, 0.0));
    src.prefill (2000);
    scene.addSource (src);
    Outputs out (4);
    scene.render (out.get(), 1, 1.0);
    EXPECT_EQ (spy.performs, 1);
    EXPECT_NEAR (spy.samples[0], 1000.0f, 1e-3f);
}

TEST (AudioScene, DelayBeyondTheLineIsSkipped)
{
    for (double distance : { 99998.0, 99998.5 })
    {
        al::AudioScene scene (8);
        SpyPanner spy;
        scene.createListener (&spy);
        RampSource src (al::DOPPLER_DELAY, 100000);
        src.useAttenuation = false;
        src.pose.pos = al::Vec<3, double> (distance, 0.0, 0.0);
        scene.addSource (src);
        Outputs out (8);
        // At 340 Hz the delay in samples equals the distance in metres.
        scene.render (out.get(), 1, 340.0);
        EXPECT_EQ (src.calls, 1);
        EXPECT_EQ (spy.performs, distance == 99998.0 ? 1 : 0) << distance;
    }
}

TEST (AudioScene, NonFinitePositionIsSilentNotPoisonous)
{
    al::AudioScene scene (8);
    SpyPanner spy;
    scene.createListener (&spy);
    RampSource src (al::DOPPLER_NONE);
    src.pose.pos = al::Vec<3, double> (std::nan (""), 0.0, 0.0);
    scene.addSource (src);
    Outputs out (8);
    scene.render (out.get(), 8, 44100.0);
    EXPECT_EQ (spy.performs, 0);
    src.pose.pos = al::Vec<3, double> (1.0, 0.0, 0.0);
    scene.render (out.get(), 8, 44100.0);
    EXPECT_EQ (spy.performs, 8);
}

TEST (AudioScene, BlockSourceInPerSampleModeInterpolatesHistoryAndDelaysByBlock)
{
    al::AudioScene scene (16);
    SpyPanner spy;
    scene.createListener (&spy);
    RampSource src (al::DOPPLER_NONE);
    src.usePerSampleProcessing = false;
    src.useAttenuation = false;
    src.prefill (200);
    src.pose.pos = al::Vec<3, double> (2.0, 0.0, 0.0);
    scene.addSource (src);
    Outputs out (16);
    for (int b = 0; b < 4; ++b)
        scene.render (out.get(), 16, 44100.0);
    EXPECT_EQ (src.calls, 0);
    for (int j = 0; j < 16; ++j)
    {
        EXPECT_NEAR (spy.rels[j][0], 2.0, 1e-15);
        EXPECT_EQ (spy.samples[j], float (199 - (16 - j)));
    }

    // A move between blocks slides in across the following block.
    src.pose.pos = al::Vec<3, double> (5.0, 0.0, 0.0);
    scene.render (out.get(), 16, 44100.0);
    EXPECT_NEAR (spy.rels[0][0], 2.0, 1e-12);
    EXPECT_NEAR (spy.rels[8][0], 2.5, 1e-12);
    for (int j = 1; j < 16; ++j)
        EXPECT_GT (spy.rels[j][0], spy.rels[j - 1][0]);
}

TEST (AudioScene, SecondListenerDoesNotAdvanceTheSource)
{
    al::AudioScene scene (32);
    SpyPanner first, second;
    scene.createListener (&first);
    scene.createListener (&second);
    RampSource src (al::DOPPLER_NONE);
    src.pose.pos = al::Vec<3, double> (1.0, 0.0, 0.0);
    scene.addSource (src);
    Outputs out (32);
    scene.render (out.get(), 32, 44100.0);
    EXPECT_EQ (src.calls, 32);
    EXPECT_EQ (first.performs, 32);
    EXPECT_EQ (second.performs, 32);
    EXPECT_EQ (first.prepares, 1);
    EXPECT_EQ (second.finalizes, 1);
}

TEST (AudioScene, BlockMode)
{
    al::AudioScene scene (16);
    al::StereoPanner stereo (stereoLayout());
    testing::internal::CaptureStdout();
    scene.createListener (&stereo);
    testing::internal::GetCapturedStdout();
    stereo.enabled = false;
    scene.perSampleProcessing = false;
    RampSource src (al::DOPPLER_NONE);
    src.usePerSampleProcessing = false;
    src.useAttenuation = false;
    src.prefill (100);
    src.pose.pos = al::Vec<3, double> (0.0, 3.0, 0.0);
    scene.addSource (src);
    Outputs out (16);
    scene.render (out.get(), 16, 44100.0);
    for (int k = 0; k < 16; ++k)
    {
        EXPECT_EQ (out.left[(std::size_t) k], float (99 - (16 - k)));
        EXPECT_EQ (out.right[(std::size_t) k], out.left[(std::size_t) k]);
    }
}

TEST (AudioScene, BlockModeStaysInsideItsBuffers)
{
    al::AudioScene scene (8);
    SpyPanner spy;
    scene.createListener (&spy);
    scene.perSampleProcessing = false;
    RampSource src (al::DOPPLER_DELAY, 64);
    src.useAttenuation = false;
    src.usePerSampleProcessing = false;
    src.prefill (64);
    src.pose.pos = al::Vec<3, double> (0.2, 0.0, 0.0);
    scene.addSource (src);
    Outputs out (32);
    // A block longer than the scene was sized for renders only what fits.
    scene.render (out.get(), 32, 44100.0);
    EXPECT_EQ (spy.blockFrames, 8);
    EXPECT_EQ (src.calls, 0);

    // A delay beyond the delay line reads as silence.
    src.pose.pos = al::Vec<3, double> (10.0, 0.0, 0.0);
    scene.render (out.get(), 8, 44100.0);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ (spy.samples[k], 0.0f);
}

TEST (AudioScene, UnwrittenOutputsKeepTheirContents)
{
    al::AudioScene scene (8);
    al::Dbap dbap (stereoLayout(), 1.0f);
    testing::internal::CaptureStdout();
    scene.createListener (&dbap);
    testing::internal::GetCapturedStdout();
    RampSource src (al::DOPPLER_DELAY);
    src.useAttenuation = false;
    src.pose.pos = al::Vec<3, double> (1000.0, 0.0, 0.0);
    scene.addSource (src);
    Outputs out (8, 0.125f);
    scene.render (out.get(), 8, 44100.0);
    EXPECT_EQ (out.left, std::vector<float> (8, 0.125f));

    // Near the listener the panner adds onto what was there.
    src.pose.pos = al::Vec<3, double>();
    src.prefill (100);
    scene.render (out.get(), 8, 44100.0);
    EXPECT_GT (out.left[7], 0.125f);
}

TEST (AudioScene, RenderAllocatesNothing)
{
    al::AudioScene scene (512);
    al::StereoPanner stereo (stereoLayout());
    al::Dbap dbap (stereoLayout(), 1.0f);
    testing::internal::CaptureStdout();
    scene.createListener (&stereo);
    scene.createListener (&dbap);
    testing::internal::GetCapturedStdout();
    RampSource moving (al::DOPPLER_VELOCITY);
    moving.velocity = al::Vec<3, double> (1e-4, -2e-5, 3e-5);
    RampSource still (al::DOPPLER_DELAY);
    still.usePerSampleProcessing = false;
    still.pose.pos = al::Vec<3, double> (2.0, 1.0, -3.0);
    scene.addSource (moving);
    scene.addSource (still);
    Outputs out (512);
    {
        toravel::test::AllocationCounter c;
        for (int b = 0; b < 20; ++b)
            scene.render (out.get(), 512, 44100.0);
        scene.perSampleProcessing = false;
        scene.render (out.get(), 512, 44100.0);
        EXPECT_EQ (c.count(), 0u);
    }
    EXPECT_EQ (moving.calls, 20 * 512);
}
