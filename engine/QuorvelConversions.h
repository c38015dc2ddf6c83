#pragma once

// Conversions between a parameter's normalised host value and its engine unit, the
// roundings of the choice parameters, and the relations that treat the moving
// source as a frequency modulator of the carrier. Everything here is pure and
// single precision unless a function says otherwise.

// Indices of "doppler_type"; the fixed underlying type lets any parameter index be
// passed through unchanged.
enum EDopplerType : int
{
    kDopplerSymmetric = 0,
    kDopplerPhysical = 1,
    kDopplerPhysicalEqualShift = 2,
    kDopplerOff = 3
};

// Indices of "motion_type".
enum EMotionType : int
{
    kMotionSquare = 0,
    kMotionSine = 1,
    kMotionTriangle = 2,
    kMotionSaw = 3,
    kMotionSawInv = 4
};

float oneToOne (float p);
float paramToGain (float p);
float gainToParam (float x);
float paramToTrail (float p);
float trailToParam (float x);
float paramToCarrier (float p);
float carrierToParam (float x);
float paramToCMRatio (float p);
float cmRatioToParam (float x);
float paramToSpeed (float p);
float speedToParam (float x);
float paramToBounds (float p);
float boundsToParam (float x);
float paramToEnvTime (float p);
float envTimeToParam (float x);

float booleanScalar (float p);
float motionTypeScalar (float p);
float dopplerTypeScalar (float p);
float gainTypeScalar (float p);
float panTypeScalar (float p);
float trOscTypeScalar (float p);
float ratioTypeScalar (float p);
float filterTypeScalar (float p);

float depth_from_vel_carrier (EDopplerType type, float v, float fc);
float mod_from_vel_bounds (EMotionType motion, EDopplerType type, float v, float lo, float hi);
float vel_from_mod_bounds (EMotionType motion, EDopplerType type, float fm, float lo, float hi);
float symm_bounds_from_mod_vel (EMotionType motion, float fm, float v);
float vel_towards_from_vel_away (float v);
float index_from_depth_mod (float depth, float fm);
float cm_from_carrier_mod (float fc, float fm);
float mod_from_cm_carrier (float r, float fc);
