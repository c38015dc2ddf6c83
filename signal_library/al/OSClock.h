#pragma once

// The platform timer that would drive the run loop (al::Main::tick) from the host
// application's event loop. Nothing in the plug-in makes one.

namespace al
{
class Main;
}

#if defined(__APPLE__)

#if defined(__OBJC__)
#import <Foundation/Foundation.h>

@interface OSClock : NSObject
{
    NSTimer* timer;
    al::Main* main;
}
- (id)initWithInterval:(double)interval;
- (void)tick;
@end
#endif

#else

// Elsewhere there is no shared run loop to add a timer to, so the clock owns a small
// repeating timer that the application's event loop polls; nothing runs on a thread of
// its own.
class OSClock
{
public:
    class Timer
    {
    public:
        Timer (double interval, double firstFireTime, OSClock& target);

        // Fires once when the scheduled time has come, then schedules the next time on
        // the original grid; missed times are skipped, not caught up.
        bool poll (double now);
        void invalidate() { valid = false; }
        bool isValid() const { return valid; }
        double nextFireTime() const { return fireTime; }

    private:
        double interval;
        double fireTime;
        OSClock& target;
        bool valid = true;
    };

    OSClock() = default;
    ~OSClock() { dealloc(); }

    OSClock (const OSClock&) = delete;
    OSClock& operator= (const OSClock&) = delete;

    OSClock* initWithInterval (double interval);
    void tick();
    void dealloc();

    Timer* timer = nullptr;
    al::Main* main = nullptr;
};

#endif
