#include "al/BiQuad.h"
#include "gam/Buzz.h"
#include "gam/Osc.h"
#include "gam/Sine.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{

constexpr int blockSize = 512;

void reportPerSample (benchmark::State& state, int samplesPerIteration)
{
    state.SetItemsProcessed (state.iterations() * samplesPerIteration);
    state.counters["time_per_sample"] = benchmark::Counter ((double) state.iterations() * samplesPerIteration,
                                                            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_BiQuadNX8Block (benchmark::State& state)
{
    al::BiQuadNX cascade (8, al::BIQUAD_LOWPASS, 44100.0);
    cascade.set (19000.0, 0.26, 0.0);
    std::vector<float> block (blockSize);
    for (int i = 0; i < blockSize; ++i)
        block[(size_t) i] = (float) std::sin (0.01 * i);
    for (auto _ : state)
    {
        cascade.processBuffer (block.data(), blockSize);
        benchmark::DoNotOptimize (block.data());
        benchmark::ClobberMemory();
    }
    reportPerSample (state, blockSize);
}
BENCHMARK (BM_BiQuadNX8Block);

template <class Osc, class Next>
void runOscillator (benchmark::State& state, Osc& osc, Next next)
{
    std::vector<float> block (blockSize);
    for (auto _ : state)
    {
        for (int i = 0; i < blockSize; ++i)
            block[(size_t) i] = next (osc);
        benchmark::DoNotOptimize (block.data());
        benchmark::ClobberMemory();
    }
    reportPerSample (state, blockSize);
}

void BM_Sine (benchmark::State& state)
{
    gam::Sync::master().spu (44100.0);
    gam::Sine<> sine (220.0f, 0.0f);
    runOscillator (state, sine, [] (auto& o) { return o (0.0f); });
}
BENCHMARK (BM_Sine);

void BM_SawBuzz (benchmark::State& state)
{
    gam::Sync::master().spu (44100.0);
    gam::Saw<> saw (220.0f, 0.0f);
    runOscillator (state, saw, [] (auto& o) { return o(); });
}
BENCHMARK (BM_SawBuzz);

void BM_SquareOdd (benchmark::State& state)
{
    gam::Sync::master().spu (44100.0);
    gam::Square<> square (220.0f, 0.0f);
    runOscillator (state, square, [] (auto& o) { return o.odd(); });
}
BENCHMARK (BM_SquareOdd);

void BM_Impulse (benchmark::State& state)
{
    gam::Sync::master().spu (44100.0);
    gam::Impulse<> impulse (220.0f, 0.0f);
    runOscillator (state, impulse, [] (auto& o) { return o(); });
}
BENCHMARK (BM_Impulse);

void BM_Wavetable512 (benchmark::State& state)
{
    gam::Sync::master().spu (44100.0);
    gam::Osc<> osc (440.0f, 0.0f, 512);
    for (int n = 1; n <= 15; n += 2)
        osc.addSine (n, (float) (1.0 / (n * n)), 0);
    runOscillator (state, osc, [] (auto& o) { return o(); });
}
BENCHMARK (BM_Wavetable512);

} // namespace

BENCHMARK_MAIN();
