#pragma once

#include <cstdint>

namespace al::rnd
{

// L'Ecuyer's four-component Tausworthe generator (LFSR113). Each agent draws from a
// generator of its own, on its own audio thread, so the words are plain values.
class Tausworthe
{
public:
    Tausworthe() = default;
    explicit Tausworthe (uint32_t seedValue) { seed (seedValue); }

    // Three linear-congruential steps from the seed give z1, one more each z2..z4;
    // a word whose significant bits are all zero would stick, so it is inverted.
    void seed (uint32_t s);

    uint32_t operator()();

    // Uniform in [0, 1) with 23 random bits.
    float uniform();

    uint32_t word (int i) const { return z[i]; }

private:
    uint32_t z[4] = { 0u, 0u, 0u, 0u };
};

// The calendar time in seconds of the first call, taken once per process.
uint32_t seed();

// The seed of one more generator of this process. The first is seed() itself, so a
// process that plays one instance draws the sequence it always has; each later one
// starts from another seed, so that two instances never play the same noise.
uint32_t nextSeed();

} // namespace al::rnd
