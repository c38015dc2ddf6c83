#include "ListenerSwitch.h"

#include "al/Listener.h"
#include "al/Spatializer.h"

#include <thread>

ListenerSwitch::ListenerSwitch (al::AudioScene& s) : scene (s)
{
}

ListenerSwitch::~ListenerSwitch()
{
    delete incoming.exchange (nullptr);
    delete outgoing.exchange (nullptr);
}

void ListenerSwitch::begin()
{
    // Room for the one listener, so that adopt() never has to grow the list.
    scene.listeners.reserve (4);
    active.store (scene.listeners.empty() ? nullptr : scene.listeners.front()->panner, std::memory_order_release);
}

void ListenerSwitch::request (al::Spatializer* panner)
{
    // A listener the audio thread has not taken yet was never seen by it.
    if (auto* unadopted = incoming.exchange (nullptr, std::memory_order_acq_rel))
    {
        delete unadopted;
        --posted;
    }

    // The audio thread may have taken the last request just now; let it finish
    // handing back the listener it replaced.
    while (adopted.load (std::memory_order_acquire) != posted)
        std::this_thread::yield();

    delete outgoing.exchange (nullptr, std::memory_order_acq_rel);

    if (panner == active.load (std::memory_order_acquire))
        return;

    auto* listener = new al::Listener (scene.frameCount, panner);
    if (panner != nullptr)
        panner->compile (*listener);
    ++posted;
    incoming.store (listener, std::memory_order_release);
}

void ListenerSwitch::adopt() noexcept
{
    auto* listener = incoming.exchange (nullptr, std::memory_order_acq_rel);
    if (listener == nullptr)
        return;

    al::Listener* replaced = nullptr;
    if (scene.listeners.empty())
        scene.listeners.push_back (listener);
    else
    {
        replaced = scene.listeners.front();
        scene.listeners.front() = listener;
    }

    outgoing.store (replaced, std::memory_order_release);
    active.store (listener->panner, std::memory_order_release);
    adopted.fetch_add (1, std::memory_order_release);
}
