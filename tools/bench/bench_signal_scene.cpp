#include "al/AudioScene.h"
#include "al/Dbap.h"
#include "al/StereoPanner.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{
// Moves on a circle around the listener and writes a sine, as the engine's moving
// source does once per frame.
class OrbitingSource : public al::SoundSource
{
public:
    explicit OrbitingSource (al::DopplerType doppler) : al::SoundSource (0.1, 20.0, al::ATTEN_INVERSE, doppler)
    {
        usePerSampleProcessing = true;
    }

    void onProcessSample (int) override
    {
        phase += 2.0 * 3.141592653589793 * 0.5 / 44100.0;
        pose.pos = al::Vec<3, double> (3.0 * std::cos (phase), 0.5, -3.0 * std::sin (phase));
        delayLine.next() = float (std::sin (phase * 880.0));
    }

    double phase = 0.0;
};

al::SpeakerLayout stereoLayout()
{
    al::SpeakerLayout layout;
    layout.addSpeaker (al::Speaker (0, -90.0f));
    layout.addSpeaker (al::Speaker (1, 90.0f));
    return layout;
}

// Args: panner (0 stereo, 1 DBAP), Doppler type.
void renderOneSource (benchmark::State& state)
{
    const int blockSize = 512;
    const bool useDbap = state.range (0) == 1;
    const auto doppler = al::DopplerType (state.range (1));

    al::StereoPanner stereo (stereoLayout());
    al::Dbap dbap (stereoLayout(), 1.0f);
    al::AudioScene scene (blockSize);
    scene.createListener (useDbap ? static_cast<al::Spatializer*> (&dbap) : &stereo);
    OrbitingSource source (doppler);
    scene.addSource (source);

    std::vector<float> left (blockSize), right (blockSize);
    float* outputs[2] = { left.data(), right.data() };

    for (auto _ : state)
    {
        std::fill (left.begin(), left.end(), 0.0f);
        std::fill (right.begin(), right.end(), 0.0f);
        scene.render (outputs, blockSize, 44100.0);
        benchmark::DoNotOptimize (left.data());
        benchmark::ClobberMemory();
    }

    // Inverted rate: seconds per sample, shown with an SI prefix (ns).
    state.counters["time_per_sample"] = benchmark::Counter (
        double (blockSize), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetLabel (std::string (useDbap ? "dbap" : "stereo") + (doppler == al::DOPPLER_NONE    ? " doppler-none"
                                                                 : doppler == al::DOPPLER_DELAY ? " doppler-delay"
                                                                                                : " doppler-velocity"));
}
} // namespace

BENCHMARK (renderOneSource)->ArgsProduct ({ { 0, 1 }, { 0, 1, 2 } });

BENCHMARK_MAIN();
