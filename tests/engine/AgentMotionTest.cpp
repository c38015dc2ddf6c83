#include "QuorvelConversions.h"
#include "SpatialAgent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
constexpr float rate = 44100.0f;

// An agent already on the given shape (no jump to the centre at its first
// step), with equal current and target extents.
std::unique_ptr<Agent> makeMovingAgent (int shape, al::Vec3d speed, al::Vec3d lower, al::Vec3d upper)
{
    gam::Sync::master().spu (rate);
    auto agent = std::make_unique<Agent>();
    agent->setSampleRate (rate);
    agent->motionType = agent->requestedMotionType = shape;
    agent->velocity = speed;
    agent->lowerBound = agent->lowerBoundTarget = lower;
    agent->upperBound = agent->upperBoundTarget = upper;
    return agent;
}

struct Range
{
    double low = 1e300, high = -1e300;
    void add (double v)
    {
        low = std::min (low, v);
        high = std::max (high, v);
    }
};

Range rangeOnAxis (Agent& agent, int axis, int samples)
{
    Range r;
    for (int i = 0; i < samples; ++i)
    {
        agent.onProcessSample (0);
        r.add (agent.pos[axis]);
    }
    return r;
}
} // namespace

TEST (AgentMotionShapes, SquareMovesAtConstantSpeedBetweenTheLimits)
{
    // 441 m/s at 44100 Hz: 1 cm per sample.
    auto agent = makeMovingAgent (0, al::Vec3d (441.0, 0.0, 0.0), al::Vec3d (0.5, 0.5, 0.5), al::Vec3d (0.3, 0.5, 0.5));
    const double u = 0.01;
    Range r;
    for (int i = 0; i < 1000; ++i)
    {
        agent->onProcessSample (0);
        ASSERT_NEAR (std::abs (agent->step[0]), u, 1e-9);
        r.add (agent->pos[0]);
    }
    EXPECT_GE (r.high, 0.3 - 1e-9);
    EXPECT_LT (r.high, 0.3 + 2.0 * u);
    EXPECT_LE (r.low, -0.5 + 1e-9);
    EXPECT_GT (r.low, -0.5 - 2.0 * u);
    EXPECT_EQ (agent->pos[1], 0.0) << "an axis with speed 0 does not move";
}

TEST (AgentMotionShapes, ShapedMotionsReachTheirExtentsOnXAndY)
{
    for (int shape : { 1, 2, 3, 4 })
    {
        auto agent = makeMovingAgent (shape, al::Vec3d (100.0, 100.0, 0.0), al::Vec3d (1.0, 0.5, 1.0),
                                      al::Vec3d (2.0, 1.5, 1.0));
        Range x, y;
        for (int i = 0; i < 20000; ++i)
        {
            agent->onProcessSample (0);
            x.add (agent->pos[0]);
            y.add (agent->pos[1]);
        }
        EXPECT_NEAR (x.high, 2.0, 0.01) << "shape " << shape;
        EXPECT_NEAR (x.low, -1.0, 0.01) << "shape " << shape;
        EXPECT_NEAR (y.high, 1.5, 0.01) << "shape " << shape;
        EXPECT_NEAR (y.low, -0.5, 0.01) << "shape " << shape;
    }
}

TEST (AgentMotionShapes, SpeedProfilesOfTheShapes)
{
    const double u = 100.0 / rate;
    // Sine and triangle pass the centre at rest, saw at full speed, inverse saw
    // at rest.
    const double expectedFirstStep[] = { 0.0, 0.0, 0.0, u, 0.0 };
    // On the way from the centre to the extent B = 1, integrating each shape's speed
    // factor over its phase change gives the speed (in u) at each fraction s of the way,
    // and the samples (times u) it takes to be half way: the sine's phase advances by
    // u / pi, its position is (1 - cos 2 pi p) / 2, and it is half way, and fastest, at
    // p = 1/4.
    struct Profile
    {
        double (*speed) (double s);
        double halfWay;
    };
    const Profile profiles[] = {
        {},
        { [] (double s) { return 2.0 * std::sqrt (s * (1.0 - s)); }, 0.25 * M_PI },
        { [] (double s) { return std::sqrt (2.0 * std::min (s, 1.0 - s)); }, 1.0 },
        { [] (double s) { return std::sqrt (1.0 - s); }, 2.0 - std::sqrt (2.0) },
        { [] (double s) { return std::sqrt (s); }, std::sqrt (2.0) },
    };
    for (int shape : { 1, 2, 3, 4 })
    {
        auto agent =
            makeMovingAgent (shape, al::Vec3d (100.0, 0.0, 0.0), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 1.0));
        agent->onProcessSample (0);
        EXPECT_NEAR (agent->step[0], expectedFirstStep[shape], u * 0.01) << "shape " << shape;

        int halfWay = 0;
        for (int i = 2; agent->direction[0] > 0.0 && i < 10000; ++i)
        {
            agent->onProcessSample (0);
            const double s = agent->pos[0] - 0.5 * agent->step[0];
            if (s > 0.05 && s < 0.95)
            {
                ASSERT_NEAR (agent->step[0] / u, profiles[shape].speed (s), 0.005) << "shape " << shape << " at " << s;
            }
            if (halfWay == 0 && agent->pos[0] >= 0.5)
                halfWay = i;
        }
        const double expected = profiles[shape].halfWay / u;
        EXPECT_NEAR (halfWay, expected, 2.0) << "shape " << shape;
    }
}

TEST (AgentMotionShapes, ZUsesTheOtherHalfsExtentButTurnsAtTheRealLimits)
{
    // Saw on z, starting toward negative z, lower 1 and upper 4: the shape is
    // scaled by the upper extent, so the agent still moves fast when it reaches
    // -1 and turns there.
    auto agent = makeMovingAgent (3, al::Vec3d (0.0, 0.0, 100.0), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 4.0));
    const double u = 100.0 / rate;
    Range z;
    double speedAtLowerLimit = -1.0;
    for (int i = 0; i < 40000; ++i)
    {
        agent->onProcessSample (0);
        z.add (agent->pos[2]);
        if (speedAtLowerLimit < 0.0 && agent->pos[2] <= -1.0)
            speedAtLowerLimit = std::abs (agent->step[2]);
    }
    EXPECT_GT (z.low, -1.0 - 2.0 * u);
    EXPECT_LT (z.high, 4.0 + 2.0 * u);
    EXPECT_GT (speedAtLowerLimit, 0.5 * u);

    // The same on x reaches -1 almost at rest.
    auto onX = makeMovingAgent (3, al::Vec3d (100.0, 0.0, 0.0), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (4.0, 1.0, 1.0));
    onX->direction[0] = -1.0;
    double xSpeedAtLowerLimit = -1.0;
    for (int i = 0; i < 40000 && xSpeedAtLowerLimit < 0.0; ++i)
    {
        onX->onProcessSample (0);
        if (onX->pos[0] <= -0.999)
            xSpeedAtLowerLimit = std::abs (onX->step[0]);
    }
    EXPECT_GE (xSpeedAtLowerLimit, 0.0);
    EXPECT_LT (xSpeedAtLowerLimit, 0.1 * u);
}

TEST (AgentMotionShapes, UnknownShapeStandsStill)
{
    auto agent =
        makeMovingAgent (9, al::Vec3d (100.0, 100.0, 100.0), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 1.0));
    for (int i = 0; i < 10; ++i)
        agent->onProcessSample (0);
    EXPECT_EQ (agent->pos, al::Vec3d());
}

TEST (AgentMotionShapes, DegenerateSettingsNeverPoisonThePosition)
{
    auto agent =
        makeMovingAgent (1, al::Vec3d (100.0, 100.0, 100.0), al::Vec3d (0.0, 0.0, 0.0), al::Vec3d (0.0, 0.0, 0.0));
    agent->sourceType = 6;
    agent->adsr.enabled = false;
    for (int i = 0; i < 10; ++i)
        agent->onProcessSample (0);
    agent->setSampleRate (0.0f);
    for (int i = 0; i < 10; ++i)
        agent->onProcessSample (0);
    for (int a = 0; a < 3; ++a)
        EXPECT_TRUE (std::isfinite (agent->pos[a]));
    EXPECT_TRUE (std::isfinite (agent->delayLine.elements[(size_t) agent->delayLine.writePos]));
}

TEST (AgentMotionExtents, AdoptedOnlyNearTheCentrePerAxis)
{
    auto agent =
        makeMovingAgent (0, al::Vec3d (441.0, 0.0, 441.0), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 1.0));
    for (int i = 0; i < 50; ++i)
        agent->onProcessSample (0); // x at +0.5, z at -0.5
    agent->lowerBoundTarget = al::Vec3d (2.0, 3.0, 2.0);
    agent->upperBoundTarget = al::Vec3d (2.0, 3.0, 2.0);
    agent->onProcessSample (0);
    EXPECT_EQ (agent->upperBound[0], 1.0) << "far from the centre the old extents stay";

    agent->onProcessSample (0);
    EXPECT_EQ (agent->upperBound[1], 3.0) << "a still axis at the centre adopts at once";
    EXPECT_EQ (agent->lowerBound[1], 3.0);

    // Window 441/10000 m = 4.4 steps: the extents change as the agent passes the
    // centre.
    for (int i = 0; i < 300 && agent->upperBound[0] != 2.0; ++i)
        agent->onProcessSample (0);
    EXPECT_EQ (agent->upperBound[0], 2.0);
    EXPECT_EQ (agent->lowerBound[2], 2.0);
    EXPECT_LE (std::abs (agent->pos[0] - agent->step[0]), 441.0 / 10000.0 + 1e-9);

    Range x = rangeOnAxis (*agent, 0, 2000);
    EXPECT_NEAR (x.high, 2.0, 0.02);
    EXPECT_NEAR (x.low, -2.0, 0.02);
}

TEST (AgentMotionExtents, StillAxisAwayFromTheCentreNeverAdopts)
{
    auto agent = makeMovingAgent (0, al::Vec3d(), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 1.0));
    agent->pos = al::Vec3d (0.5, 0.0, 0.0);
    agent->upperBoundTarget = al::Vec3d (3.0, 3.0, 3.0);
    agent->onProcessSample (0);
    EXPECT_EQ (agent->upperBound[0], 1.0);
    EXPECT_EQ (agent->upperBound[1], 3.0);
}

TEST (AgentMotionCentre, NewCentreMovesTheLimitsButNotTheAgent)
{
    auto agent = makeMovingAgent (0, al::Vec3d (441.0, 0.0, 0.0), al::Vec3d (0.5, 0.5, 0.5), al::Vec3d (0.5, 0.5, 0.5));
    agent->onProcessSample (0);
    const double x = agent->pos[0];
    agent->targetCenter = al::Vec3d (5.0, 0.0, 0.0);
    agent->onProcessSample (0);
    EXPECT_EQ (agent->center, al::Vec3d (5.0, 0.0, 0.0));
    EXPECT_NEAR (agent->pos[0], x + 0.01, 1e-8) << "no jump";
    Range r = rangeOnAxis (*agent, 0, 3000);
    EXPECT_GE (r.low, x);
    EXPECT_NEAR (r.high, 5.5, 0.02) << "the agent travels to its new limits at its own speed";
}

TEST (AgentMotionCentre, ShapeChangeJumpsToTheCentre)
{
    auto agent =
        makeMovingAgent (0, al::Vec3d (441.0, 441.0, 0.0), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 1.0));
    agent->targetCenter = al::Vec3d (0.2, 0.0, 0.0);
    for (int i = 0; i < 37; ++i)
        agent->onProcessSample (0);
    agent->requestedMotionType = 2;
    agent->onProcessSample (0);
    EXPECT_EQ (agent->motionType, 2);
    EXPECT_EQ (agent->phase, al::Vec3d());
    EXPECT_NEAR (agent->pos[0], 0.2 + agent->step[0], 1e-12) << "from the centre, one step of the old shape";
    EXPECT_NEAR (agent->pos[1], agent->step[1], 1e-12);
}

TEST (AgentMotionBounds, XTurnsAtTheLimitYAndZOnlyPastIt)
{
    auto agent = makeMovingAgent (0, al::Vec3d(), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 1.0));
    agent->direction = al::Vec3d (1.0, 1.0, 1.0);
    agent->pos = al::Vec3d (1.0, 1.0, 1.0);
    agent->checkBounds();
    EXPECT_EQ (agent->direction, al::Vec3d (-1.0, 1.0, 1.0));
    agent->pos = al::Vec3d (-1.0, -1.0, -1.0);
    agent->direction = al::Vec3d (-1.0, -1.0, -1.0);
    agent->checkBounds();
    EXPECT_EQ (agent->direction, al::Vec3d (1.0, -1.0, -1.0));
    agent->pos = al::Vec3d (-1.01, -1.01, 1.01);
    agent->checkBounds();
    EXPECT_EQ (agent->direction, al::Vec3d (1.0, 1.0, -1.0));
}

TEST (AgentMotionApproach, CompensationOnXAndYTowardTheOriginOnZAway)
{
    const double full = 340.0 / rate;
    const double reduced = (340.0f * 340.0f / (2.0f * 340.0f + 340.0f)) / rate;
    struct Case
    {
        int axis;
        double position;
        double direction;
        double expected;
    } cases[] = {
        { 0, 1.0, -1.0, reduced }, { 0, 1.0, 1.0, full },      { 0, -1.0, 1.0, reduced },
        { 1, -1.0, 1.0, reduced }, { 1, 1.0, 1.0, full },      { 2, 1.0, 1.0, reduced },
        { 2, 1.0, -1.0, full },    { 2, -1.0, -1.0, reduced }, { 0, 0.0, 1.0, full },
    };
    for (const Case& c : cases)
    {
        al::Vec3d speed;
        speed[c.axis] = 340.0;
        auto agent = makeMovingAgent (0, speed, al::Vec3d (5.0, 5.0, 5.0), al::Vec3d (5.0, 5.0, 5.0));
        agent->compensateApproach = true;
        agent->pos[c.axis] = c.position;
        agent->direction[c.axis] = c.direction;
        agent->onProcessSample (0);
        EXPECT_NEAR (std::abs (agent->step[c.axis]), c.expected, 1e-7)
            << "axis " << c.axis << " at " << c.position << " moving " << c.direction;
    }
    EXPECT_NEAR (reduced * rate, 113.333, 0.001);
}

TEST (AgentMotionHistories, RecordedPerSample)
{
    // 34 m/s toward the listener along x under the symmetric law: deviation 34 /
    // 340.
    auto agent = makeMovingAgent (0, al::Vec3d (34.0, 0.0, 0.0), al::Vec3d (5.0, 5.0, 5.0), al::Vec3d (5.0, 5.0, 5.0));
    agent->pos = al::Vec3d (2.0, 0.0, 0.0);
    agent->direction[0] = -1.0;
    agent->onProcessSample (0); // the first distance compares with 0
    agent->onProcessSample (0);
    EXPECT_NEAR (agent->modulatorHistory.newestValue(), 0.1f, 1e-5f);
    EXPECT_NEAR (agent->velocityHistory.newestValue(), 34.0f, 1e-3f);
    const float d = (float) (agent->pos[0] - agent->step[0]);
    EXPECT_FLOAT_EQ (agent->attenuationHistory.newestValue(), (float) agent->attenuation (d));
    EXPECT_FLOAT_EQ (agent->trailAlpha.newestValue(), (float) agent->attenuation (d));
    EXPECT_FLOAT_EQ (agent->normalizedDistance, d / 5.0f);

    agent->dopplerType = al::DOPPLER_NONE;
    agent->onProcessSample (0);
    EXPECT_EQ (agent->modulatorHistory.newestValue(), 0.0f);

    agent->useAttenuation = false;
    agent->onProcessSample (0);
    EXPECT_EQ (agent->attenuationHistory.newestValue(), 1.0f);
    EXPECT_EQ (agent->trailAlpha.newestValue(), 1.0f);
}

TEST (AgentMotionHistories, VelocityCorrectedDelayRecordsThePhysicalDeviation)
{
    auto agent = makeMovingAgent (0, al::Vec3d (34.0, 0.0, 0.0), al::Vec3d (5.0, 5.0, 5.0), al::Vec3d (5.0, 5.0, 5.0));
    agent->dopplerType = al::DOPPLER_VELOCITY;
    agent->pos = al::Vec3d (2.0, 0.0, 0.0);
    agent->direction[0] = -1.0;
    agent->onProcessSample (0);
    agent->onProcessSample (0);

    // Approaching at 34 m/s: 340 / (340 - 34) - 1 = 1/9.
    const float approach = agent->velocityHistory.newestValue();
    EXPECT_EQ (agent->modulatorHistory.newestValue(),
               (float) ((double) depth_from_vel_carrier (kDopplerPhysical, approach, 220.0f) / 220.0));
    EXPECT_NEAR (agent->modulatorHistory.newestValue(), 1.0f / 9.0f, 1e-5f);

    // Turned away: the first sample still compares the distances of the approach,
    // the next one records the recession, 340 / (340 + 34) - 1 = -1/11.
    agent->direction[0] = 1.0;
    agent->onProcessSample (0);
    agent->onProcessSample (0);
    const float recession = -agent->velocityHistory.newestValue();
    EXPECT_EQ (agent->modulatorHistory.newestValue(),
               (float) ((double) depth_from_vel_carrier (kDopplerPhysical, recession, 220.0f) / 220.0));
    EXPECT_NEAR (agent->modulatorHistory.newestValue(), -1.0f / 11.0f, 1e-5f);
}

TEST (AgentMotionHistories, MotionlessAgentRecordsNoDopplerDeviation)
{
    auto agent = makeMovingAgent (0, al::Vec3d(), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 1.0));
    agent->pos = al::Vec3d (0.5, 0.0, 0.0);
    agent->onProcessSample (0); // from the initial previous distance 0
    const int recorded = agent->modulatorHistory.fillCount();
    for (int i = 0; i < 100; ++i)
        agent->onProcessSample (0);
    EXPECT_EQ (agent->modulatorHistory.fillCount(), recorded);
    EXPECT_EQ (agent->velocityHistory.fillCount(), 101);
    EXPECT_EQ (agent->trail.fillCount(), 101);
    EXPECT_EQ (agent->velocityHistory.newestValue(), 0.0f);
}

TEST (AgentMotionHistories, SourcePoseFollowsTheNav)
{
    auto agent =
        makeMovingAgent (0, al::Vec3d (441.0, 441.0, 441.0), al::Vec3d (1.0, 1.0, 1.0), al::Vec3d (1.0, 1.0, 1.0));
    agent->onProcessSample (0);
    EXPECT_EQ (agent->pose.pos, agent->pos);
    EXPECT_NEAR (agent->pos[2], -0.01, 1e-8) << "direction -1 on z moves toward negative z";
    EXPECT_EQ (agent->moveVel[2], -agent->step[2]);
}
