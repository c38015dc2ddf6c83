#pragma once

#include <atomic>

// A value that the audio thread writes once per block for display and that the 3-D
// view's OpenGL thread reads without a lock. Only wholeness matters to the reader,
// not ordering against other values, so relaxed loads and stores suffice and
// neither side ever waits.
class DisplayValue
{
public:
    DisplayValue() = default;
    DisplayValue (const DisplayValue&) = delete;
    DisplayValue& operator= (const DisplayValue&) = delete;

    DisplayValue& operator= (float newValue) noexcept
    {
        value.store (newValue, std::memory_order_relaxed);
        return *this;
    }

    float load() const noexcept { return value.load (std::memory_order_relaxed); }
    operator float() const noexcept { return load(); }

private:
    std::atomic<float> value{ 0.0f };
};
