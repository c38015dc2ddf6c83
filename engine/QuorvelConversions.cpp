#include "QuorvelConversions.h"

#include <cmath>
#include <limits>

namespace
{
constexpr float speedOfSound = 340.0f;
constexpr float oneThird = 0.33333334f;
constexpr double pi = 3.14159265358979323846;

float clampUnit (float x)
{
    if (x > 1.0f)
        return 1.0f;
    return x > 0.0f ? x : 0.0f;
}
} // namespace

float oneToOne (float p)
{
    return p;
}

float paramToGain (float p)
{
    return 8.0f * powf (p, 3.0f);
}
float gainToParam (float x)
{
    return powf (x * 0.125f, oneThird);
}

float paramToTrail (float p)
{
    return p;
}
float trailToParam (float x)
{
    return x;
}

float paramToCarrier (float p)
{
    return 1000.0f * p + 1.0f;
}
float carrierToParam (float x)
{
    return (x - 1.0f) / 1000.0f;
}

float paramToCMRatio (float p)
{
    return 20.0f * powf (p, 5.0f);
}
float cmRatioToParam (float x)
{
    return powf (x / 20.0f, 0.2f);
}

float paramToSpeed (float p)
{
    return speedOfSound * p;
}
float speedToParam (float x)
{
    return x / speedOfSound;
}

float paramToBounds (float p)
{
    const float bound = 100.0f * powf (p, 3.0f);
    // Written so that a NaN falls to the floor too: the source never collapses to a point.
    return bound > 0.1f ? bound : 0.1f;
}

float boundsToParam (float x)
{
    return clampUnit (powf (x / 100.0f, oneThird));
}

float paramToEnvTime (float p)
{
    return 4.0f * p;
}
float envTimeToParam (float x)
{
    return x * 0.25f;
}

float booleanScalar (float p)
{
    return roundf (p);
}
float motionTypeScalar (float p)
{
    return roundf (4.0f * p);
}
float dopplerTypeScalar (float p)
{
    return roundf (3.0f * p);
}
float gainTypeScalar (float p)
{
    return roundf (p + p);
}
float panTypeScalar (float p)
{
    return roundf (3.0f * p);
}
float trOscTypeScalar (float p)
{
    return roundf (6.0f * p);
}
float ratioTypeScalar (float p)
{
    return roundf (p + p);
}
float filterTypeScalar (float p)
{
    return roundf (p + p);
}

float depth_from_vel_carrier (EDopplerType type, float v, float fc)
{
    constexpr float infinity = std::numeric_limits<float>::infinity();

    switch (type)
    {
        case kDopplerOff:
            return 0.0f;
        case kDopplerPhysicalEqualShift:
        {
            const float denominator = v + speedOfSound;
            if (denominator == 0.0f)
                return infinity;
            return fc - (speedOfSound / denominator) * fc;
        }
        case kDopplerPhysical:
            if (v == speedOfSound)
                return infinity;
            return (speedOfSound / (speedOfSound - v)) * fc - fc;
        case kDopplerSymmetric:
        default:
            return (v * fc) / speedOfSound;
    }
}

float mod_from_vel_bounds (EMotionType motion, EDopplerType type, float v, float lo, float hi)
{
    if (!((double) v > 0.01))
        return 0.0f;

    float w = v;
    if (type == kDopplerPhysicalEqualShift)
    {
        // Only a symmetric motion has one approach and one receding speed to average;
        // a negative result tells every caller there is no usable modulation.
        if (lo == hi)
            w = (v * speedOfSound / (2.0f * v + speedOfSound) + v) * 0.5f;
        else
            w = -1.0f;
    }

    const float span = lo + hi;
    switch (motion)
    {
        case kMotionSine:
        {
            const float twoW = w + w;
            return (float) ((double) twoW / ((double) span * pi));
        }
        case kMotionSquare:
            return w / span;
        default:
            return w / (2.0f * span);
    }
}

float vel_from_mod_bounds (EMotionType motion, EDopplerType, float fm, float lo, float hi)
{
    const float span = lo + hi;
    switch (motion)
    {
        case kMotionSquare:
            return span * fm;
        case kMotionSine:
            return (float) ((double) (span * fm) * pi * 0.5);
        default:
            return (span + span) * fm;
    }
}

float symm_bounds_from_mod_vel (EMotionType motion, float fm, float v)
{
    float b = 0.0f;
    if (fm > 0.0f)
    {
        switch (motion)
        {
            case kMotionSine:
                b = (float) ((double) v / ((double) fm * pi));
                break;
            case kMotionSquare:
                b = v / (fm + fm);
                break;
            default:
                b = v / (fm * 4.0f);
                break;
        }
    }
    return b > 0.1f ? b : 0.1f;
}

float vel_towards_from_vel_away (float v)
{
    return v * speedOfSound / (2.0f * v + speedOfSound);
}

float index_from_depth_mod (float depth, float fm)
{
    return fm > 0.0f ? depth / fm : 0.0f;
}

float cm_from_carrier_mod (float fc, float fm)
{
    return fm > 0.0f ? fc / fm : 0.0f;
}

float mod_from_cm_carrier (float r, float fc)
{
    return r > 0.0f ? fc / r : 0.0f;
}
