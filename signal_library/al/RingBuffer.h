#pragma once

#include <cstddef>
#include <vector>

namespace al
{

// Circular history of a set size. The writer takes the slot that next() returns
// and stores into it; readers index backwards from writePos (the newest element),
// wrapping once. Storage is allocated only by the constructor and resize().
//
// A ring always keeps at least one element, so next() always has a slot to hand
// out: a requested size below 1 becomes 1.
template <class T>
class RingBuffer
{
public:
    std::vector<T> elements;
    int writePos;  // index of the element written last
    int fillCount; // elements written so far, at most the size through next()

    explicit RingBuffer (unsigned size = 1, const T& value = T())
        : elements (size > 0 ? size : 1u, value), writePos (int (elements.size()) - 1), fillCount (0)
    {
    }

    int size() const { return int (elements.size()); }

    T& next()
    {
        const int n = size();
        if (fillCount < n)
            ++fillCount;
        if (++writePos >= n)
            writePos = 0;
        return elements[(std::size_t) writePos];
    }

    // Existing elements are kept from the front; the owner lowers fillCount
    // itself after shrinking.
    void resize (int n, const T& value = T())
    {
        if (n < 1)
            n = 1;
        elements.resize ((std::size_t) n, value);
        if (writePos >= n)
            writePos = n - 1;
    }

    // The element k steps older than the newest, for 0 <= k < size().
    const T& read (int k) const
    {
        int i = writePos - k;
        if (i < 0)
            i += size();
        return elements[(std::size_t) i];
    }
};

} // namespace al
