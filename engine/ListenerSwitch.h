#pragma once

#include "al/AudioScene.h"

#include <atomic>

// Moves the scene's one listener from one panner to the other while the audio
// thread may be rendering it. The message thread builds the new listener and
// compiles its panner (which prints, so it cannot happen on the audio thread); the
// audio thread swaps it into the scene at the start of its next block and hands the
// old one back; the message thread deletes that one at its next request or when the
// switch is destroyed, by which time the audio thread can no longer reach it.
//
// The audio thread never waits. The message thread waits only for an adoption that
// is already under way, a handful of instructions.
//
// A panner is only ever compiled while no listener on it can be rendered: a request
// for the panner the scene already renders through changes nothing.
class ListenerSwitch
{
public:
    explicit ListenerSwitch (al::AudioScene& scene);
    ~ListenerSwitch();

    ListenerSwitch (const ListenerSwitch&) = delete;
    ListenerSwitch& operator= (const ListenerSwitch&) = delete;

    // Message thread, while no block runs: takes the scene's listener as the one in use.
    void begin();

    // Message thread.
    void request (al::Spatializer* panner);

    // Audio thread, at the start of a block, before the scene renders.
    void adopt() noexcept;

    // The panner of the listener the audio thread renders (or, before any block, the
    // scene's listener at begin()).
    al::Spatializer* activePanner() const noexcept { return active.load (std::memory_order_acquire); }

private:
    al::AudioScene& scene;
    std::atomic<al::Listener*> incoming{ nullptr };
    std::atomic<al::Listener*> outgoing{ nullptr };
    std::atomic<al::Spatializer*> active{ nullptr };
    std::atomic<unsigned> adopted{ 0 };
    unsigned posted = 0;
};
