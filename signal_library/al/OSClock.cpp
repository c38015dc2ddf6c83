#include "al/OSClock.h"

#if !defined(__APPLE__)

#include "al/Main.h"
#include "al/al_time.h"

OSClock::Timer::Timer (double interval_, double firstFireTime, OSClock& target_)
    : interval (interval_), fireTime (firstFireTime), target (target_)
{
}

bool OSClock::Timer::poll (double now)
{
    if (!valid || now < fireTime)
        return false;
    target.tick();
    if (interval > 0.0)
        fireTime += interval * (double) (1 + (long long) ((now - fireTime) / interval));
    else
        fireTime = now;
    return true;
}

OSClock* OSClock::initWithInterval (double interval)
{
    dealloc();
    main = &al::Main::get();
    timer = new Timer (interval, al_time() + interval, *this);
    return this;
}

void OSClock::tick()
{
    if (main != nullptr)
        main->tick();
}

void OSClock::dealloc()
{
    if (timer != nullptr)
    {
        timer->invalidate();
        delete timer;
        timer = nullptr;
    }
}

#endif
