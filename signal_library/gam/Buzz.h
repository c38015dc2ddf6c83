#pragma once

#include "gam/AccumPhase.h"

#include <cmath>

namespace gam
{

// Band-limited impulse train: the sum of cos(k theta) for k = 1..N (operator()) or of
// the odd harmonics below the smallest even number at or above N (odd()), each in
// closed form with short series in place of library sines.
template <class Tv = float, class Ts = Synced>
class Buzz : public AccumPhase<Tv, Ts>
{
public:
    Buzz (Tv frequency = Tv (440), Tv phaseCycles = Tv (0), Tv harmonics = Tv (8), Sync& followed = Sync::master())
        : AccumPhase<Tv, Ts> (frequency, phaseCycles, followed)
    {
        Buzz::onResync (1.0);
        setCount (harmonics);
    }

    void onResync (double ratio) override
    {
        AccumPhase<Tv, Ts>::onResync (ratio);
        nyquist = Tv (this->spu * 0.5);
    }

    // As many harmonics as fit at or below the Nyquist frequency.
    void harmonicsMax() { setCount (nyquist / (this->inc / this->radPerHz)); }

    // Sum of the first N harmonics divided by N: peak 1 at theta = 0.
    Tv operator()()
    {
        const Tv theta = this->nextPhase();
        const Tv h = theta * Tv (0.5);
        const Tv s = sinFolded (h, scl::sinT9<Tv>, scl::cosT10<Tv>);
        if (std::abs (s) < Tv (0.000001))
            return Tv (2) * numHarmonics * ampNorm;

        const Tv phi = scl::wrapPhase (theta * (numHarmonics + Tv (0.5)));
        const Tv n = sinFolded (phi, scl::sinT7<Tv>, scl::cosT8<Tv>);
        return (n - s) / s * ampNorm;
    }

    // Odd harmonics 1, 3, ..., g - 1, scaled by 1 / (N + harmonicsFrac + 1) at twice
    // their sum, so that the level follows the fractional count smoothly.
    Tv odd()
    {
        constexpr double piD = 3.141592653589793;
        constexpr Tv halfPi = Tv (1.5707963267948966);

        const Tv theta = this->nextPhase();

        double half = (double) numHarmonics / 2.0;
        half += half < 0.0 ? -0.499999985 : 0.499999985;
        const Tv g = Tv (2.0 * std::nearbyint (half));
        const Tv c = (numHarmonics + harmonicsFrac) - (g - Tv (1));

        double x = (double) theta - piD * 0.5;
        if (x < -piD)
            x += 2.0 * piD;
        else if (x >= piD)
            x -= 2.0 * piD;
        double sd;
        if (-piD * 0.25 < x && x < piD * 0.25)
            sd = scl::cosT8 (x);
        else if (x > 0.0)
            sd = -scl::sinT7 (x - piD * 0.5);
        else
            sd = scl::sinT7 (x + piD * 0.5);
        const Tv s = Tv (sd);

        if (std::abs (s) < Tv (0.000001))
            return (-halfPi < theta && theta < halfPi) ? g / (g + c) : -g / (g + c);

        const Tv n = sinFolded (scl::wrapPhase (g * theta), scl::sinT7<Tv>, scl::cosT8<Tv>);
        return n / ((g + c) * s);
    }

    Tv ampNorm = Tv (0);
    Tv numHarmonics = Tv (0);
    Tv harmonicsWanted = Tv (0);
    Tv harmonicsFrac = Tv (0);
    Tv nyquist = Tv (0);
    Tv integrator = Tv (0);

protected:
    // The normaliser takes the fraction of the previous count, so that a count computed
    // twice at one frequency settles on 0.5 / (N + fraction).
    void setCount (Tv harmonics)
    {
        // A frequency of 0 (or a rate not yet usable) leaves no finite count; silence is
        // the only sound answer, where the formulas would give NaN for good.
        if (!std::isfinite (harmonics))
            harmonics = Tv (0);
        const Tv n = std::nearbyint (harmonics - Tv (0.49999991));
        numHarmonics = n;
        harmonicsWanted = n;
        ampNorm = n != Tv (0) ? Tv (0.5) / (harmonicsFrac + n) : Tv (0);
        harmonicsFrac = harmonics - n;
    }

    // sin(x) for x in [-pi, pi) from a sine series near 0 and a cosine series elsewhere.
    template <class SinSeries, class CosSeries>
    static Tv sinFolded (Tv x, SinSeries sinSeries, CosSeries cosSeries)
    {
        constexpr Tv quarterPi = Tv (0.7853981633974483);
        constexpr Tv halfPi = Tv (1.5707963267948966);
        if (-quarterPi < x && x < quarterPi)
            return sinSeries (x);
        if (x > Tv (0))
            return cosSeries (x - halfPi);
        return -cosSeries (x + halfPi);
    }
};

// A buzz whose harmonic count follows the Nyquist limit, from construction on and at
// every rate change.
template <class Tv = float, class Ts = Synced>
class Impulse : public Buzz<Tv, Ts>
{
public:
    explicit Impulse (Tv frequency = Tv (440), Tv phaseCycles = Tv (0), Sync& followed = Sync::master())
        : Buzz<Tv, Ts> (frequency, phaseCycles, Tv (8), followed)
    {
        Impulse::onResync (1.0);
    }

    void onResync (double ratio) override
    {
        Buzz<Tv, Ts>::onResync (ratio);
        this->harmonicsMax();
    }
};

// The owner integrates operator() into a saw.
template <class Tv = float, class Ts = Synced>
class Saw : public Impulse<Tv, Ts>
{
public:
    explicit Saw (Tv frequency = Tv (440), Tv phaseCycles = Tv (0), Sync& followed = Sync::master())
        : Impulse<Tv, Ts> (frequency, phaseCycles, followed)
    {
    }
};

// The owner integrates odd() into a square.
template <class Tv = float, class Ts = Synced>
class Square : public Impulse<Tv, Ts>
{
public:
    explicit Square (Tv frequency = Tv (440), Tv phaseCycles = Tv (0), Sync& followed = Sync::master())
        : Impulse<Tv, Ts> (frequency, phaseCycles, followed)
    {
    }
};

} // namespace gam
