#pragma once

#include <cmath>
#include <cstdint>

namespace gam
{
namespace scl
{

// Base-2 logarithm of a power of two by the De Bruijn sequence 0x077CB531; 0 gives 0.
inline uint32_t deBruijn (uint32_t v)
{
    static const uint32_t positions[32] = { 0,  1,  28, 2,  29, 14, 24, 3, 30, 22, 20, 15, 25, 17, 4,  8,
                                            31, 27, 13, 23, 21, 19, 16, 7, 26, 12, 18, 6,  11, 5,  10, 9 };
    return positions[(uint32_t) (v * 0x077CB531u) >> 27];
}

// Smallest power of two at or above v (v >= 2); 0 when it does not fit in 32 bits.
inline uint32_t ceilPow2 (uint32_t v)
{
    --v;
    v |= v >> 1;
    v |= v >> 2;
    v |= v >> 4;
    v |= v >> 8;
    v |= v >> 16;
    return v + 1;
}

// An integral value taken modulo 2^32. A value that is not finite has no such residue
// and gives 0, where a plain conversion would be undefined.
inline uint32_t wrapUInt32 (double integral)
{
    constexpr double cycle = 4294967296.0;
    if (!std::isfinite (integral))
        return 0;
    double r = std::fmod (integral, cycle);
    if (r < 0.0)
        r += cycle;
    return (uint32_t) (uint64_t) r;
}

// Brings a radian phase into [-pi, pi): one add or subtract covers the usual case of a
// phase that moved by less than a cycle; a phase that drifted further is folded in one
// step, in double so that the whole cycles come off exactly.
inline float wrapPhase (float phase)
{
    constexpr float pi = 3.1415927f;
    constexpr float twoPi = 6.2831855f;
    constexpr double piD = 3.141592653589793;
    constexpr double twoPiD = 6.283185307179586;

    if (phase >= pi)
    {
        phase -= twoPi;
        if (phase >= pi)
        {
            const double k = std::trunc (((double) phase + piD) / twoPiD);
            phase = (float) ((double) phase - twoPiD * k);
        }
    }
    else if (phase < -pi)
    {
        phase += twoPi;
        if (phase < -pi)
        {
            const double k = std::trunc (((double) phase + piD) / twoPiD) - 1.0;
            phase = (float) ((double) phase - twoPiD * k);
        }
    }
    return phase;
}

// Short Taylor series used in place of library sines on the audio path; each is
// accurate on [-pi/4, pi/4] and the callers fold their argument into that range.
template <class T>
inline T sinT7 (T x)
{
    const T x2 = x * x;
    return x * (T (1) + x2 * (T (-1.0 / 6.0) + x2 * (T (1.0 / 120.0) + x2 * T (-1.0 / 5040.0))));
}

template <class T>
inline T sinT9 (T x)
{
    const T x2 = x * x;
    return x * (T (1) +
                x2 * (T (-1.0 / 6.0) + x2 * (T (1.0 / 120.0) + x2 * (T (-1.0 / 5040.0) + x2 * T (1.0 / 362880.0)))));
}

template <class T>
inline T cosT8 (T x)
{
    const T x2 = x * x;
    return T (1) + x2 * (T (-0.5) + x2 * (T (1.0 / 24.0) + x2 * (T (-1.0 / 720.0) + x2 * T (1.0 / 40320.0))));
}

template <class T>
inline T cosT10 (T x)
{
    const T x2 = x * x;
    return T (1) + x2 * (T (-0.5) + x2 * (T (1.0 / 24.0) + x2 * (T (-1.0 / 720.0) + x2 * (T (1.0 / 40320.0) +
                                                                                          x2 * T (-1.0 / 3628800.0)))));
}

} // namespace scl
} // namespace gam
