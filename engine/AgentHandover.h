#pragma once

#include "al/RingBuffer.h"
#include "al/Vec.h"

#include <atomic>
#include <thread>

// The small mechanisms by which the agent's state crosses between the audio thread
// and the message and OpenGL threads. None of them lets the audio thread wait.

// A float that the audio thread writes and an OpenGL thread reads: each read gets a
// whole value, and ring slots built from it can be copied like plain floats.
struct RelaxedFloat
{
    std::atomic<float> v{ 0.0f };

    RelaxedFloat() = default;
    RelaxedFloat (float x) : v (x) {}
    RelaxedFloat (const RelaxedFloat& o) : v (o.load()) {}
    RelaxedFloat& operator= (const RelaxedFloat& o)
    {
        store (o.load());
        return *this;
    }

    void store (float x) { v.store (x, std::memory_order_relaxed); }
    float load() const { return v.load (std::memory_order_relaxed); }
};

// A trail point as three such floats; a reader may see a point mid-write, which
// at worst mixes two neighbouring samples of the trail.
struct RelaxedVec3f
{
    RelaxedFloat c[3];

    RelaxedVec3f() = default;
    RelaxedVec3f (const al::Vec3f& p) { store (p); }

    void store (const al::Vec3f& p)
    {
        for (int i = 0; i < 3; ++i)
            c[i].store (p[i]);
    }
    al::Vec3f load() const { return al::Vec3f (c[0].load(), c[1].load(), c[2].load()); }
};

// A history ring that the audio thread writes one value per sample while a view's
// OpenGL thread draws it. The writer publishes the newest slot and the fill count
// after each write (release); the reader takes both once per frame (acquire) and
// walks back from there. The storage is only replaced by resize(), which the owner
// must keep from overlapping push() (see TrailGuard) and from running beside a
// reader on another thread.
template <class Value, class Slot>
class SharedRing
{
public:
    SharedRing (unsigned size, const Value& value) : ring (size, Slot (value)) { publish(); }

    void push (const Value& value)
    {
        ring.next().store (value);
        publish();
    }

    // Empties the ring, then gives it a new size; new slots hold value.
    void resize (int size, const Value& value)
    {
        ring.writePos = ring.size() - 1;
        ring.fillCount = 0;
        ring.resize (size, Slot (value));
        publish();
    }

    struct Snapshot
    {
        int newest = 0;
        int count = 0;
        int size = 1;
    };

    Snapshot snapshot() const
    {
        Snapshot s;
        s.count = filled.load (std::memory_order_acquire);
        s.newest = newest.load (std::memory_order_acquire);
        s.size = ring.size();
        return s;
    }

    // The i-th newest value as of the snapshot, i from 0 to snapshot.count - 1.
    Value read (const Snapshot& s, int i) const
    {
        int k = s.newest - i;
        if (k < 0)
            k += s.size;
        return ring.elements[(size_t) k].load();
    }

    int fillCount() const { return filled.load (std::memory_order_acquire); }
    int size() const { return ring.size(); }
    Value newestValue() const { return read (snapshot(), 0); }

private:
    void publish()
    {
        newest.store (ring.writePos, std::memory_order_release);
        filled.store (ring.fillCount, std::memory_order_release);
    }

    al::RingBuffer<Slot> ring;
    std::atomic<int> newest{ 0 };
    std::atomic<int> filled{ 0 };
};

using FloatHistory = SharedRing<float, RelaxedFloat>;
using PointHistory = SharedRing<al::Vec3f, RelaxedVec3f>;

// Keeps the trail's storage from being replaced while the audio thread writes it.
// The audio thread only tries to enter and, when the 3-D view's render thread is in
// the middle of a resize, leaves that sample out of the trail (the resize empties
// the trail anyway); the render thread waits the few nanoseconds of one sample's
// writes.
class TrailGuard
{
public:
    bool tryEnter() { return !busy.exchange (true, std::memory_order_acquire); }

    void enter()
    {
        while (busy.exchange (true, std::memory_order_acquire))
            std::this_thread::yield();
    }

    void leave() { busy.store (false, std::memory_order_release); }

private:
    std::atomic<bool> busy{ false };
};

// The centre that the message thread asks for and the audio thread adopts: a
// sequence lock, so the audio thread sees all three components of one request or
// keeps its centre for this sample when a write is in progress; it never waits.
class CentreRequest
{
public:
    CentreRequest() = default;
    CentreRequest (const CentreRequest&) = delete;

    CentreRequest& operator= (const al::Vec3d& centre)
    {
        unsigned s = sequence.load (std::memory_order_relaxed);
        while ((s & 1u) != 0u || !sequence.compare_exchange_weak (s, s + 1u, std::memory_order_acquire))
        {
            std::this_thread::yield();
            s = sequence.load (std::memory_order_relaxed);
        }
        std::atomic_thread_fence (std::memory_order_release);
        for (int i = 0; i < 3; ++i)
            c[i].store (centre[i], std::memory_order_relaxed);
        sequence.store (s + 2u, std::memory_order_release);
        return *this;
    }

    // False while a write is in progress; out is then unchanged.
    bool tryLoad (double (&out)[3]) const
    {
        const unsigned before = sequence.load (std::memory_order_acquire);
        if ((before & 1u) != 0u)
            return false;
        const double x = c[0].load (std::memory_order_relaxed);
        const double y = c[1].load (std::memory_order_relaxed);
        const double z = c[2].load (std::memory_order_relaxed);
        std::atomic_thread_fence (std::memory_order_acquire);
        if (sequence.load (std::memory_order_relaxed) != before)
            return false;
        out[0] = x;
        out[1] = y;
        out[2] = z;
        return true;
    }

    bool tryLoad (al::Vec3d& out) const
    {
        double v[3];
        if (!tryLoad (v))
            return false;
        out = al::Vec3d (v[0], v[1], v[2]);
        return true;
    }

    // For threads that may wait (tests, the message thread).
    al::Vec3d load() const
    {
        al::Vec3d v;
        while (!tryLoad (v))
            std::this_thread::yield();
        return v;
    }

private:
    std::atomic<unsigned> sequence{ 0 };
    std::atomic<double> c[3] = { 0.0, 0.0, 0.0 };
};

// A number the audio thread keeps for the views to show; each read is whole.
class ShownValue
{
public:
    void operator= (double x) { v.store (x, std::memory_order_relaxed); }
    double load() const { return v.load (std::memory_order_relaxed); }
    operator double() const { return load(); }

private:
    std::atomic<double> v{ 0.0 };
};
