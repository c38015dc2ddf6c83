#include "AllocationCounter.h"
#include "QuorvelConversions.h"
#include "SpatialAgent.h"
#include "Tausworthe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace
{
constexpr float rate = 44100.0f;

// The agent is large (its tables and rings); tests keep it on the heap.
std::unique_ptr<Agent> makeAgent()
{
    gam::Sync::master().spu (rate);
    auto agent = std::make_unique<Agent>();
    agent->setSampleRate (rate);
    return agent;
}

// A motionless agent at the origin whose envelope passes the signal at full
// level, so the delay line receives 0.9 x gain x source sample.
std::unique_ptr<Agent> makeStillAgent (int sourceType)
{
    auto agent = makeAgent();
    agent->velocity = al::Vec3d();
    agent->adsr.enabled = false;
    agent->sourceType = sourceType;
    return agent;
}

float newest (const Agent& agent)
{
    return agent.delayLine.elements[(size_t) agent.delayLine.writePos];
}

int countUpwardZeroCrossings (Agent& agent, int samples)
{
    int crossings = 0;
    float previous = 0.0f;
    for (int i = 0; i < samples; ++i)
    {
        agent.onProcessSample (i % Agent::inputFrames);
        const float s = newest (agent);
        if (previous < 0.0f && s >= 0.0f)
            ++crossings;
        previous = s;
    }
    return crossings;
}

float peak (Agent& agent, int samples)
{
    float p = 0.0f;
    for (int i = 0; i < samples; ++i)
    {
        agent.onProcessSample (0);
        p = std::max (p, std::abs (newest (agent)));
    }
    return p;
}
} // namespace

TEST (AgentConstruction, StartsAsTheEngineExpects)
{
    auto agent = makeAgent();
    EXPECT_EQ (agent->velocity, al::Vec3d (285.115, 100.0, 0.0));
    EXPECT_EQ (agent->direction, al::Vec3d (1.0, 1.0, -1.0));
    EXPECT_EQ (agent->lowerBound, al::Vec3d (0.25, 0.5, 50.0));
    EXPECT_EQ (agent->upperBoundTarget, al::Vec3d (0.25, 0.5, 50.0));
    EXPECT_EQ (agent->motionType, 3);
    EXPECT_EQ (agent->requestedMotionType, 3);
    EXPECT_EQ (agent->trail.size(), 2000);
    EXPECT_EQ (agent->trailAlpha.size(), 2000);
    EXPECT_EQ (agent->modulatorHistory.size(), 100000);
    EXPECT_EQ (agent->trail.fillCount(), 0);
    EXPECT_TRUE (agent->trailResizePending);
    EXPECT_EQ (agent->trailLength, 2000);
    EXPECT_EQ (agent->delayLine.size(), 100000);
    EXPECT_EQ (agent->law, al::ATTEN_INVERSE);
    EXPECT_EQ (agent->dopplerType, al::DOPPLER_DELAY);
    EXPECT_TRUE (agent->usePerSampleProcessing);
    EXPECT_TRUE (agent->adsr.enabled);
    EXPECT_EQ (agent->currentFreq, 220.0);
    EXPECT_EQ (agent->envValue, 1.0f);
    EXPECT_EQ (agent->centerSphere.vertices.count, 242);
}

TEST (AgentConstruction, TriangleTableHoldsTheOddHarmonics)
{
    auto agent = makeAgent();
    ASSERT_EQ (agent->wavetable.size(), 512u);
    EXPECT_EQ (agent->wavetable[0], 0.0f);
    const double quarter = 1.0 - 1.0 / 9 + 1.0 / 25 - 1.0 / 49 + 1.0 / 81 - 1.0 / 121 + 1.0 / 169 - 1.0 / 225;
    EXPECT_NEAR (agent->wavetable[128], quarter, 1e-6);
    for (unsigned i = 1; i < 256; ++i)
        EXPECT_NEAR (agent->wavetable[i], -agent->wavetable[i + 256], 1e-6) << "odd harmonics only";
}

TEST (AgentSignal, SineSawSquareAndTriangleSoundAtTheOscillatorFrequency)
{
    for (int type : { 0, 1, 2, 3 })
    {
        auto agent = makeStillAgent (type);
        agent->setOscFreq (441.0);
        countUpwardZeroCrossings (*agent, 4410); // let the integrators settle
        const int crossings = countUpwardZeroCrossings (*agent, 44100);
        EXPECT_NEAR (crossings, 441, 2) << "source type " << type;
    }
}

TEST (AgentSignal, LevelsOfThePeriodicSources)
{
    auto sine = makeStillAgent (0);
    EXPECT_NEAR (peak (*sine, 2000), 0.09f, 1e-4f);

    double tablePeak = 0.0;
    for (int n = 1; n <= 15; n += 2)
        tablePeak += ((n / 2) % 2 == 0 ? 1.0 : -1.0) / (n * n);
    auto triangle = makeStillAgent (3);
    EXPECT_NEAR (peak (*triangle, 2000), 0.9 * 0.125 * tablePeak, 1e-4);
}

TEST (AgentSignal, IntegratorsKeepTheirStateWhileAnotherSourcePlays)
{
    auto agent = makeStillAgent (1);
    gam::Saw<float, gam::Synced> reference (440.0f, 0.0f);
    reference.inc = 220.0f * reference.radPerHz;
    reference.harmonicsMax();

    float integrator = 0.0f;
    for (int i = 0; i < 300; ++i)
    {
        agent->onProcessSample (0);
        integrator = (float) ((double) (integrator * 0.997f) + (double) reference() * 0.125);
        ASSERT_EQ (agent->saw.integrator, integrator);
    }
    agent->sourceType = 0;
    for (int i = 0; i < 50; ++i)
        agent->onProcessSample (0);
    EXPECT_EQ (agent->saw.integrator, integrator);

    agent->sourceType = 1;
    agent->onProcessSample (0);
    integrator = (float) ((double) (integrator * 0.997f) + (double) reference() * 0.125);
    EXPECT_EQ (agent->saw.integrator, integrator);
    EXPECT_EQ (newest (*agent), (float) (1.0 * (1.0 * ((double) integrator * 0.9))));
}

TEST (AgentSignal, SquareLeakilyIntegratesTheOddHarmonicsBuzz)
{
    auto agent = makeStillAgent (2);
    gam::Square<float, gam::Synced> reference (440.0f, 0.0f);
    reference.inc = 220.0f * reference.radPerHz;
    reference.harmonicsMax();

    float integrator = 0.0f;
    for (int i = 0; i < 500; ++i)
    {
        agent->onProcessSample (0);
        integrator = (float) ((double) (integrator * 0.997f) + (double) (reference.odd() * 0.125f));
        ASSERT_EQ (agent->square.integrator, integrator) << i;
        ASSERT_EQ (newest (*agent), (float) (1.0 * (1.0 * ((double) integrator * 0.9)))) << i;
    }
    EXPECT_GT (std::abs (integrator), 0.05f);
}

// Instances may play on two audio threads at once: each agent continues a sequence
// of its own, whoever else draws in between, and no two agents play the same one.
TEST (AgentSignal, NoiseContinuesASequenceOfEachAgentsOwn)
{
    std::unique_ptr<Agent> agents[2] = { makeStillAgent (4), makeStillAgent (4) };
    for (auto& agent : agents)
        agent->onProcessSample (0); // each generator is seeded at its first draw

    al::rnd::Tausworthe references[2] = { agents[0]->noise, agents[1]->noise };
    std::vector<float> played[2];
    for (int i = 0; i < 40; ++i)
    {
        const int k = (i / 3) % 2;
        agents[k]->onProcessSample (0);
        const float expected = (float) ((double) (float) ((double) references[k].uniform() * 0.2) * 0.9);
        ASSERT_EQ (newest (*agents[k]), expected) << "sample " << i;
        EXPECT_GE (expected, 0.0f);
        EXPECT_LT (expected, 0.2f * 0.9f);
        played[k].push_back (expected);
    }
    EXPECT_NE (played[0], played[1]);

    const uint32_t seed = al::rnd::seed();
    EXPECT_EQ (al::rnd::seed(), seed) << "seeded once per process";
    EXPECT_LE (seed, (uint32_t) std::time (nullptr));
}

TEST (AgentSignal, NoiseWordsNeverStick)
{
    for (uint32_t s : { 0u, 1u, 0xFFFFFFFFu, 12345u })
    {
        al::rnd::Tausworthe g (s);
        EXPECT_NE (g.word (0) & 0x0FFFFFFEu, 0u);
        EXPECT_NE (g.word (1) & 0x0FFFFFF8u, 0u);
        EXPECT_NE (g.word (2) & 0x0FFFFFF0u, 0u);
        EXPECT_NE (g.word (3) & 0x0FFFFF80u, 0u);
        double sum = 0.0;
        for (int i = 0; i < 10000; ++i)
        {
            const float u = g.uniform();
            ASSERT_GE (u, 0.0f);
            ASSERT_LT (u, 1.0f);
            sum += u;
        }
        EXPECT_NEAR (sum / 10000.0, 0.5, 0.02);
    }
}

TEST (AgentSignal, AudioReadsItsRowAndNothingBeyondTheStore)
{
    auto agent = makeStillAgent (5);
    agent->gain = 2.0f;
    agent->inputStore[0][7] = 0.5f;
    agent->inputStore[0][Agent::inputFrames - 1] = 0.25f;
    agent->onProcessSample (7);
    EXPECT_EQ (newest (*agent), 0.9f);
    agent->onProcessSample (Agent::inputFrames - 1);
    EXPECT_EQ (newest (*agent), (float) (2.0 * (0.25 * 0.9)));
    agent->onProcessSample (Agent::inputFrames);
    EXPECT_EQ (newest (*agent), 0.0f);
    agent->onProcessSample (-1);
    EXPECT_EQ (newest (*agent), 0.0f);
    agent->inputChannel = 9;
    agent->onProcessSample (7);
    EXPECT_EQ (newest (*agent), 0.0f);
}

TEST (AgentSignal, ScanGivesTheNormalisedDistanceOfTheSameSample)
{
    auto agent = makeStillAgent (6);
    agent->onProcessSample (0);
    EXPECT_EQ (newest (*agent), 0.0f);

    agent->pos = al::Vec3d (0.0, 0.0, 50.0);
    agent->onProcessSample (0);
    EXPECT_EQ (agent->normalizedDistance, 1.0f);
    EXPECT_EQ (newest (*agent), 0.9f);
}

TEST (AgentSignal, OutOfRangeSourceIsSilentWhileEverythingAdvances)
{
    for (int type : { 7, -1, 1000 })
    {
        auto agent = makeAgent();
        agent->sourceType = type;
        agent->adsr.trigger();
        for (int i = 0; i < 100; ++i)
        {
            agent->onProcessSample (i);
            ASSERT_EQ (newest (*agent), 0.0f);
        }
        EXPECT_EQ (agent->velocityHistory.fillCount(), 100);
        EXPECT_EQ (agent->attenuationHistory.fillCount(), 100);
        EXPECT_EQ (agent->trail.fillCount(), 100);
        EXPECT_EQ (agent->adsr.attackDecayIndex, 100);
        EXPECT_NE (agent->pos, al::Vec3d());
    }
}

TEST (AgentSignal, EnvelopeShapesTheSignal)
{
    auto agent = makeStillAgent (5);
    agent->adsr.enabled = true;
    agent->inputStore[0][0] = 1.0f;
    agent->onProcessSample (0);
    EXPECT_EQ (newest (*agent), 0.0f) << "idle envelope";
    EXPECT_EQ (agent->envValue, 0.0f);

    agent->adsr.trigger();
    for (int i = 0; i < 2000; ++i)
        agent->onProcessSample (0);
    EXPECT_TRUE (agent->adsr.inSustain);
    EXPECT_EQ (newest (*agent), (float) (0.9 * (1.0 * (1.0 * 0.9))));
}

TEST (AgentSignal, NewFrequencyTakesEffectAtTheNextSample)
{
    auto agent = makeStillAgent (0);
    agent->setOscFreq (500.0);
    EXPECT_EQ (agent->targetFreq, 500.0);
    EXPECT_EQ (agent->currentFreq, 220.0);
    agent->onProcessSample (0);
    EXPECT_EQ (agent->currentFreq, 500.0);
    EXPECT_EQ (agent->shownFrequency(), 500.0);
}

TEST (AgentSignal, DopplerHistoryUsesTheFrequencyOfThePreviousSample)
{
    auto agent = makeAgent();
    agent->motionType = agent->requestedMotionType = 0;
    agent->velocity = al::Vec3d (34.0, 0.0, 0.0);
    agent->lowerBound = agent->lowerBoundTarget = al::Vec3d (5.0, 5.0, 5.0);
    agent->upperBound = agent->upperBoundTarget = al::Vec3d (5.0, 5.0, 5.0);
    agent->dopplerType = al::DOPPLER_VELOCITY;
    agent->pos = al::Vec3d (2.0, 0.0, 0.0);
    agent->direction[0] = -1.0;
    agent->onProcessSample (0);
    agent->onProcessSample (0);

    // The deviation relative to the carrier is the same for any carrier but for
    // rounding, so the two frequencies are told apart by their last bits.
    auto deviation = [&] (double hz)
    {
        const float w = agent->velocityHistory.newestValue();
        return (float) ((double) depth_from_vel_carrier (kDopplerPhysical, w, (float) hz) / hz);
    };

    agent->setOscFreq (500.0);
    agent->onProcessSample (0);
    EXPECT_EQ (agent->modulatorHistory.newestValue(), deviation (220.0));
    EXPECT_EQ (agent->currentFreq, 500.0);
    agent->onProcessSample (0);
    EXPECT_EQ (agent->modulatorHistory.newestValue(), deviation (500.0));
    ASSERT_NE (deviation (220.0), deviation (500.0)) << "pick a speed whose deviations round apart";
}

TEST (AgentSignal, ProcessingASampleAllocatesNothing)
{
    auto agent = makeAgent();
    agent->adsr.trigger();
    agent->inputStore[0][3] = 0.5f;
    std::size_t allocations = 0;
    {
        toravel::test::AllocationCounter counter;
        for (int type = -1; type <= 7; ++type)
        {
            agent->sourceType = type;
            for (int i = 0; i < 2000; ++i)
                agent->onProcessSample (i);
        }
        agent->setOscFreq (330.0);
        agent->resizeTrail (50);
        agent->targetCenter = al::Vec3d (1.0, 0.0, 0.0);
        agent->requestedMotionType = 1;
        for (int i = 0; i < 100; ++i)
            agent->onProcessSample (i);
        allocations = counter.count();
    }
    EXPECT_EQ (allocations, 0u);
}

TEST (AgentTrailHandover, ResizeRequestsAndTheirApplication)
{
    auto agent = makeAgent();
    agent->onAnimate (0.0);
    EXPECT_FALSE (agent->trailResizePending) << "construction leaves one resize pending";

    agent->resizeTrail (2000);
    EXPECT_FALSE (agent->trailResizePending) << "same length changes nothing";

    agent->resizeTrail (10);
    agent->resizeTrail (2000);
    EXPECT_TRUE (agent->trailResizePending) << "set back, still pending";

    for (int i = 0; i < 30; ++i)
        agent->onProcessSample (i);
    EXPECT_EQ (agent->trail.fillCount(), 30);

    agent->resizeTrail (10);
    agent->onAnimate (0.0);
    EXPECT_FALSE (agent->trailResizePending);
    EXPECT_EQ (agent->trail.size(), 10);
    EXPECT_EQ (agent->trailAlpha.size(), 10);
    EXPECT_EQ (agent->trail.fillCount(), 0) << "a resize empties the trail";

    for (int i = 0; i < 25; ++i)
        agent->onProcessSample (i);
    EXPECT_EQ (agent->trail.fillCount(), 10);
    EXPECT_EQ (agent->trailAlpha.fillCount(), 10);
    const al::Vec3f p = agent->trail.newestValue();
    EXPECT_FLOAT_EQ (p[0], (float) (agent->pos[0] - agent->step[0]));
}

// Each side yields between its frames and blocks, as a render loop and an audio
// callback do, so that the two interleave even when they share one core; otherwise
// a view that always finds a resize waiting would only ever see the freshly emptied
// trail. The audio side renders until the view has drawn points it wrote.
TEST (AgentTrailHandover, AudioWritesWhileTheViewResizesAndReads)
{
    auto agent = makeAgent();
    agent->velocity = al::Vec3d (300.0, 200.0, 100.0);
    std::atomic<bool> stop{ false };
    std::atomic<long> drawnPoints{ 0 };

    std::thread view (
        [&]
        {
            while (!stop.load())
            {
                agent->onAnimate (0.0);
                const auto points = agent->trail.snapshot();
                const auto alphas = agent->trailAlpha.snapshot();
                double sum = 0.0;
                for (int i = 0; i < std::min (points.count, alphas.count); ++i)
                    sum += agent->trail.read (points, i)[0] * agent->trailAlpha.read (alphas, i);
                drawnPoints += points.count;
                ASSERT_TRUE (std::isfinite (sum));
                ASSERT_LE (points.count, points.size);
                std::this_thread::yield();
            }
        });

    const int minimumBlocks = 400, maximumBlocks = 200000;
    int block = 0;
    for (; block < maximumBlocks && (block < minimumBlocks || drawnPoints.load() == 0); ++block)
    {
        if (block % 8 == 0)
            agent->resizeTrail (1 + (block * 977) % 3000);
        for (int i = 0; i < 256; ++i)
            agent->onProcessSample (i);
        std::this_thread::yield();
    }
    stop = true;
    view.join();

    EXPECT_GT (drawnPoints.load(), 0) << "the view drew nothing in " << block << " blocks";
    agent->onAnimate (0.0);
    EXPECT_EQ (agent->trail.size(), agent->trailLength.load());
    EXPECT_EQ (agent->trailAlpha.size(), agent->trail.size());
}

TEST (AgentHistoryHandover, ViewsReadWholeValuesWhileTheAudioThreadWrites)
{
    auto agent = makeAgent();
    agent->velocity = al::Vec3d (34.0, 0.0, 0.0);
    agent->requestedMotionType = 0;
    std::atomic<bool> stop{ false };

    std::thread view (
        [&]
        {
            while (!stop.load())
            {
                const auto s = agent->attenuationHistory.snapshot();
                for (int i = 0; i < s.count; ++i)
                {
                    const float g = agent->attenuationHistory.read (s, i);
                    ASSERT_GE (g, 0.0f);
                    ASSERT_LE (g, 1.0f);
                }
                ASSERT_GE (agent->shownVelocity (0), 0.0);
            }
        });

    for (int i = 0; i < 300000; ++i)
        agent->onProcessSample (i % 4096);
    stop = true;
    view.join();
    EXPECT_EQ (agent->attenuationHistory.fillCount(), Agent::historySize);
}

TEST (AgentCentreHandover, AudioThreadSeesOnlyWholeCentres)
{
    auto agent = makeAgent();
    std::atomic<bool> stop{ false };

    std::thread message (
        [&]
        {
            double k = 0.0;
            while (!stop.load())
            {
                k += 1.0;
                agent->targetCenter = al::Vec3d (k, 2.0 * k, 3.0 * k);
            }
        });

    double lastAdopted = 0.0;
    for (int i = 0; i < 200000; ++i)
    {
        agent->onProcessSample (i % 4096);
        const al::Vec3d c = agent->center;
        ASSERT_EQ (c[1], 2.0 * c[0]);
        ASSERT_EQ (c[2], 3.0 * c[0]);
        ASSERT_GE (c[0], lastAdopted);
        lastAdopted = c[0];
    }
    stop = true;
    message.join();

    agent->onProcessSample (0);
    EXPECT_EQ (agent->center, agent->targetCenter.load());
}

TEST (AgentCentreHandover, ResetToCenterAppliesAtTheNextSample)
{
    auto agent = makeAgent();
    for (int i = 0; i < 100; ++i)
        agent->onProcessSample (i);
    ASSERT_NE (agent->pos, al::Vec3d());

    std::thread message ([&] { agent->resetToCenter(); });
    message.join();
    agent->velocity = al::Vec3d();
    agent->onProcessSample (0);
    EXPECT_EQ (agent->pos, al::Vec3d());
    EXPECT_EQ (agent->phase, al::Vec3d());
}
