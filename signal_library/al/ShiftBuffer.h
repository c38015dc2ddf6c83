#pragma once

namespace al
{

// The last N values pushed, index 0 the newest and N - 1 the oldest.
template <int N, class T>
class ShiftBuffer
{
public:
    static_assert (N > 0, "a shift buffer holds at least one value");

    ShiftBuffer() : values() {}
    explicit ShiftBuffer (const T& v)
    {
        for (int k = 0; k < N; ++k)
            values[k] = v;
    }

    ShiftBuffer& operator() (const T& v)
    {
        for (int k = N - 1; k > 0; --k)
            values[k] = values[k - 1];
        values[0] = v;
        return *this;
    }

    T& operator[] (int k) { return values[k]; }
    const T& operator[] (int k) const { return values[k]; }

    static constexpr int size() { return N; }

private:
    T values[N];
};

} // namespace al
