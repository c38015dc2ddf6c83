#pragma once

#include <cmath>

namespace al
{

// Orientation as a quaternion (w, x, y, z); the identity is (1, 0, 0, 0).
// Right-handed frame: x right, y up, forward along negative z.
template <class T>
struct Quat
{
    T w, x, y, z;

    Quat() : w (T (1)), x (T (0)), y (T (0)), z (T (0)) {}
    Quat (T w_, T x_, T y_, T z_) : w (w_), x (x_), y (y_), z (z_) {}

    static Quat identity() { return Quat(); }

    Quat& setIdentity()
    {
        w = T (1);
        x = y = z = T (0);
        return *this;
    }

    // Equals Ry(azimuth) * Rx(elevation) * Rz(bank): bank first, azimuth last.
    Quat& fromEuler (const T& azimuth, const T& elevation, const T& bank)
    {
        T c1, s1, c2, s2, c3, s3;
        halfAngle (azimuth, c1, s1);
        halfAngle (elevation, c2, s2);
        halfAngle (bank, c3, s3);
        w = c1 * c2 * c3 + s1 * s2 * s3;
        x = c1 * s2 * c3 + s1 * c2 * s3;
        y = s1 * c2 * c3 - c1 * s2 * s3;
        z = c1 * c2 * s3 - s1 * s2 * c3;
        return *this;
    }

    // Cosine and sine of half the angle. A pose that does not turn converts zero
    // angles at every step; for those the library's exact answers, cos(+-0) = 1 and
    // sin(+-0) = +-0, are given without calling it.
    static void halfAngle (const T& angle, T& c, T& s)
    {
        const T h = angle / T (2);
        if (h == T (0))
        {
            c = T (1);
            s = h;
            return;
        }
        c = std::cos (h);
        s = std::sin (h);
    }

    static Quat makeFromEuler (const T& azimuth, const T& elevation, const T& bank)
    {
        Quat q;
        q.fromEuler (azimuth, elevation, bank);
        return q;
    }

    Quat operator* (const Quat& q) const
    {
        const T a = w, b = x, c = y, d = z;
        const T e = q.w, f = q.x, g = q.y, h = q.z;
        return Quat (a * e - b * f - c * g - d * h, a * f + b * e + c * h - d * g, a * g - b * h + c * e + d * f,
                     a * h + b * g - c * f + d * e);
    }

    Quat& operator*= (const Quat& q) { return *this = *this * q; }

    T magSqr() const { return w * w + x * x + y * y + z * z; }

    // A nearly-zero quaternion carries no usable orientation, so it falls back to
    // the identity; one already within the unit band keeps its exact components.
    Quat& normalize()
    {
        const T m = magSqr();
        if (m * m < T (1e-7))
            return setIdentity();
        if (m >= T (0.999999) && m <= T (1.000001))
            return *this;
        if (!std::isfinite (m))
            return setIdentity();
        const T s = T (1) / std::sqrt (m);
        w *= s;
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    void toVectorX (T& ox, T& oy, T& oz) const
    {
        ox = T (1) - T (2) * y * y - T (2) * z * z;
        oy = T (2) * x * y + T (2) * z * w;
        oz = T (2) * x * z - T (2) * y * w;
    }

    void toVectorY (T& ox, T& oy, T& oz) const
    {
        ox = T (2) * x * y - T (2) * z * w;
        oy = T (1) - T (2) * x * x - T (2) * z * z;
        oz = T (2) * y * z + T (2) * x * w;
    }

    void toVectorZ (T& ox, T& oy, T& oz) const
    {
        ox = T (2) * x * z + T (2) * y * w;
        oy = T (2) * y * z - T (2) * x * w;
        oz = T (1) - T (2) * x * x - T (2) * y * y;
    }
};

typedef Quat<double> Quatd;
typedef Quat<float> Quatf;

} // namespace al
