#include "al/Main.h"

#include "al/al_time.h"

namespace al
{

Main::Main() : startTime (al_time()), queue (128, nullptr, nullptr)
{
}

Main& Main::get()
{
    static Main* const record = new Main();
    return *record;
}

void Main::tick()
{
    const double t = al_time();
    runTime = t - startTime;
    measuredInterval = t - lastTickTime;
    lastTickTime = t;

    queue.update (runTime);

    for (Handler* handler : handlers)
        handler->onTick (*this);

    cpuLoad += (((al_time() - t) / interval) - cpuLoad) * 0.1;
}

namespace
{
// The record is made while the library is loaded. This unit is linked whenever any
// unit includes al/LoadTime.h, which refers to Main::get().
[[maybe_unused]] Main& loadTimeRecord = Main::get();
} // namespace

} // namespace al
