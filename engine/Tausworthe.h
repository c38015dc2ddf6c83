#pragma once

#include <atomic>
#include <cstdint>

namespace al::rnd
{

// L'Ecuyer's four-component Tausworthe generator (LFSR113). The words are relaxed
// atomics because one generator serves the whole process and two plug-in instances
// may draw noise on two audio threads at once: their draws then interleave (or, in
// a rare collision, repeat a value) but never corrupt the state.
class Tausworthe
{
public:
    Tausworthe() = default;
    explicit Tausworthe (uint32_t seedValue) { seed (seedValue); }
    Tausworthe (const Tausworthe& other) { *this = other; }
    Tausworthe& operator= (const Tausworthe& other)
    {
        for (int i = 0; i < 4; ++i)
            z[i].store (other.word (i), std::memory_order_relaxed);
        return *this;
    }

    // Three linear-congruential steps from the seed give z1, one more each z2..z4;
    // a word whose significant bits are all zero would stick, so it is inverted.
    void seed (uint32_t s);

    uint32_t operator()();

    // Uniform in [0, 1) with 23 random bits.
    float uniform();

    uint32_t word (int i) const { return z[i].load (std::memory_order_relaxed); }

private:
    std::atomic<uint32_t> z[4] = { 0u, 0u, 0u, 0u };
};

// The calendar time in seconds of the first call, taken once per process.
uint32_t seed();

// The process-wide generator, seeded from seed() at its first use.
Tausworthe& global();

} // namespace al::rnd
