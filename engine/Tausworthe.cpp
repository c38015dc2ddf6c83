#include "Tausworthe.h"

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
    z[0].store (invertIfStuck (z1, 0x0FFFFFFEu), std::memory_order_relaxed);
    z[1].store (invertIfStuck (z2, 0x0FFFFFF8u), std::memory_order_relaxed);
    z[2].store (invertIfStuck (z3, 0x0FFFFFF0u), std::memory_order_relaxed);
    z[3].store (invertIfStuck (z4, 0x0FFFFF80u), std::memory_order_relaxed);
}

uint32_t Tausworthe::operator()()
{
    uint32_t z1 = z[0].load (std::memory_order_relaxed);
    uint32_t z2 = z[1].load (std::memory_order_relaxed);
    uint32_t z3 = z[2].load (std::memory_order_relaxed);
    uint32_t z4 = z[3].load (std::memory_order_relaxed);
    z1 = ((z1 & 0xFFFFFFFEu) << 18) ^ (((z1 << 6) ^ z1) >> 13);
    z2 = ((z2 & 0xFFFFFFF8u) << 2) ^ (((z2 << 2) ^ z2) >> 27);
    z3 = ((z3 & 0xFFFFFFF0u) << 7) ^ (((z3 << 13) ^ z3) >> 21);
    z4 = ((z4 & 0xFFFFFF80u) << 13) ^ (((z4 << 3) ^ z4) >> 12);
    z[0].store (z1, std::memory_order_relaxed);
    z[1].store (z2, std::memory_order_relaxed);
    z[2].store (z3, std::memory_order_relaxed);
    z[3].store (z4, std::memory_order_relaxed);
    return z1 ^ z2 ^ z3 ^ z4;
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

Tausworthe& global()
{
    static Tausworthe generator (seed());
    return generator;
}

} // namespace al::rnd
