#include "QuorvelConversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
constexpr float inf = std::numeric_limits<float>::infinity();
const float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr double pi = 3.14159265358979323846;
} // namespace

TEST (ConversionPairs, ScaleEachQuantityToItsUnit)
{
    EXPECT_EQ (paramToGain (0.5f), 1.0f);
    EXPECT_EQ (paramToGain (1.0f), 8.0f);
    EXPECT_EQ (gainToParam (8.0f), 1.0f);
    EXPECT_EQ (paramToTrail (0.1f), 0.1f);
    EXPECT_EQ (trailToParam (0.7f), 0.7f);
    EXPECT_EQ (paramToCarrier (0.5f), 501.0f);
    EXPECT_EQ (paramToCarrier (1.0f), 1001.0f);
    EXPECT_EQ (carrierToParam (1.0f), 0.0f);
    EXPECT_EQ (carrierToParam (1001.0f), 1.0f);
    EXPECT_EQ (paramToCMRatio (0.5f), 0.625f);
    EXPECT_EQ (paramToCMRatio (1.0f), 20.0f);
    EXPECT_EQ (cmRatioToParam (20.0f), 1.0f);
    EXPECT_EQ (paramToSpeed (1.0f), 340.0f);
    EXPECT_EQ (speedToParam (340.0f), 1.0f);
    EXPECT_EQ (paramToEnvTime (0.5f), 2.0f);
    EXPECT_EQ (envTimeToParam (2.0f), 0.5f);
    EXPECT_EQ (oneToOne (0.8f), 0.8f);
}

TEST (ConversionPairs, UnboundedPairsMapOutOfRangeInputsByTheirFormula)
{
    EXPECT_EQ (paramToCarrier (-0.2f), -199.0f);
    EXPECT_EQ (paramToGain (2.0f), 64.0f);
    EXPECT_EQ (speedToParam (680.0f), 2.0f);
}

TEST (ConversionPairs, BoundsHaveAFloorAndTheirInverseIsClamped)
{
    EXPECT_EQ (paramToBounds (0.0f), 0.1f);
    EXPECT_EQ (paramToBounds (0.01f), 0.1f);
    EXPECT_NEAR (paramToBounds (0.4f), 6.4f, 1e-5f);
    EXPECT_EQ (paramToBounds (1.0f), 100.0f);
    EXPECT_EQ (boundsToParam (100.0f), 1.0f);
    EXPECT_EQ (boundsToParam (200.0f), 1.0f);
    EXPECT_EQ (boundsToParam (0.0f), 0.0f);
    EXPECT_EQ (boundsToParam (-5.0f), 0.0f);
    EXPECT_EQ (paramToBounds (notANumber), 0.1f);
}

// The cube roots use the float nearest one third, 0.33333334, which lies above one
// third: the root of 0.001 comes out just below 0.1 rather than at it.
TEST (ConversionPairs, CubeRootsUseTheSinglePrecisionThird)
{
    const float p = boundsToParam (0.1f);
    EXPECT_NEAR (p, 0.1f, 1e-7f);
    EXPECT_LT (p, 0.1f);
    EXPECT_NEAR (gainToParam (1.0f), 0.5f, 1e-7f);
    EXPECT_NEAR (paramToBounds (boundsToParam (6.4f)), 6.4f, 1e-4f);
    EXPECT_NEAR (paramToGain (gainToParam (3.0f)), 3.0f, 1e-5f);
    EXPECT_NEAR (paramToCMRatio (cmRatioToParam (0.3f)), 0.3f, 1e-6f);
}

TEST (ChoiceRoundings, HalvesRoundAwayFromZero)
{
    EXPECT_EQ (motionTypeScalar (0.125f), 1.0f);
    EXPECT_EQ (motionTypeScalar (0.25f), 1.0f);
    EXPECT_EQ (motionTypeScalar (1.0f), 4.0f);
    EXPECT_EQ (booleanScalar (0.49f), 0.0f);
    EXPECT_EQ (booleanScalar (0.5f), 1.0f);
    EXPECT_EQ (booleanScalar (-0.5f), -1.0f);
    EXPECT_EQ (dopplerTypeScalar (1.0f), 3.0f);
    EXPECT_EQ (dopplerTypeScalar (0.5f), 2.0f);
    EXPECT_EQ (gainTypeScalar (0.25f), 1.0f);
    EXPECT_EQ (gainTypeScalar (0.75f), 2.0f);
    EXPECT_EQ (panTypeScalar (0.33f), 1.0f);
    EXPECT_EQ (panTypeScalar (0.5f), 2.0f);
    EXPECT_EQ (trOscTypeScalar (1.0f), 6.0f);
    EXPECT_EQ (trOscTypeScalar (0.75f), 5.0f);
    EXPECT_EQ (ratioTypeScalar (0.5f), 1.0f);
    EXPECT_EQ (filterTypeScalar (1.0f), 2.0f);
}

TEST (DopplerDepth, FollowsEachLaw)
{
    EXPECT_EQ (depth_from_vel_carrier (kDopplerSymmetric, 34.0f, 500.0f), 50.0f);
    EXPECT_EQ (depth_from_vel_carrier (kDopplerPhysical, 170.0f, 100.0f), 100.0f);
    EXPECT_EQ (depth_from_vel_carrier (kDopplerPhysical, 340.0f, 100.0f), inf);
    EXPECT_EQ (depth_from_vel_carrier (kDopplerPhysicalEqualShift, 340.0f, 100.0f), 50.0f);
    EXPECT_EQ (depth_from_vel_carrier (kDopplerOff, 200.0f, 100.0f), 0.0f);
    EXPECT_EQ (depth_from_vel_carrier (kDopplerPhysicalEqualShift, 0.0f, 100.0f), 0.0f);
    EXPECT_EQ (depth_from_vel_carrier ((EDopplerType) 7, 34.0f, 500.0f), 50.0f);
}

TEST (DopplerDepth, SignedSpeedsShiftUpApproachingAndDownReceding)
{
    EXPECT_EQ (depth_from_vel_carrier (kDopplerSymmetric, -34.0f, 500.0f), -50.0f);
    EXPECT_GT (depth_from_vel_carrier (kDopplerPhysical, 100.0f, 440.0f), 0.0f);
    EXPECT_LT (depth_from_vel_carrier (kDopplerPhysical, -100.0f, 440.0f), 0.0f);
    // Moving away faster than sound gives no pole, only a deep downward shift.
    EXPECT_LT (depth_from_vel_carrier (kDopplerPhysical, -680.0f, 300.0f), -150.0f);
    EXPECT_EQ (depth_from_vel_carrier (kDopplerPhysicalEqualShift, -340.0f, 100.0f), inf);
}

TEST (ModulatorFrequency, FollowsSpeedAndSpanPerMotion)
{
    EXPECT_EQ (mod_from_vel_bounds (kMotionSquare, kDopplerSymmetric, 10.0f, 2.0f, 3.0f), 2.0f);
    EXPECT_EQ (mod_from_vel_bounds (kMotionTriangle, kDopplerSymmetric, 10.0f, 2.0f, 3.0f), 1.0f);
    EXPECT_EQ (mod_from_vel_bounds (kMotionSaw, kDopplerPhysical, 10.0f, 2.0f, 3.0f), 1.0f);
    EXPECT_EQ (mod_from_vel_bounds (kMotionSawInv, kDopplerOff, 10.0f, 2.0f, 3.0f), 1.0f);
    const float sine = mod_from_vel_bounds (kMotionSine, kDopplerSymmetric, 10.0f, 2.5f, 2.5f);
    EXPECT_EQ (sine, (float) (20.0 / (5.0 * pi)));
    EXPECT_NEAR (sine, 1.27324f, 1e-5f);
}

TEST (ModulatorFrequency, SlowOrUndefinedSpeedsGiveNoModulation)
{
    EXPECT_EQ (mod_from_vel_bounds (kMotionSquare, kDopplerSymmetric, 0.01f, 2.0f, 3.0f), 0.0f);
    EXPECT_EQ (mod_from_vel_bounds (kMotionSquare, kDopplerSymmetric, 0.0f, 2.0f, 3.0f), 0.0f);
    EXPECT_EQ (mod_from_vel_bounds (kMotionSquare, kDopplerSymmetric, -5.0f, 2.0f, 3.0f), 0.0f);
    EXPECT_EQ (mod_from_vel_bounds (kMotionSquare, kDopplerSymmetric, notANumber, 2.0f, 3.0f), 0.0f);
    EXPECT_GT (mod_from_vel_bounds (kMotionSquare, kDopplerSymmetric, 0.0101f, 2.0f, 3.0f), 0.0f);
}

TEST (ModulatorFrequency, EqualShiftLawNeedsSymmetricBounds)
{
    EXPECT_LT (mod_from_vel_bounds (kMotionSquare, kDopplerPhysicalEqualShift, 10.0f, 2.0f, 3.0f), 0.0f);
    EXPECT_LT (mod_from_vel_bounds (kMotionSine, kDopplerPhysicalEqualShift, 10.0f, 2.0f, 3.0f), 0.0f);
    const float fm = mod_from_vel_bounds (kMotionSquare, kDopplerPhysicalEqualShift, 340.0f, 1.0f, 1.0f);
    EXPECT_NEAR (fm, 113.333f, 1e-3f);
    // The mean of the reduced approach speed and the receding speed lies between them.
    const float slow = mod_from_vel_bounds (kMotionSquare, kDopplerSymmetric, 340.0f, 1.0f, 1.0f);
    EXPECT_LT (fm, slow);
}

TEST (SpeedFromModulator, InvertsTheModulatorFrequency)
{
    EXPECT_EQ (vel_from_mod_bounds (kMotionSquare, kDopplerSymmetric, 2.0f, 2.0f, 3.0f), 10.0f);
    EXPECT_EQ (vel_from_mod_bounds (kMotionTriangle, kDopplerPhysical, 2.0f, 2.0f, 3.0f), 20.0f);
    EXPECT_EQ (vel_from_mod_bounds (kMotionSine, kDopplerPhysicalEqualShift, 2.0f, 2.0f, 3.0f), (float) (5.0 * pi));
    EXPECT_NEAR (vel_from_mod_bounds (kMotionSine, kDopplerOff, 2.0f, 2.0f, 3.0f), 15.708f, 1e-3f);

    for (auto motion : { kMotionSquare, kMotionSine, kMotionTriangle, kMotionSaw, kMotionSawInv })
    {
        const float v = vel_from_mod_bounds (motion, kDopplerSymmetric, 3.5f, 1.5f, 4.0f);
        EXPECT_NEAR (mod_from_vel_bounds (motion, kDopplerSymmetric, v, 1.5f, 4.0f), 3.5f, 1e-5f) << motion;
    }
}

TEST (SymmetricBounds, GiveTheModulatorFrequencyWithAFloor)
{
    EXPECT_EQ (symm_bounds_from_mod_vel (kMotionSquare, 2.0f, 10.0f), 2.5f);
    EXPECT_EQ (symm_bounds_from_mod_vel (kMotionTriangle, 2.0f, 10.0f), 1.25f);
    EXPECT_EQ (symm_bounds_from_mod_vel (kMotionSine, 1.0f, 10.0f), (float) (10.0 / pi));
    EXPECT_EQ (symm_bounds_from_mod_vel (kMotionSquare, 0.0f, 10.0f), 0.1f);
    EXPECT_EQ (symm_bounds_from_mod_vel (kMotionSquare, -3.0f, 10.0f), 0.1f);
    EXPECT_EQ (symm_bounds_from_mod_vel (kMotionSquare, notANumber, 10.0f), 0.1f);
    EXPECT_EQ (symm_bounds_from_mod_vel (kMotionSine, 1.0f, 0.1f), 0.1f);

    for (auto motion : { kMotionSquare, kMotionSine, kMotionSaw })
    {
        const float b = symm_bounds_from_mod_vel (motion, 2.0f, 30.0f);
        EXPECT_NEAR (mod_from_vel_bounds (motion, kDopplerSymmetric, 30.0f, b, b), 2.0f, 1e-5f) << motion;
    }
}

TEST (ApproachSpeed, EqualisesThePhysicalShifts)
{
    EXPECT_NEAR (vel_towards_from_vel_away (340.0f), 113.333f, 1e-3f);
    EXPECT_EQ (vel_towards_from_vel_away (0.0f), 0.0f);

    const float fc = 440.0f;
    const float away = 100.0f;
    const float up = depth_from_vel_carrier (kDopplerPhysical, vel_towards_from_vel_away (away), fc);
    const float down = depth_from_vel_carrier (kDopplerPhysical, -away, fc);
    EXPECT_NEAR (up, -down, 1e-3f);
}

TEST (RatiosAndIndices, DivideOnlyByPositiveValues)
{
    EXPECT_EQ (index_from_depth_mod (50.0f, 0.0f), 0.0f);
    EXPECT_EQ (index_from_depth_mod (50.0f, 2.0f), 25.0f);
    EXPECT_EQ (index_from_depth_mod (50.0f, notANumber), 0.0f);
    EXPECT_EQ (cm_from_carrier_mod (500.0f, 0.0f), 0.0f);
    EXPECT_EQ (cm_from_carrier_mod (500.0f, 4.0f), 125.0f);
    EXPECT_EQ (cm_from_carrier_mod (500.0f, -4.0f), 0.0f);
    EXPECT_EQ (mod_from_cm_carrier (0.0f, 500.0f), 0.0f);
    EXPECT_EQ (mod_from_cm_carrier (notANumber, 500.0f), 0.0f);
    EXPECT_EQ (mod_from_cm_carrier (0.625f, 501.0f), 801.6f);
}
