#pragma once

#include <cmath>
#include <type_traits>

namespace al
{

// Fixed-size vector of N components. Positions and directions use Vec<3, double>,
// mesh vertices and trail points Vec<3, float>. Plain value type: no virtuals, no
// state beyond the components, so arrays of it can be handed to OpenGL directly.
template <int N, class T>
struct Vec
{
    static_assert (N > 0, "a vector needs at least one component");

    T elems[N];

    Vec()
    {
        for (int i = 0; i < N; ++i)
            elems[i] = T (0);
    }

    explicit Vec (T v)
    {
        for (int i = 0; i < N; ++i)
            elems[i] = v;
    }

    template <class... Ts, class = std::enable_if_t<(sizeof...(Ts) == N) && (N > 1)>>
    Vec (Ts... vs) : elems{ T (vs)... }
    {
    }

    template <class U>
    explicit Vec (const Vec<N, U>& other)
    {
        for (int i = 0; i < N; ++i)
            elems[i] = T (other[i]);
    }

    static constexpr int size() { return N; }

    T& operator[] (int i) { return elems[i]; }
    const T& operator[] (int i) const { return elems[i]; }

    T& x() { return elems[0]; }
    const T& x() const { return elems[0]; }
    T& y()
    {
        static_assert (N > 1, "no y component");
        return elems[1];
    }
    const T& y() const
    {
        static_assert (N > 1, "no y component");
        return elems[1];
    }
    T& z()
    {
        static_assert (N > 2, "no z component");
        return elems[2];
    }
    const T& z() const
    {
        static_assert (N > 2, "no z component");
        return elems[2];
    }

    T* data() { return elems; }
    const T* data() const { return elems; }

    Vec& operator+= (const Vec& v)
    {
        for (int i = 0; i < N; ++i)
            elems[i] += v.elems[i];
        return *this;
    }
    Vec& operator-= (const Vec& v)
    {
        for (int i = 0; i < N; ++i)
            elems[i] -= v.elems[i];
        return *this;
    }
    Vec& operator*= (T s)
    {
        for (int i = 0; i < N; ++i)
            elems[i] *= s;
        return *this;
    }
    Vec& operator/= (T s)
    {
        for (int i = 0; i < N; ++i)
            elems[i] /= s;
        return *this;
    }

    Vec operator+ (const Vec& v) const { return Vec (*this) += v; }
    Vec operator- (const Vec& v) const { return Vec (*this) -= v; }
    Vec operator* (T s) const { return Vec (*this) *= s; }
    Vec operator/ (T s) const { return Vec (*this) /= s; }
    Vec operator-() const
    {
        Vec r;
        for (int i = 0; i < N; ++i)
            r.elems[i] = -elems[i];
        return r;
    }

    bool operator== (const Vec& v) const
    {
        for (int i = 0; i < N; ++i)
            if (!(elems[i] == v.elems[i]))
                return false;
        return true;
    }
    bool operator!= (const Vec& v) const { return !(*this == v); }

    // Summed in component order so that every caller gets the same rounding.
    T magSqr() const
    {
        T sum = elems[0] * elems[0];
        for (int i = 1; i < N; ++i)
            sum += elems[i] * elems[i];
        return sum;
    }
    T mag() const { return std::sqrt (magSqr()); }

    T dot (const Vec& v) const
    {
        T sum = elems[0] * v.elems[0];
        for (int i = 1; i < N; ++i)
            sum += elems[i] * v.elems[i];
        return sum;
    }

    // A zero vector stays zero rather than turning into NaNs.
    Vec normalized() const
    {
        const T m = mag();
        return m > T (0) ? *this / m : *this;
    }

    // Scales to the given length. A vector too short to have a direction worth keeping
    // (length at most 1e-20) is replaced by one along x, so the result always has the
    // length asked for and never NaNs.
    Vec& normalize (T length = T (1))
    {
        const T m = mag();
        if (m > T (1e-20))
            return *this *= length / m;
        elems[0] = length;
        for (int i = 1; i < N; ++i)
            elems[i] = T (0);
        return *this;
    }

    static Vec lerp (const Vec& a, const Vec& b, T t)
    {
        Vec r;
        for (int i = 0; i < N; ++i)
            r.elems[i] = (b.elems[i] - a.elems[i]) * t + a.elems[i];
        return r;
    }
};

template <int N, class T>
Vec<N, T> operator* (T s, const Vec<N, T>& v)
{
    return v * s;
}

template <class T>
Vec<3, T> cross (const Vec<3, T>& a, const Vec<3, T>& b)
{
    return Vec<3, T> (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]);
}

typedef Vec<3, double> Vec3d;
typedef Vec<3, float> Vec3f;

} // namespace al
