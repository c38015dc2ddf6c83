#pragma once

#include <cstddef>
#include <vector>

namespace al
{

// Growable array whose capacity is the length of its vector; every slot exists and is
// zero when it is added, so the whole capacity can be handed to OpenGL.
template <class T>
class Buffer
{
public:
    // Capacity runs 4, 8, 16, ... with the usual growth of 2. A growth factor of 1 or
    // less still makes room for the one new value instead of writing past the end.
    void append (const T& value, double growth = 2)
    {
        if (count >= (int) elements.size())
        {
            int capacity = count == 0 ? 4 : (int) ((double) count * growth);
            if (capacity <= count)
                capacity = count + 1;
            elements.resize ((std::size_t) capacity, T());
        }
        elements[(std::size_t) count] = value;
        ++count;
    }

    // Grows the capacity to n when it is smaller, never shrinks it; n slots are in use.
    void size (int n)
    {
        if (n < 0)
            n = 0;
        if ((int) elements.size() < n)
            elements.resize ((std::size_t) n, T());
        count = n;
    }

    int size() const { return count; }
    int capacity() const { return (int) elements.size(); }
    bool empty() const { return count == 0; }

    T* data() { return elements.data(); }
    const T* data() const { return elements.data(); }
    T& operator[] (int i) { return elements[(std::size_t) i]; }
    const T& operator[] (int i) const { return elements[(std::size_t) i]; }

    std::vector<T> elements;
    int count = 0;
};

} // namespace al
