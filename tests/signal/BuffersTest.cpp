#include "al/RingBuffer.h"
#include "al/ShiftBuffer.h"
#include "al/Vec.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

TEST (RingBuffer, NextHandsOutSlotsInOrderAndCountsFill)
{
    al::RingBuffer<float> ring (4, 0.0f);
    EXPECT_EQ (ring.size(), 4);
    EXPECT_EQ (ring.writePos, 3);
    EXPECT_EQ (ring.fillCount, 0);

    for (int k = 0; k < 4; ++k)
    {
        float& slot = ring.next();
        EXPECT_EQ (&slot, &ring.elements[(std::size_t) k]);
        EXPECT_EQ (ring.fillCount, k + 1);
        slot = float (k + 1);
    }
    EXPECT_EQ (&ring.next(), &ring.elements[0]);
    EXPECT_EQ (ring.fillCount, 4);
    EXPECT_EQ (ring.writePos, 0);
}

TEST (RingBuffer, ReadsBackwardsFromNewestAndWraps)
{
    al::RingBuffer<float> ring (5, -1.0f);
    for (int k = 1; k <= 7; ++k)
        ring.next() = float (k);
    EXPECT_EQ (ring.read (0), 7.0f);
    EXPECT_EQ (ring.read (1), 6.0f);
    EXPECT_EQ (ring.read (2), 5.0f);
    EXPECT_EQ (ring.read (4), 3.0f);
}

TEST (RingBuffer, Resize)
{
    al::RingBuffer<al::Vec<3, float>> trail (2000, al::Vec<3, float>());
    trail.writePos = 1800;
    trail.elements[3] = al::Vec<3, float> (1.0f, 2.0f, 3.0f);
    trail.resize (500, al::Vec<3, float>());
    EXPECT_EQ (trail.size(), 500);
    EXPECT_EQ (trail.writePos, 499);
    EXPECT_EQ (trail.elements[3][1], 2.0f);

    trail.writePos = 100;
    trail.fillCount = 77;
    trail.resize (3000, al::Vec<3, float> (9.0f));
    EXPECT_EQ (trail.size(), 3000);
    EXPECT_EQ (trail.writePos, 100);
    EXPECT_EQ (trail.fillCount, 77);
    EXPECT_EQ (trail.elements[2999][2], 9.0f);
    EXPECT_EQ (trail.elements[3][0], 1.0f);
}

TEST (RingBuffer, EmptySizeKeepsOneSlot)
{
    al::RingBuffer<float> ring (0, 0.0f);
    EXPECT_EQ (ring.size(), 1);
    ring.next() = 3.0f;
    ring.next() = 4.0f;
    EXPECT_EQ (ring.elements[0], 4.0f);
    EXPECT_EQ (ring.fillCount, 1);

    ring.resize (0);
    EXPECT_EQ (ring.size(), 1);
    EXPECT_EQ (ring.writePos, 0);
}

TEST (RingBuffer, NextAllocatesNothing)
{
    al::RingBuffer<float> ring (100000, 0.0f);
    toravel::test::AllocationCounter c;
    for (int k = 0; k < 250000; ++k)
        ring.next() = float (k);
    EXPECT_EQ (c.count(), 0u);
    EXPECT_EQ (ring.read (0), 249999.0f);
}

TEST (ShiftBuffer, NewestFirstOldestDropped)
{
    al::ShiftBuffer<4, al::Vec<3, double>> history;
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ (history[k].mag(), 0.0);

    const char names[] = { 'a', 'b', 'c', 'd', 'e' };
    for (char c : names)
        history (al::Vec<3, double> (double (c), 0.0, 0.0));
    EXPECT_EQ (history[0][0], double ('e'));
    EXPECT_EQ (history[1][0], double ('d'));
    EXPECT_EQ (history[2][0], double ('c'));
    EXPECT_EQ (history[3][0], double ('b'));
}
