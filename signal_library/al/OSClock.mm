#import "al/OSClock.h"

#import <AppKit/AppKit.h>

#include "al/Main.h"

@implementation OSClock

- (id)initWithInterval:(double)interval
{
    NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
    if ((self = [super init]))
    {
        main = &al::Main::get();
        timer = [NSTimer timerWithTimeInterval:interval
                                        target:self
                                      selector:@selector (tick)
                                      userInfo:nil
                                       repeats:YES];
        NSRunLoop* runLoop = [NSRunLoop currentRunLoop];
        [runLoop addTimer:timer forMode:NSEventTrackingRunLoopMode];
        [runLoop addTimer:timer forMode:NSModalPanelRunLoopMode];
        [runLoop addTimer:timer forMode:NSDefaultRunLoopMode];
    }
    [pool release];
    return self;
}

- (void)tick
{
    main->tick();
}

- (void)dealloc
{
    if (timer)
    {
        [timer invalidate];
        timer = nil;
    }
    [super dealloc];
}

@end
