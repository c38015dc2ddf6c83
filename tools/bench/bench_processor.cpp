#include "PluginProcessor.h"

#include <benchmark/benchmark.h>
#include <algorithm>
#include <malloc.h>

#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter();

namespace
{

const double sampleRates[] = { 44100.0, 48000.0, 96000.0, 192000.0 };
const int blockSizes[] = { 32, 64, 128, 256, 512, 1024, 2048, 4096 };

enum Configuration
{
    defaults = 0,
    costliest = 1
};

const char* configurationName (int c)
{
    return c == costliest ? "costliest" : "default";
}

// Per-sample cost of every run, keyed by (rate, block size), so that the engine's
// figures can be set against the reference chain's of the same run.
std::map<std::pair<int, int>, double> referenceNsPerSample;

// (configuration, instances, rate, block size) -> ns per sample; the framework calls a
// benchmark several times while it sizes the run, and the last call's figure stands.
std::map<std::tuple<int, int, int, int>, double> engineNsPerSample;

std::unique_ptr<QuorvelV2AudioProcessor> makeProcessor()
{
    auto* processor = dynamic_cast<QuorvelV2AudioProcessor*> (createPluginFilter());
    if (processor == nullptr)
        std::abort();
    return std::unique_ptr<QuorvelV2AudioProcessor> (processor);
}

// Saw source, envelope on (the held note comes with the first block), sine motion
// with a speed on every axis and room on every axis, the physical Doppler law, the
// distance-based panner and the four-stage tracking filter.
void configure (QuorvelV2AudioProcessor& p, int configuration)
{
    if (configuration != costliest)
        return;
    p.setParameter (kParamOsc1Type, 1.0f / 6.0f);
    p.setParameter (kParamADSR, 1.0f);
    p.setParameter (kParamMotionType, 0.25f);
    p.setParameter (kParamVelX, 0.1f);
    p.setParameter (kParamVelY, 0.07f);
    p.setParameter (kParamVelZ, 0.05f);
    p.setParameter (kParamBndX1, 0.4f);
    p.setParameter (kParamBndX2, 0.4f);
    p.setParameter (kParamBndY1, 0.35f);
    p.setParameter (kParamBndY2, 0.35f);
    p.setParameter (kParamBndZ1, 0.3f);
    p.setParameter (kParamBndZ2, 0.3f);
    p.setParameter (kParamDopplerType, 1.0f / 3.0f);
    p.setParameter (kParamFilterType, 0.0f);
    p.switchPanning (0);
}

struct Instance
{
    std::unique_ptr<QuorvelV2AudioProcessor> processor;
    juce::AudioBuffer<float> buffer;
};

void runProcessor (benchmark::State& state)
{
    const int configuration = (int) state.range (0);
    const double rate = (double) state.range (1);
    const int blockSize = (int) state.range (2);
    const int numInstances = (int) state.range (3);

    std::vector<Instance> instances ((size_t) numInstances);
    juce::MidiBuffer noteOn;
    noteOn.addEvent (juce::MidiMessage::noteOn (1, 57, (juce::uint8) 100), 0);
    juce::MidiBuffer noMidi;
    for (auto& in : instances)
    {
        in.processor = makeProcessor();
        configure (*in.processor, configuration);
        in.processor->prepareToPlay (rate, blockSize);
        in.buffer.setSize (2, blockSize);
        in.buffer.clear();
        in.processor->processBlock (in.buffer, configuration == costliest ? noteOn : noMidi);
        // Past the envelope's attack and decay, into the steady state.
        for (int b = 0; b < 4; ++b)
            in.processor->processBlock (in.buffer, noMidi);
    }

    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
    {
        for (auto& in : instances)
        {
            in.processor->processBlock (in.buffer, noMidi);
            benchmark::DoNotOptimize (in.buffer.getReadPointer (0));
        }
        benchmark::ClobberMemory();
    }
    const double elapsed = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();

    const double samplesPerIteration = (double) blockSize * numInstances;
    const double nsPerSample = elapsed * 1e9 / ((double) state.iterations() * samplesPerIteration);
    state.counters["ns_per_sample"] = nsPerSample;
    state.counters["realtime_x"] = 1e9 / (nsPerSample * rate);
    const auto ref = referenceNsPerSample.find ({ (int) rate, blockSize });
    if (ref != referenceNsPerSample.end())
        state.counters["x_reference"] = nsPerSample / ref->second;
    state.SetLabel (std::string (configurationName (configuration)) + " x" + std::to_string (numInstances));

    engineNsPerSample[{ configuration, numInstances, (int) rate, blockSize }] = nsPerSample;
}

// The smallest chain that does what the engine does per sample, written plainly: a
// sine oscillator, a linear envelope, a source circling at a varying distance, its
// delay line written and read at the propagation delay with a four-point Hermite
// read, a 1/d gain, an equal-power pan from the source's x and four low-pass
// biquads per channel.
class ReferenceChain
{
public:
    explicit ReferenceChain (double rate) : sampleRate (rate), delay (1u << 17, 0.0f)
    {
        const double w0 = 2.0 * M_PI * 4000.0 / rate;
        const double alpha = std::sin (w0) / (2.0 * 0.7071);
        const double a0 = 1.0 + alpha;
        b0 = (1.0 - std::cos (w0)) / 2.0 / a0;
        b1 = (1.0 - std::cos (w0)) / a0;
        b2 = b0;
        a1 = -2.0 * std::cos (w0) / a0;
        a2 = (1.0 - alpha) / a0;
        oscInc = (float) (2.0 * M_PI * 220.0 / rate);
        envStep = (float) (1.0 / (0.01 * rate));
        const double orbit = 2.0 * M_PI * 0.5 / rate;
        rotCos = std::cos (orbit);
        rotSin = std::sin (orbit);
    }

    void process (float* left, float* right, int n)
    {
        const unsigned mask = (unsigned) delay.size() - 1u;
        for (int j = 0; j < n; ++j)
        {
            oscPhase += oscInc;
            if (oscPhase >= (float) M_PI)
                oscPhase -= (float) (2.0 * M_PI);
            envelope = std::min (1.0f, envelope + envStep);
            writePos = (writePos + 1u) & mask;
            delay[writePos] = std::sin (oscPhase) * envelope;

            const double nx = px * rotCos - pz * rotSin;
            pz = px * rotSin + pz * rotCos;
            px = nx;
            const double distance = std::sqrt (px * px + 0.25 + pz * pz);

            const double delaySamples = distance * sampleRate / 340.0;
            const int i = (int) delaySamples;
            const float f = (float) (delaySamples - i);
            const float ym1 = delay[(writePos - (unsigned) i + 1u) & mask];
            const float y0 = delay[(writePos - (unsigned) i) & mask];
            const float y1 = delay[(writePos - (unsigned) i - 1u) & mask];
            const float y2 = delay[(writePos - (unsigned) i - 2u) & mask];
            const float c1 = (y1 - ym1) * 0.5f;
            const float c3 = (y2 - ym1) * 0.5f + (y0 - y1) * 1.5f;
            const float c2 = ym1 + c1 - y0 - c3;
            const float s = (((c3 * f + c2) * f + c1) * f + y0) * (float) (0.1 / std::max (distance, 0.1));

            const double x = std::max (-1.0, std::min (1.0, px));
            const double angle = (x + 1.0) * 0.25 * M_PI;
            double l = s * std::cos (angle), r = s * std::sin (angle);
            for (int k = 0; k < 4; ++k)
            {
                l = biquad (state[0][k], l);
                r = biquad (state[1][k], r);
            }
            left[j] = (float) l;
            right[j] = (float) r;
        }
    }

private:
    struct Section
    {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    };

    double biquad (Section& z, double x) const
    {
        const double y = b0 * x + b1 * z.x1 + b2 * z.x2 - a1 * z.y1 - a2 * z.y2;
        z.x2 = z.x1;
        z.x1 = x;
        z.y2 = z.y1;
        z.y1 = y;
        return y;
    }

    double sampleRate;
    std::vector<float> delay;
    unsigned writePos = 0;
    float oscPhase = 0.0f, oscInc = 0.0f, envelope = 0.0f, envStep = 0.0f;
    double px = 3.0, pz = 0.0, rotCos = 1.0, rotSin = 0.0;
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    Section state[2][4];
};

void runReference (benchmark::State& state)
{
    const double rate = (double) state.range (0);
    const int blockSize = (int) state.range (1);
    ReferenceChain chain (rate);
    std::vector<float> left ((size_t) blockSize), right ((size_t) blockSize);

    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
    {
        chain.process (left.data(), right.data(), blockSize);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
        benchmark::ClobberMemory();
    }
    const double elapsed = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();

    const double nsPerSample = elapsed * 1e9 / ((double) state.iterations() * blockSize);
    state.counters["ns_per_sample"] = nsPerSample;
    state.counters["realtime_x"] = 1e9 / (nsPerSample * rate);
    referenceNsPerSample[{ (int) rate, blockSize }] = nsPerSample;
    state.SetLabel ("reference chain");
}

// A host automating the engine as hard as it can: before every block a new value for
// each automated parameter and a note-on in the block. "envelope" moves the four
// stage times and levels and the envelope switch (kept on); "everything" moves all
// thirty parameters. Every block is timed on its own, since what matters to a host
// is the worst block against its deadline, not the average.
enum Automation
{
    envelopeAutomated = 0,
    everythingAutomated = 1
};

struct AutomatedFigures
{
    double realtimeX = 0.0;
    double worstBlockPercent = 0.0;
    double worstSingleRunPercent = 0.0;
};

std::map<std::tuple<int, int, int>, AutomatedFigures> automatedFigures;

// The calling thread's own processor time: unlike the wall clock, it leaves out the
// time the thread waits while other processes have the core.
double threadSeconds()
{
    timespec t {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
    return (double) t.tv_sec + 1e-9 * (double) t.tv_nsec;
}

void automate (QuorvelV2AudioProcessor& p, int automation, std::mt19937& random)
{
    std::uniform_real_distribution<float> anyValue (0.0f, 1.0f), onValue (0.5f, 1.0f);
    if (automation == everythingAutomated)
    {
        for (int i = 0; i < p.getNumParameters(); ++i)
            p.setParameter (i, anyValue (random));
    }
    else
    {
        for (int i : { (int) kParamAttack, (int) kParamDecay, (int) kParamSustain, (int) kParamRelease })
            p.setParameter (i, anyValue (random));
    }
    // Any value but 0 is on: the switch gets a new value and the envelope stays on.
    p.setParameter (kParamADSR, onValue (random));
}

// One fresh instance through the same automation from the same seed; the processor
// time of every block.
std::vector<double> timeAutomatedRun (int automation, double rate, int blockSize, int blocks)
{
    auto processor = makeProcessor();
    processor->prepareToPlay (rate, blockSize);
    juce::AudioBuffer<float> buffer (2, blockSize);
    buffer.clear();
    std::mt19937 random (1234);
    juce::MidiBuffer midi;

    std::vector<double> seconds ((size_t) blocks);
    for (int b = 0; b < blocks; ++b)
    {
        automate (*processor, automation, random);
        midi.clear();
        midi.addEvent (juce::MidiMessage::noteOn (1, 48 + b % 24, (juce::uint8) 100), 0);
        const double start = threadSeconds();
        processor->processBlock (buffer, midi);
        seconds[(size_t) b] = threadSeconds() - start;
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }
    return seconds;
}

// A virtual machine's processor is now and then taken away for tens of microseconds,
// and the guest counts that time to whichever thread ran: on this build machine a
// loop of fixed work whose median is 12 us shows single blocks of 100 us. The run is
// therefore made three times from the same seed, and each block's cost is the least
// of its three: a block that is costly in itself is costly every time, while such a
// pause rarely strikes the same block twice. The single-run worst is printed beside.
void runAutomated (benchmark::State& state)
{
    const int automation = (int) state.range (0);
    const double rate = (double) state.range (1);
    const int blockSize = (int) state.range (2);
    // At least three seconds of audio and a few hundred blocks.
    const int blocks = std::max (300, (int) (3.0 * rate / blockSize));
    const double budget = (double) blockSize / rate;
    constexpr int runs = 3;

    AutomatedFigures figures;
    for (auto _ : state)
    {
        std::vector<double> least ((size_t) blocks, HUGE_VAL);
        double total = 0.0, worstSingle = 0.0;
        for (int r = 0; r < runs; ++r)
        {
            const auto seconds = timeAutomatedRun (automation, rate, blockSize, blocks);
            for (size_t b = 0; b < seconds.size(); ++b)
            {
                least[b] = std::min (least[b], seconds[b]);
                worstSingle = std::max (worstSingle, seconds[b]);
                total += seconds[b];
            }
        }
        figures.realtimeX = (double) (runs * blocks) * budget / total;
        figures.worstBlockPercent = 100.0 * *std::max_element (least.begin(), least.end()) / budget;
        figures.worstSingleRunPercent = 100.0 * worstSingle / budget;
    }
    state.counters["realtime_x"] = figures.realtimeX;
    state.counters["worst_block_pct"] = figures.worstBlockPercent;
    state.counters["worst_single_run_pct"] = figures.worstSingleRunPercent;
    state.SetLabel (automation == everythingAutomated ? "everything automated" : "envelope automated");
    automatedFigures[{ automation, (int) rate, blockSize }] = figures;
}

// The parameter derivation alone, as processBlock runs it once per block.
void runUpdateParameters (benchmark::State& state)
{
    const int configuration = (int) state.range (0);
    auto processor = makeProcessor();
    configure (*processor, configuration);
    processor->prepareToPlay (48000.0, 512);
    for (auto _ : state)
    {
        processor->updateProcessorParameters();
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_call"] =
        benchmark::Counter ((double) state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // Its share of a sample's cost at 48 kHz in 512-sample blocks.
    state.counters["ns_per_sample_512"] = benchmark::Counter (
        (double) state.iterations() * 512.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel (configurationName (configuration));
}

// What the heap holds for one instance after construction and preparation, from the
// allocator's own count (mmapped blocks included). A first instance made and kept
// beforehand takes the framework's one-time allocations out of the figure.
void runHeapPerInstance (benchmark::State& state)
{
    const double rate = (double) state.range (0);
    auto warmUp = makeProcessor();
    warmUp->prepareToPlay (rate, 512);

    double bytes = 0.0;
    for (auto _ : state)
    {
        const struct mallinfo2 before = mallinfo2();
        auto processor = makeProcessor();
        processor->prepareToPlay (rate, 4096);
        const struct mallinfo2 after = mallinfo2();
        bytes = (double) (after.uordblks + after.hblkhd) - (double) (before.uordblks + before.hblkhd);
        benchmark::DoNotOptimize (processor.get());
    }
    state.counters["heap_MB"] = bytes / (1024.0 * 1024.0);
    state.counters["heap_bytes"] = bytes;
}

void registerAll()
{
    for (double rate : sampleRates)
        for (int block : blockSizes)
            benchmark::RegisterBenchmark ("reference", runReference)->Args ({ (long) rate, block });

    for (int configuration : { defaults, costliest })
        for (double rate : sampleRates)
            for (int block : blockSizes)
                benchmark::RegisterBenchmark ("processBlock", runProcessor)
                    ->Args ({ configuration, (long) rate, block, 1 });

    // Several instances side by side, one block each in turn, as a host runs them.
    for (int instances : { 8, 32 })
        for (int configuration : { defaults, costliest })
            for (int block : blockSizes)
                benchmark::RegisterBenchmark ("processBlock", runProcessor)
                    ->Args ({ configuration, 48000, block, instances });

    for (int automation : { envelopeAutomated, everythingAutomated })
        for (double rate : sampleRates)
            for (int block : blockSizes)
                benchmark::RegisterBenchmark ("automated", runAutomated)
                    ->Args ({ automation, (long) rate, block })
                    ->Iterations (1)
                    ->Unit (benchmark::kMillisecond);

    for (int configuration : { defaults, costliest })
        benchmark::RegisterBenchmark ("updateProcessorParameters", runUpdateParameters)->Arg (configuration);

    for (double rate : sampleRates)
        benchmark::RegisterBenchmark ("heapPerInstance", runHeapPerInstance)->Arg ((long) rate)->Iterations (3);
}

void printAutomatedSummary()
{
    if (automatedFigures.empty())
        return;
    std::printf ("\n%-11s %7s %6s %12s %15s %22s\n", "automated", "rate", "block", "realtime_x", "worst_block_%",
                 "worst_single_run_%");
    for (const auto& [key, figures] : automatedFigures)
    {
        const auto [automation, rate, blockSize] = key;
        std::printf ("%-11s %7d %6d %12.1f %15.2f %22.2f\n", automation == everythingAutomated ? "everything" : "envelope",
                     rate, blockSize, figures.realtimeX, figures.worstBlockPercent, figures.worstSingleRunPercent);
    }
}

void printSummary()
{
    if (engineNsPerSample.empty())
        return;
    std::printf ("\n%-10s %9s %7s %6s %14s %12s %12s\n", "config", "instances", "rate", "block", "ns/sample",
                 "realtime_x", "x_reference");
    for (const auto& [key, nsPerSample] : engineNsPerSample)
    {
        const auto [configuration, instances, rate, blockSize] = key;
        const auto ref = referenceNsPerSample.find ({ rate, blockSize });
        const double ratio = ref != referenceNsPerSample.end() ? nsPerSample / ref->second : 0.0;
        std::printf ("%-10s %9d %7d %6d %14.2f %12.1f %12.2f\n", configurationName (configuration), instances, rate,
                     blockSize, nsPerSample, 1e9 / (nsPerSample * rate), ratio);
    }
}

} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    registerAll();
    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    printAutomatedSummary();
    return 0;
}
