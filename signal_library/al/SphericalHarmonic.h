#pragma once

#include <cmath>
#include <cstdlib>

namespace al
{

// Normalisation coefficients of the spherical harmonics up to degree L, indexed by
// degree l and order m + L. Filled once by createLUT().
template <int L = 16>
struct SphericalHarmonic
{
    static double coefCalc (int l, int m)
    {
        const int a = std::abs (m);
        double c = std::sqrt ((2.0 * l + 1.0) / 12.566370614359172) * sqrtFactorial (l - a) / sqrtFactorial (l + a);
        if (m < 0 && (a & 1) != 0)
            c = -c;
        return c;
    }

    static void createLUT()
    {
        if (!make)
            return;
        make = false;
        for (int l = 0; l <= L; ++l)
            for (int m = -L; m <= L; ++m)
                table[l][m + L] = std::abs (m) <= l ? coefCalc (l, m) : 0.0;
    }

    static inline double table[L + 1][2 * L + 1] = {};
    static inline bool make = true;

private:
    // sqrt(n!) as a product of square roots, which stays in range where n! would not.
    static double sqrtFactorial (int n)
    {
        double r = 1.0;
        for (int k = 2; k <= n; ++k)
            r *= std::sqrt ((double) k);
        return r;
    }
};

} // namespace al
