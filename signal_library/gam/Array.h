#pragma once

#include "gam/scl.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <new>
#include <type_traits>

namespace gam
{

// Size policy of a power-of-two array: a 32-bit phase shifted right by `shift` is an
// index into it.
struct SizeArrayPow2
{
    uint32_t log2 = 0;
    uint32_t shift = 32;

    // The size that ArrayBase::resize makes of a requested size: 2 for 1, otherwise the
    // next power of two at or above it; 0 for 0 and for sizes whose power of two does
    // not fit in 32 bits.
    static uint32_t sizeFor (uint32_t size)
    {
        if (size == 1)
            return 2;
        if (size == 0)
            return 0;
        return scl::ceilPow2 (size);
    }

    void operator() (uint32_t size)
    {
        log2 = size == 1 ? 1u : scl::deBruijn (sizeFor (size));
        shift = 32u - log2;
    }

    uint32_t size() const { return (1u << log2) & ~1u; }
};

template <class T>
struct Allocator
{
    static T* allocate (uint32_t n) { return static_cast<T*> (::operator new (sizeof (T) * n)); }
    static void deallocate (T* p) { ::operator delete (p); }
};

// A table whose storage blocks are shared through a process-wide reference count. The
// count is touched only when arrays are made, resized or released, never while sampling;
// plug-in instances are built and destroyed on any thread, several at once, so every
// use of the count takes its lock.
template <class T, class S = SizeArrayPow2, class A = Allocator<T>>
class ArrayBase : public A
{
    static_assert (std::is_trivially_copyable<T>::value, "elements are copied as plain values");

public:
    ArrayBase (uint32_t size, const T& value)
    {
        resize (size, T());
        for (uint32_t i = 0; i < this->size(); ++i)
            elems[i] = value;
    }

    // A copy shares the block; the first of the two to resize gets a private copy.
    ArrayBase (const ArrayBase& other) : elems (other.elems), sizePolicy (other.sizePolicy)
    {
        if (elems != nullptr)
        {
            const std::lock_guard<std::mutex> hold (refLock());
            ++refCount()[elems];
        }
    }

    ArrayBase& operator= (const ArrayBase&) = delete;

    virtual ~ArrayBase() { clear(); }

    uint32_t size() const { return sizePolicy.size(); }
    T* data() { return elems; }
    const T* data() const { return elems; }
    T& operator[] (uint32_t i) { return elems[i]; }
    const T& operator[] (uint32_t i) const { return elems[i]; }

    void resize (uint32_t size, const T& value)
    {
        const uint32_t newSize = S::sizeFor (size);
        if (newSize == 0)
        {
            clear();
            return;
        }
        const uint32_t oldSize = this->size();
        if (newSize == oldSize)
            return;

        T* block = A::allocate (newSize);
        const uint32_t kept = oldSize < newSize ? oldSize : newSize;
        for (uint32_t i = 0; i < kept; ++i)
            block[i] = elems[i];
        for (uint32_t i = kept; i < newSize; ++i)
            block[i] = value;

        clear();
        elems = block;
        {
            const std::lock_guard<std::mutex> hold (refLock());
            refCount()[block] = 1;
        }
        sizePolicy (size);
        onResize();
    }

    // Releases this array's reference; the block is freed with its last reference. A
    // block the map does not know is not ours to free.
    void clear()
    {
        if (elems == nullptr)
            return;
        bool last = false;
        {
            const std::lock_guard<std::mutex> hold (refLock());
            auto& counts = refCount();
            auto found = counts.find (elems);
            if (found == counts.end() || found->second == 0)
                return;
            last = --found->second == 0;
            if (last)
                counts.erase (found);
        }
        if (last)
            A::deallocate (elems);
        elems = nullptr;
        sizePolicy = S();
    }

    static int references (const T* block)
    {
        const std::lock_guard<std::mutex> hold (refLock());
        const auto& counts = refCount();
        auto found = counts.find (block);
        return found == counts.end() ? 0 : found->second;
    }

    // The map itself; whoever uses it directly holds refLock() meanwhile.
    static std::map<const T*, int>& refCount()
    {
        static auto* const counts = new std::map<const T*, int>();
        return *counts;
    }

    static std::mutex& refLock()
    {
        static auto* const lock = new std::mutex();
        return *lock;
    }

    virtual void onResize() {}

protected:
    T* elems = nullptr;
    S sizePolicy;
};

template <class T, class A = Allocator<T>>
class ArrayPow2 : public ArrayBase<T, SizeArrayPow2, A>
{
public:
    explicit ArrayPow2 (uint32_t size = 0, const T& value = T()) : ArrayBase<T, SizeArrayPow2, A> (size, value) {}

    uint32_t log2() const { return this->sizePolicy.log2; }
    uint32_t shift() const { return this->sizePolicy.shift; }
};

} // namespace gam
