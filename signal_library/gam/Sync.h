#pragma once

namespace gam
{

class Sync;

// Intrusive links of a doubly linked list; the node type supplies its own pointer type.
template <class T>
struct Node2
{
    T* prev = nullptr;
    T* next = nullptr;
};

// Observer of a sample-rate clock. An oscillator keeps its frequency in hertz and its
// per-sample values in its own units; when the clock's rate changes, every observer is
// rescaled by new/old and recomputes its per-sample values in onResync.
class Synced : public Node2<Synced>
{
public:
    // Links the observer to the master clock, or to the given one. Only the base's empty
    // onResync runs here; derived constructors finish with initSynced() once their own
    // fields are set.
    Synced();
    explicit Synced (Sync& followed);
    virtual ~Synced();

    Synced (const Synced&) = delete;
    Synced& operator= (const Synced&) = delete;

    void sync (Sync& clock);
    void scaleSPU (double ratio);
    virtual void onResync (double ratio);

    Sync* clock = nullptr;
    double spu = 1.0;
    double ups = 1.0;

protected:
    // Runs the most derived onResync once with a ratio of (about) 1, so that the
    // per-sample values are computed from the current rate.
    void initSynced();

private:
    friend class Sync;
    struct HeadTag
    {
    };
    explicit Synced (HeadTag) {}

    void unlink();
};

// A sample-rate clock; observers are linked at the front of its list, so the newest is
// notified first. The clock owns none of them. Its list has no lock: it changes as its
// observers are built and destroyed and is walked by spu(), so a clock and its observers
// belong to one owner, which does those things one at a time. Each plug-in instance
// keeps a clock of its own for that reason.
class Sync
{
public:
    Sync();
    ~Sync();

    Sync (const Sync&) = delete;
    Sync& operator= (const Sync&) = delete;

    // Process-wide clock, created on first use and never destroyed; the clock of every
    // observer built without one.
    static Sync& master();

    double spu() const { return mSPU; }
    double ups() const { return mUPS; }

    // A rate that is not a finite positive number is ignored: accepting it would turn
    // every observer's scale into zero, infinity or NaN with no way back.
    void spu (double samplesPerUnit);

    Synced head;
    bool hasBeenSet = false;

private:
    friend class Synced;
    double mSPU = 1.0;
    double mUPS = 1.0;
};

} // namespace gam
