#include "al/Nav.h"

#include "AllocationCounter.h"
#include "ExpectVec.h"

#include <gtest/gtest.h>

#include <cmath>

using toravel::test::expectVec;

TEST (Nav, ConstructionAtOriginFacingNegativeZ)
{
    const al::Nav nav;
    expectVec (nav.pos, 0, 0, 0, 0.0);
    expectVec (nav.rightVec, 1, 0, 0, 0.0);
    expectVec (nav.upVec, 0, 1, 0, 0.0);
    expectVec (nav.forwardVec, 0, 0, -1, 0.0);
    EXPECT_EQ (nav.smoothing, 0.0);
    EXPECT_EQ (nav.stepSize, 1.0);
    EXPECT_EQ (nav.quat.w, 1.0);
}

TEST (Nav, MovesAlongOwnAxes)
{
    al::Nav right;
    right.moveVel = al::Vec<3, double> (1.0, 0.0, 0.0);
    right.step (1.0);
    expectVec (right.pos, 1, 0, 0, 0.0);

    al::Nav forward;
    forward.moveVel = al::Vec<3, double> (0.0, 0.0, 1.0);
    forward.step (1.0);
    expectVec (forward.pos, 0, 0, -1, 0.0);

    al::Nav scaled;
    scaled.moveVel = al::Vec<3, double> (0.0, 2.0, 0.0);
    scaled.step (0.25);
    expectVec (scaled.pos, 0, 0.5, 0, 0.0);
    EXPECT_EQ (scaled.stepSize, 0.25);
}

TEST (Nav, SmoothingKeepsShareOfPreviousStep)
{
    al::Nav nav;
    nav.smoothing = 0.5;
    nav.moveVel = al::Vec<3, double> (1.0, 0.0, 0.0);
    nav.step (1.0);
    EXPECT_EQ (nav.pos[0], 0.5);
    nav.step (1.0);
    EXPECT_EQ (nav.pos[0], 1.25);
    // The smoothed step converges on the wanted move.
    for (int i = 0; i < 60; ++i)
        nav.step (1.0);
    EXPECT_NEAR (nav.moveStep[0], 1.0, 1e-15);
}

TEST (Nav, NudgeAndTurnActForOneStepOnly)
{
    al::Nav nav;
    nav.nudge = al::Vec<3, double> (0.0, 1.0, 0.0);
    nav.step (1.0);
    EXPECT_EQ (nav.pos[1], 1.0);
    nav.step (1.0);
    EXPECT_EQ (nav.pos[1], 1.0);
    expectVec (nav.nudge, 0, 0, 0, 0.0);

    al::Nav turner;
    turner.turn = al::Vec<3, double> (0.25, 0.0, 0.0);
    turner.step (1.0);
    const al::Quat<double> afterTurn = turner.quat;
    turner.step (1.0);
    EXPECT_EQ (turner.quat.w, afterTurn.w);
    EXPECT_EQ (turner.quat.y, afterTurn.y);
}

TEST (Nav, PositiveAzimuthTurnsLeft)
{
    al::Nav nav;
    nav.spinVel = al::Vec<3, double> (3.141592653589793 / 2, 0.0, 0.0);
    nav.step (1.0);
    expectVec (nav.rightVec, 0, 0, -1);
    expectVec (nav.upVec, 0, 1, 0);
    expectVec (nav.forwardVec, -1, 0, 0);
    // A quarter turn per step comes back round after four steps.
    for (int i = 0; i < 3; ++i)
        nav.step (1.0);
    expectVec (nav.forwardVec, 0, 0, -1, 1e-14);
}

TEST (Nav, MoveUsesOrientationAfterThisStepsTurn)
{
    al::Nav nav;
    nav.spinVel = al::Vec<3, double> (3.141592653589793 / 2, 0.0, 0.0);
    nav.moveVel = al::Vec<3, double> (0.0, 0.0, 1.0);
    nav.step (1.0);
    expectVec (nav.pos, -1, 0, 0);
}

TEST (Nav, ZeroStepChangesNothing)
{
    al::Nav nav;
    nav.pos = al::Vec<3, double> (1.0, 2.0, 3.0);
    nav.moveVel = al::Vec<3, double> (5.0, 6.0, 7.0);
    nav.spinVel = al::Vec<3, double> (1.0, 1.0, 1.0);
    nav.step (0.0);
    expectVec (nav.pos, 1, 2, 3, 0.0);
    EXPECT_EQ (nav.quat.w, 1.0);
    expectVec (nav.forwardVec, 0, 0, -1, 0.0);
    EXPECT_EQ (nav.stepSize, 0.0);
}

TEST (Nav, LongRunStaysUnitAndAllocatesNothing)
{
    al::Nav nav;
    nav.spinVel = al::Vec<3, double> (0.013, -0.007, 0.021);
    nav.moveVel = al::Vec<3, double> (0.001, 0.002, 0.003);
    nav.smoothing = 0.3;
    {
        toravel::test::AllocationCounter c;
        for (int i = 0; i < 100000; ++i)
            nav.step (1.0);
        EXPECT_EQ (c.count(), 0u);
    }
    EXPECT_NEAR (nav.quat.magSqr(), 1.0, 2e-6);
    EXPECT_NEAR (nav.forwardVec.mag(), 1.0, 2e-6);
    EXPECT_NEAR (nav.rightVec.dot (nav.upVec), 0.0, 4e-6);
}

TEST (Nav, NonFiniteRequestIsDroppedNotKept)
{
    al::Nav nav;
    nav.smoothing = 0.5;
    nav.moveVel = al::Vec<3, double> (std::nan (""), 0.0, 0.0);
    nav.spinVel = al::Vec<3, double> (HUGE_VAL, 0.0, 0.0);
    nav.step (1.0);
    expectVec (nav.pos, 0, 0, 0, 0.0);
    EXPECT_EQ (nav.quat.w, 1.0);

    nav.moveVel = al::Vec<3, double> (1.0, 0.0, 0.0);
    nav.spinVel = al::Vec<3, double>();
    nav.step (1.0);
    nav.step (1.0);
    EXPECT_EQ (nav.pos[0], 1.25);
    expectVec (nav.forwardVec, 0, 0, -1, 0.0);
}
