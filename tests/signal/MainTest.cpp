#include "al/Drawable.h"
#include "al/Main.h"
#include "al/MsgQueue.h"
#include "al/OSClock.h"
#include "al/SphericalHarmonic.h"
#include "al/al_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

int nodesIn (const al::MsgQueue::Message* m)
{
    int n = 0;
    for (; m != nullptr; m = m->next)
        ++n;
    return n;
}

// Posting is not part of the queue's interface; tests build the pending list by hand.
void post (al::MsgQueue& q, double time, al::MsgQueue::Func func, const void* data, int size)
{
    al::MsgQueue::Message* node = q.pool;
    ASSERT_NE (node, nullptr);
    q.pool = node->next;
    node->next = nullptr;
    node->time = time;
    node->func = func;
    node->size = size;
    if (size > al::MsgQueue::inlineBytes)
    {
        char* block = static_cast<char*> (q.allocate ((unsigned long) size));
        std::memcpy (block, data, (size_t) size);
        std::memcpy (node->args, &block, sizeof (block));
    }
    else
        std::memcpy (node->args, data, (size_t) size);
    if (q.tail != nullptr)
        q.tail->next = node;
    else
        q.pending = node;
    q.tail = node;
    ++q.pendingCount;
}

// These run first in this file: they see the record as the load left it.
TEST (LoadTime, RecordAndTableAreMadeBeforeMain)
{
    EXPECT_FALSE (al::SphericalHarmonic<16>::make);
    EXPECT_EQ (al::SphericalHarmonic<16>::table[0][16], al::SphericalHarmonic<16>::coefCalc (0, 0));

    al::Main& main = al::Main::get();
    EXPECT_EQ (&main, &al::Main::get());
    EXPECT_LE (main.startTime, al_time());
    EXPECT_GT (main.startTime, al_time() - 3600.0);
    EXPECT_EQ (main.runTime, 0.0);
    EXPECT_EQ (main.lastTickTime, 0.0);
    EXPECT_EQ (main.interval, 0.01);
    EXPECT_EQ (main.measuredInterval, 0.01);
    EXPECT_EQ (main.cpuLoad, 0.0);
    EXPECT_TRUE (main.handlers.empty());
    EXPECT_EQ (main.queue.pendingCount, 0);
    EXPECT_EQ (nodesIn (main.queue.pool), 129);
}

TEST (Clock, WallClockSecondsAgreeWithTheSystemClock)
{
    const double system = std::chrono::duration<double> (std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR (al_time(), system, 1.0);
}

TEST (SphericalHarmonic, CoefficientsAndTableLayout)
{
    using SH = al::SphericalHarmonic<16>;
    EXPECT_DOUBLE_EQ (SH::coefCalc (0, 0), 0.28209479177387814);
    EXPECT_EQ (SH::coefCalc (1, -1), -SH::coefCalc (1, 1));
    EXPECT_EQ (SH::coefCalc (2, -2), SH::coefCalc (2, 2));
    EXPECT_DOUBLE_EQ (SH::coefCalc (2, 1), std::sqrt (5.0 / (4.0 * M_PI)) / std::sqrt (6.0));
    EXPECT_DOUBLE_EQ (SH::coefCalc (16, 16) * std::sqrt (std::tgamma (33.0)), std::sqrt (33.0 / (4.0 * M_PI)));

    for (int l = 0; l <= 16; ++l)
        for (int m = -16; m <= 16; ++m)
        {
            const double v = SH::table[l][m + 16];
            if (std::abs (m) > l)
                EXPECT_EQ (v, 0.0) << l << " " << m;
            else
                EXPECT_EQ (v, SH::coefCalc (l, m)) << l << " " << m;
        }
}

TEST (SphericalHarmonic, SecondCreateLeavesTheTableAlone)
{
    using SH = al::SphericalHarmonic<16>;
    const double kept = SH::table[3][16];
    SH::table[3][16] = 42.0;
    SH::createLUT();
    EXPECT_EQ (SH::table[3][16], 42.0);
    SH::table[3][16] = kept;
}

struct CountingHeap
{
    static inline int allocations = 0;
    static inline int releases = 0;
    static void* allocate (unsigned long n)
    {
        ++allocations;
        return std::malloc (n);
    }
    static void release (void* p)
    {
        ++releases;
        std::free (p);
    }
};

struct Calls
{
    static inline std::vector<int> order;
    static inline std::vector<double> nowSeen;
    static inline al::MsgQueue* queue = nullptr;
    static void record (char* args)
    {
        int id;
        std::memcpy (&id, args, sizeof (id));
        order.push_back (id);
        nowSeen.push_back (queue->now);
    }
};

TEST (MsgQueue, PoolHoldsOneNodeMoreThanAskedAndIsReleased)
{
    CountingHeap::allocations = CountingHeap::releases = 0;
    {
        al::MsgQueue q (8, CountingHeap::allocate, CountingHeap::release);
        EXPECT_EQ (nodesIn (q.pool), 9);
        EXPECT_EQ (q.pending, nullptr);
        EXPECT_EQ (q.pendingCount, 0);
        EXPECT_EQ (q.now, 0.0);
    }
    EXPECT_EQ (CountingHeap::allocations, 9);
    EXPECT_EQ (CountingHeap::releases, 9);
}

TEST (MsgQueue, UpdateOnAnEmptyQueueOnlySetsNow)
{
    al::MsgQueue q (4);
    q.update (2.5);
    EXPECT_EQ (q.now, 2.5);
    EXPECT_EQ (q.pendingCount, 0);
    EXPECT_EQ (nodesIn (q.pool), 5);
}

TEST (MsgQueue, RunsDueMessagesInOrderAndReturnsTheirNodes)
{
    CountingHeap::allocations = CountingHeap::releases = 0;
    {
        al::MsgQueue q (4, CountingHeap::allocate, CountingHeap::release);
        Calls::order.clear();
        Calls::nowSeen.clear();
        Calls::queue = &q;

        for (int id : { 1, 2, 3 })
            post (q, id * 1.0, Calls::record, &id, sizeof (id));
        char big[200] = {};
        const int bigId = 4;
        std::memcpy (big, &bigId, sizeof (bigId));
        post (q, 4.0, Calls::record, big, sizeof (big));
        EXPECT_EQ (CountingHeap::allocations, 6);

        q.update (2.0);
        EXPECT_EQ (Calls::order, (std::vector<int>{ 1, 2 }));
        EXPECT_EQ (Calls::nowSeen, (std::vector<double>{ 1.0, 2.0 }));
        EXPECT_EQ (q.pendingCount, 2);
        EXPECT_EQ (nodesIn (q.pool), 3);
        EXPECT_EQ (q.now, 2.0);

        q.update (10.0);
        EXPECT_EQ (Calls::order, (std::vector<int>{ 1, 2, 3, 4 }));
        EXPECT_EQ (q.pendingCount, 0);
        EXPECT_EQ (nodesIn (q.pool), 5);
        EXPECT_EQ (CountingHeap::releases, 1);
        EXPECT_EQ (q.now, 10.0);
    }
    EXPECT_EQ (CountingHeap::releases, CountingHeap::allocations);
}

struct TickCounter : al::Main::Handler
{
    int ticks = 0;
    void onTick (al::Main&) override { ++ticks; }
};

TEST (Main, TickMeasuresTimeRunsHandlersAndSmoothsTheLoad)
{
    al::Main& main = al::Main::get();
    TickCounter counter;
    main.handlers.push_back (&counter);

    const double before = al_time();
    main.tick();
    EXPECT_EQ (counter.ticks, 1);
    EXPECT_GE (main.lastTickTime, before);
    EXPECT_NEAR (main.runTime, main.lastTickTime - main.startTime, 1e-9);
    EXPECT_GE (main.cpuLoad, 0.0);
    EXPECT_TRUE (std::isfinite (main.cpuLoad));

    const double last = main.lastTickTime;
    main.tick();
    EXPECT_EQ (counter.ticks, 2);
    EXPECT_NEAR (main.measuredInterval, main.lastTickTime - last, 1e-9);
    EXPECT_EQ (main.queue.now, main.runTime);

    main.handlers.clear();
}

TEST (OSClock, TimerTicksTheRunLoopWhenPolledPastItsInterval)
{
    OSClock clock;
    ASSERT_EQ (clock.initWithInterval (0.5), &clock);
    ASSERT_NE (clock.timer, nullptr);
    EXPECT_EQ (clock.main, &al::Main::get());

    TickCounter counter;
    al::Main::get().handlers.push_back (&counter);
    const double due = clock.timer->nextFireTime();
    EXPECT_FALSE (clock.timer->poll (due - 0.1));
    EXPECT_EQ (counter.ticks, 0);
    EXPECT_TRUE (clock.timer->poll (due + 1.2));
    EXPECT_EQ (counter.ticks, 1);
    EXPECT_DOUBLE_EQ (clock.timer->nextFireTime(), due + 1.5);
    EXPECT_FALSE (clock.timer->poll (due + 1.3));

    clock.dealloc();
    EXPECT_EQ (clock.timer, nullptr);
    clock.dealloc();
    al::Main::get().handlers.clear();
}

} // namespace
