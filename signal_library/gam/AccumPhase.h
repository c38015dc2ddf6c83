#pragma once

#include "gam/Sync.h"
#include "gam/scl.h"

namespace gam
{

// Radian phase accumulator in single precision; the frequency in Hz is inc / radPerHz.
template <class Tv = float, class Ts = Synced>
class AccumPhase : public Ts
{
public:
    explicit AccumPhase (Tv frequency = Tv (0), Tv phaseCycles = Tv (0), Sync& followed = Sync::master())
        : Ts (followed)
    {
        radPerHz = Tv (6.283185307179586 * this->ups);
        inc = frequency * radPerHz;
        phase = phaseCycles * Tv (6.2831855f);
        this->initSynced();
    }

    void onResync (double) override
    {
        const Tv frequency = inc / radPerHz;
        radPerHz = Tv (6.283185307179586 * this->ups);
        inc = frequency * radPerHz;
    }

    // Wraps the stored phase, advances it by one increment and returns the wrapped phase.
    Tv nextPhase()
    {
        const Tv p = scl::wrapPhase (phase);
        phase = p + inc;
        return p;
    }

    Tv inc = Tv (0);
    Tv phase = Tv (0);
    Tv radPerHz = Tv (0);
};

} // namespace gam
