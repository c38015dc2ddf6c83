#pragma once

#include "gam/Sync.h"
#include "gam/scl.h"

#include <cstdint>

namespace gam
{

namespace phsInc
{
// The phase wraps at 2^32: unsigned overflow is the wrap.
struct Loop
{
    uint32_t operator() (uint32_t& phase, uint32_t inc) const { return phase += inc; }
};
} // namespace phsInc

// 32-bit fixed-point phase accumulator; one cycle is 2^32.
template <class Sp = phsInc::Loop, class Ts = Synced>
class Accum : public Ts
{
public:
    // The phase is in cycles. It is stored one increment early so that the first
    // advance lands on it.
    explicit Accum (float frequency = 0.0f, float phaseCycles = 0.0f, Sync& followed = Sync::master())
        : Ts (followed)
    {
        freq = frequency;
        inc = incFor (freq);
        phase = scl::wrapUInt32 (std::nearbyint ((double) phaseCycles * 4294967296.0)) - inc;
        this->initSynced();
    }

    // Keeps the next phase to be read across the rate change.
    void onResync (double) override
    {
        const uint32_t oldInc = inc;
        inc = incFor (freq);
        phase += oldInc - inc;
    }

    // freq x ups is rounded to single precision before the scaling to 2^32.
    uint32_t incFor (float frequency) const
    {
        const float cyclesPerSample = (float) ((double) frequency * this->ups);
        return scl::wrapUInt32 (std::nearbyint ((double) cyclesPerSample * 4294967296.0));
    }

    uint32_t nextPhase() { return Sp() (phase, inc); }

    float freq = 0.0f;
    uint32_t phase = 0;
    uint32_t inc = 0;
};

} // namespace gam
