#pragma once

#include "gam/AccumPhase.h"

namespace gam
{

// Sine by an odd polynomial in phase / pi; its coefficients sum to 0, so the output is
// exactly 0 at both ends of the cycle.
template <class Tv = float, class Ts = Synced>
class Sine : public AccumPhase<Tv, Ts>
{
public:
    explicit Sine (Tv frequency = Tv (0), Tv phaseCycles = Tv (0), Sync& followed = Sync::master())
        : AccumPhase<Tv, Ts> (frequency, phaseCycles, followed)
    {
    }

    // The offset in Hz applies to this one step only.
    Tv operator() (Tv frequencyOffset = Tv (0))
    {
        const Tv p = scl::wrapPhase (this->phase);
        this->phase = (frequencyOffset * this->radPerHz + this->inc) + p;

        const double d = (double) p * 0.3183098861837907;
        const double e = d * d;
        return Tv (d * (3.1415191 + e * (-5.1662729 + e * (2.5422065 + e * (-0.5811243 + e * 0.0636716)))));
    }
};

} // namespace gam
