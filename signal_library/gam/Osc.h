#pragma once

#include "gam/Accum.h"
#include "gam/Array.h"

#include <cmath>
#include <cstring>

namespace gam
{

namespace ipl
{
// Linear interpolation between the two table entries around a 32-bit phase. The
// fraction is the phase's bits below the index moved into a float mantissa.
struct Linear
{
    template <class Tv, class A>
    static Tv read (const ArrayPow2<Tv, A>& table, uint32_t phase)
    {
        const uint32_t shift = table.shift();
        const uint32_t i0 = phase >> shift;
        const uint32_t i1 = (uint32_t) (phase + (1u << shift)) >> shift;

        const uint32_t bits = ((uint32_t) (phase << table.log2()) >> 9) | 0x3F800000u;
        float frac;
        std::memcpy (&frac, &bits, sizeof (frac));
        frac -= 1.0f;

        const Tv v0 = table[i0];
        return (table[i1] - v0) * frac + v0;
    }
};
} // namespace ipl

// Wavetable oscillator: a power-of-two table read with a 32-bit fixed-point phase.
template <class Tv = float, class Ti = ipl::Linear, class Sp = phsInc::Loop, class Ts = Synced>
class Osc : public Accum<Sp, Ts>, public ArrayPow2<Tv>
{
public:
    Osc (float frequency = 440.0f, float phaseCycles = 0.0f, uint32_t tableSize = 512,
         Sync& followed = Sync::master())
        : Accum<Sp, Ts> (frequency, phaseCycles, followed), ArrayPow2<Tv> (tableSize, Tv (0))
    {
    }

    ~Osc() override { this->clear(); }

    // Adds amplitude x sin(2 pi (cycles i / size + phase)) to every entry; phase in cycles.
    Osc& addSine (double cycles, double amplitude = 1.0, double phaseCycles = 0.0)
    {
        const uint32_t n = this->size();
        if (n == 0)
            return *this;
        const double step = cycles / (double) n;
        for (uint32_t i = 0; i < n; ++i)
        {
            const double s = std::sin (((double) i * step + phaseCycles) * 6.283185307179586);
            (*this)[i] = Tv ((double) (*this)[i] + s * amplitude);
        }
        return *this;
    }

    // The phase advances before the read, so the first sample is at the initial phase.
    // An empty table has nothing to read; it gives 0 rather than an undefined shift.
    Tv operator()()
    {
        const uint32_t p = this->nextPhase();
        if (this->elems == nullptr)
            return Tv (0);
        return Ti::read (static_cast<const ArrayPow2<Tv>&> (*this), p);
    }
};

} // namespace gam
