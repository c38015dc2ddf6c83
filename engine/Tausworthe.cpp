#include "Tausworthe.h"

#include <atomic>
#include <cstring>
#include <ctime>

namespace al::rnd
{

namespace
{
uint32_t congruential (uint32_t x)
{
    return 1664525u * x + 1013904223u;
}

uint32_t invertIfStuck (uint32_t value, uint32_t mask)
{
    return (value & mask) == 0u ? ~value : value;
}
} // namespace

void Tausworthe::seed (uint32_t s)
{
    const uint32_t z1 = congruential (congruential (congruential (s)));
    const uint32_t z2 = congruential (z1);
    const uint32_t z3 = congruential (z2);
    const uint32_t z4 = congruential (z3);
    z[0] = invertIfStuck (z1, 0x0FFFFFFEu);
    z[1] = invertIfStuck (z2, 0x0FFFFFF8u);
    z[2] = invertIfStuck (z3, 0x0FFFFFF0u);
    z[3] = invertIfStuck (z4, 0x0FFFFF80u);
}

uint32_t Tausworthe::operator()()
{
    z[0] = ((z[0] & 0xFFFFFFFEu) << 18) ^ (((z[0] << 6) ^ z[0]) >> 13);
    z[1] = ((z[1] & 0xFFFFFFF8u) << 2) ^ (((z[1] << 2) ^ z[1]) >> 27);
    z[2] = ((z[2] & 0xFFFFFFF0u) << 7) ^ (((z[2] << 13) ^ z[2]) >> 21);
    z[3] = ((z[3] & 0xFFFFFF80u) << 13) ^ (((z[3] << 3) ^ z[3]) >> 12);
    return z[0] ^ z[1] ^ z[2] ^ z[3];
}

float Tausworthe::uniform()
{
    const uint32_t bits = ((*this)() >> 9) | 0x3F800000u;
    float f;
    std::memcpy (&f, &bits, sizeof f);
    return f - 1.0f;
}

uint32_t seed()
{
    static const uint32_t s = (uint32_t) std::time (nullptr);
    return s;
}

uint32_t nextSeed()
{
    // Steps of the golden ratio times 2^32 keep the seeds of any number of generators
    // apart; a lock-free count, as the first draw comes on an audio thread.
    static std::atomic<uint32_t> started{ 0 };
    return seed() + started.fetch_add (1, std::memory_order_relaxed) * 0x9E3779B9u;
}

} // namespace al::rnd
