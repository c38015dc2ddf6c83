#include "al/Light.h"

namespace al
{

std::atomic<unsigned char> lightPool[8] = {};

namespace
{
int takeLightNumber()
{
    for (int i = 0; i < 8; ++i)
    {
        unsigned char expected = 0;
        if (lightPool[i].compare_exchange_strong (expected, 1))
            return i;
    }
    return 7;
}
} // namespace

Light::Light (float x, float y, float z) : lightNumber (takeLightNumber()), position (x, y, z, 1.0f)
{
}

Light::~Light()
{
    lightPool[lightNumber] = 0;
}

} // namespace al
