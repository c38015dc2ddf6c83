#include "gam/Sync.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

// Records every notification it receives, in order, into a shared log.
struct Recorder : gam::Synced
{
    Recorder (int id_, std::vector<int>& log_, gam::Sync& clock) : id (id_), log (log_)
    {
        sync (clock);
        initSynced();
        log.clear();
        ratios.clear();
    }

    void onResync (double r) override
    {
        log.push_back (id);
        ratios.push_back (r);
    }

    int id;
    std::vector<int>& log;
    std::vector<double> ratios;
};

TEST (Sync, FreshClockRunsAtOneSamplePerUnitWithAnEmptyList)
{
    gam::Sync clock;
    EXPECT_EQ (clock.spu(), 1.0);
    EXPECT_EQ (clock.ups(), 1.0);
    EXPECT_FALSE (clock.hasBeenSet);
    EXPECT_EQ (clock.head.clock, &clock);
    EXPECT_EQ (clock.head.next, nullptr);
    EXPECT_EQ (clock.head.prev, nullptr);
}

TEST (Sync, SettingTheCurrentRateNotifiesNobodyButMarksTheClockSet)
{
    gam::Sync clock;
    std::vector<int> log;
    Recorder a (1, log, clock);
    clock.spu (1.0);
    EXPECT_TRUE (clock.hasBeenSet);
    EXPECT_TRUE (log.empty());
}

TEST (Sync, RateChangeRescalesObserversNewestFirst)
{
    gam::Sync clock;
    clock.spu (44100.0);
    std::vector<int> log;
    Recorder a (1, log, clock);
    Recorder b (2, log, clock);
    Recorder c (3, log, clock);
    log.clear();

    EXPECT_DOUBLE_EQ (a.spu, 44100.0);

    clock.spu (48000.0);
    EXPECT_EQ (log, (std::vector<int>{ 3, 2, 1 }));
    ASSERT_EQ (b.ratios.size(), 1u);
    EXPECT_EQ (b.ratios[0], 48000.0 / 44100.0);
    EXPECT_DOUBLE_EQ (b.spu, 48000.0);
    EXPECT_DOUBLE_EQ (b.ups, 1.0 / 48000.0);
    EXPECT_EQ (clock.ups(), 1.0 / 48000.0);
}

TEST (Sync, DestroyedObserverLeavesItsNeighboursLinked)
{
    gam::Sync clock;
    std::vector<int> log;
    Recorder a (1, log, clock);
    Recorder c (3, log, clock);
    {
        Recorder b (2, log, clock);
        clock.spu (2.0);
        EXPECT_EQ (log, (std::vector<int>{ 2, 3, 1 }));
        log.clear();
    }
    clock.spu (4.0);
    EXPECT_EQ (log, (std::vector<int>{ 3, 1 }));
    EXPECT_EQ (clock.head.next, &c);
    EXPECT_EQ (c.next, &a);
    EXPECT_EQ (a.prev, &c);
    EXPECT_EQ (a.next, nullptr);
}

TEST (Sync, ResyncingToAnotherClockMovesTheObserverAndScalesByTheRatio)
{
    gam::Sync first, second;
    first.spu (100.0);
    second.spu (300.0);
    std::vector<int> log;
    Recorder a (1, log, first);
    a.sync (second);
    ASSERT_EQ (log.size(), 1u);
    EXPECT_EQ (a.ratios.back(), 3.0);
    EXPECT_DOUBLE_EQ (a.spu, 300.0);
    EXPECT_EQ (first.head.next, nullptr);
    EXPECT_EQ (second.head.next, &a);

    log.clear();
    a.sync (second);
    EXPECT_TRUE (log.empty());
}

TEST (Sync, ObserverKeepsAFactorItScaledItselfBy)
{
    gam::Sync clock;
    std::vector<int> log;
    Recorder a (1, log, clock);
    a.scaleSPU (2.0);
    clock.spu (10.0);
    EXPECT_DOUBLE_EQ (a.spu, 20.0);
}

TEST (Sync, RatesThatAreNotFinitePositiveNumbersAreIgnored)
{
    gam::Sync clock;
    clock.spu (44100.0);
    std::vector<int> log;
    Recorder a (1, log, clock);
    for (double bad : { 0.0, -48000.0, (double) INFINITY, (double) NAN })
    {
        clock.spu (bad);
        EXPECT_EQ (clock.spu(), 44100.0);
        EXPECT_DOUBLE_EQ (a.spu, 44100.0);
        EXPECT_TRUE (std::isfinite (a.ups));
    }
    EXPECT_TRUE (log.empty());
}

TEST (Sync, MasterIsOneClockForTheWholeProcess)
{
    EXPECT_EQ (&gam::Sync::master(), &gam::Sync::master());
    std::vector<int> log;
    Recorder a (1, log, gam::Sync::master());
    EXPECT_EQ (a.clock, &gam::Sync::master());
}

} // namespace
