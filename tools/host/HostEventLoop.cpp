#include "HostEventLoop.h"

// Kept apart from the other sources: the framework declares its X window system, and
// so the connection it opened, only to a file that has the X headers before it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <dirent.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <cstdlib>
#include <string>

namespace juce
{
// The framework's dispatch step on Linux, which its headers do not declare: it runs
// what is due and calls the callback of each registered descriptor that has data.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
// The loop above hands on this program's X events only when its connection's socket has
// data; those that its own requests (whether a window shows, where it lies) moved into
// the connection's queue wait there until more arrives, as a toolkit's loop would not
// let them. A hosted LV2 editor's embedding window then stayed out of place, and the
// first click on the editor went to this program. A plug-in's connections are its own
// to look after: a host calls their callbacks only when they have data, and makes the
// idle calls each format defines (the framework's hosting classes make them from
// timers: VST 2.4's effEditIdle, LV2's idle interface, VST3's run-loop timers).
bool deliverOwnQueuedXEvents()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr || XEventsQueued (display, QueuedAlready) == 0)
        return false;
    juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (ConnectionNumber (display));
    return true;
}

// One pass of the loop; true if it found anything to do.
bool dispatchOnce()
{
    const bool dispatched = juce::dispatchNextMessageOnSystemQueue (true);
    return deliverOwnQueuedXEvents() || dispatched;
}

bool isXConnection (int fd)
{
    sockaddr_un peer{};
    socklen_t length = sizeof (peer);
    if (getpeername (fd, (sockaddr*) &peer, &length) != 0 || peer.sun_family != AF_UNIX ||
        length <= offsetof (sockaddr_un, sun_path) + 1)
        return false;
    // An abstract address starts with a zero byte; the X server listens on both.
    const std::string path (peer.sun_path + 1, length - offsetof (sockaddr_un, sun_path) - 1);
    return path.find (".X11-unix/X") != std::string::npos;
}
} // namespace

void dispatchFor (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;
    while (juce::Time::getMillisecondCounter() < end)
        if (!dispatchOnce())
            juce::Thread::sleep (1);
}

void dispatchUntilIdle (int timeoutMilliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;
    while (dispatchOnce() && juce::Time::getMillisecondCounter() < end)
    {
    }
}

bool dispatchUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return false;
        dispatchFor (10);
    }
    return true;
}

int otherXConnections (int ownConnection)
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    const int frameworkConnection = display != nullptr ? ConnectionNumber (display) : -1;

    int count = 0;
    if (auto* folder = opendir ("/proc/self/fd"))
    {
        while (const auto* entry = readdir (folder))
        {
            if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
                continue;
            const int fd = std::atoi (entry->d_name);
            if (fd != ownConnection && fd != frameworkConnection && isXConnection (fd))
                ++count;
        }
        closedir (folder);
    }
    return count;
}
