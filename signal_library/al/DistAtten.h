#pragma once

namespace al
{

enum AttenuationLaw
{
    ATTEN_NONE = 0,
    ATTEN_LINEAR = 1,
    ATTEN_INVERSE = 2,
    ATTEN_INVERSE_SQUARE = 3
};

// Distance attenuation: gain 1 up to nearDistance; beyond it the inverse law
// reaches 1/4 and the inverse-square law 1/16 at farDistance (and keep falling),
// the linear law falls to farBias at farDistance and stays there.
// The owner calls setScale() after changing any field but scale.
template <class T>
struct DistAtten
{
    T nearDistance;
    T farDistance;
    T farBias;
    T scale;
    int law;

    DistAtten (T nearDist = T (0.1), T farDist = T (20), int attenLaw = ATTEN_INVERSE, T bias = T (0))
        : nearDistance (nearDist), farDistance (farDist), farBias (bias), scale (T (1)), law (attenLaw)
    {
        setScale();
    }

    void setScale()
    {
        const T n = nearDistance, f = farDistance;
        switch (law)
        {
            case ATTEN_INVERSE_SQUARE:
                scale = (T (16) * n * n - n * n) / (f * f - n * n);
                break;
            case ATTEN_INVERSE:
                scale = (T (4) * n - n) / (f - n);
                break;
            case ATTEN_LINEAR:
                scale = (T (1) - farBias) / (f - n);
                break;
            default:
                scale = T (1);
                break;
        }
    }

    T attenuation (T distance) const
    {
        const T n = nearDistance, d = distance;
        if (d <= n)
            return T (1);
        switch (law)
        {
            case ATTEN_INVERSE_SQUARE:
                // With a near distance of 0 the general form is 0/0; its limit is the
                // same curve that still reaches 1/16 at farDistance.
                if (n == T (0))
                    return farDistance * farDistance / (T (15) * d * d + farDistance * farDistance);
                return n * n / ((d * d - n * n) * scale + n * n);
            case ATTEN_INVERSE:
                if (n == T (0))
                    return farDistance / (T (3) * d + farDistance);
                return n / ((d - n) * scale + n);
            case ATTEN_LINEAR:
                if (d < farDistance)
                    return T (1) - (d - n) * scale;
                return farBias;
            default:
                return T (1);
        }
    }
};

} // namespace al
