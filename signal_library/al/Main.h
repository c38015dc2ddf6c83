#pragma once

#include "al/MsgQueue.h"

#include <vector>

namespace al
{

// The library's run-loop record. It is made once, when the library is loaded; a
// platform timer (OSClock) would drive tick() from the application's event loop.
class Main
{
public:
    struct Handler
    {
        virtual ~Handler() = default;
        virtual void onTick (Main& main) = 0;
    };

    // Process-wide record, made on first use and never destroyed.
    static Main& get();

    // One turn of the run loop: time, due messages, handlers, smoothed load.
    void tick();

    double startTime;
    double lastTickTime = 0.0;
    double interval = 0.01;
    double measuredInterval = 0.01;
    double runTime = 0.0;
    double cpuLoad = 0.0;
    MsgQueue queue;
    std::vector<Handler*> handlers;

private:
    Main();
};

} // namespace al
