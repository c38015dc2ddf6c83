#include "gam/Sync.h"

#include <cmath>

namespace gam
{

Synced::Synced() : Synced (Sync::master())
{
}

Synced::Synced (Sync& followed)
{
    sync (followed);
}

Synced::~Synced()
{
    unlink();
}

void Synced::unlink()
{
    if (prev != nullptr)
        prev->next = next;
    if (next != nullptr)
        next->prev = prev;
    prev = nullptr;
    next = nullptr;
}

void Synced::sync (Sync& newClock)
{
    if (clock == &newClock)
        return;

    const double oldSPU = clock != nullptr ? clock->spu() : 1.0;
    if (clock != nullptr)
        unlink();

    if (this != &newClock.head)
    {
        Synced& head = newClock.head;
        next = head.next;
        prev = &head;
        if (head.next != nullptr)
            head.next->prev = this;
        head.next = this;
    }

    const double ratio = newClock.spu() / oldSPU;
    clock = &newClock;
    spu *= ratio;
    ups = 1.0 / spu;
    onResync (ratio);
}

void Synced::scaleSPU (double ratio)
{
    spu *= ratio;
    ups = 1.0 / spu;
    onResync (ratio);
}

void Synced::onResync (double)
{
}

void Synced::initSynced()
{
    if (clock != nullptr)
        scaleSPU (clock->spu() * ups);
}

Sync::Sync() : head (Synced::HeadTag{})
{
    head.sync (*this);
}

Sync::~Sync()
{
    // Observers outlive a local clock only by mistake; detach them so that their own
    // destructors do not write into a list that no longer exists.
    Synced* node = head.next;
    while (node != nullptr)
    {
        Synced* following = node->next;
        node->prev = nullptr;
        node->next = nullptr;
        node->clock = nullptr;
        node = following;
    }
    head.next = nullptr;
}

Sync& Sync::master()
{
    static Sync* const clock = new Sync();
    return *clock;
}

void Sync::spu (double samplesPerUnit)
{
    hasBeenSet = true;
    if (!(std::isfinite (samplesPerUnit) && samplesPerUnit > 0.0))
        return;
    if (samplesPerUnit == mSPU)
        return;

    const double ratio = samplesPerUnit / mSPU;
    mSPU = samplesPerUnit;
    mUPS = 1.0 / samplesPerUnit;

    for (Synced* node = head.next; node != nullptr;)
    {
        node->scaleSPU (ratio);
        node = node->next;
    }
}

} // namespace gam
