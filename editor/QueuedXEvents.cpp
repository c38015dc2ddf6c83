#include "QueuedXEvents.h"

// Kept apart from the framework's headers, whose names clash with Xlib's.
#if defined(__linux__) || defined(__FreeBSD__)
#include <juce_events/juce_events.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <atomic>

namespace
{
std::atomic<Display*> openGLConnection{ nullptr };
} // namespace

void noteOpenGLConnection()
{
    if (auto* display = glXGetCurrentDisplay())
        openGLConnection = display;
}

void deliverQueuedXEvents()
{
    auto* display = openGLConnection.load();

    // Counts only what is queued already: reads nothing from the socket.
    if (display == nullptr || XEventsQueued (display, QueuedAlready) == 0)
        return;

    // The connection's callback reads events until none is left; it runs as a message
    // of its own so that what the events do (a click may close the editor) happens
    // outside the timer that found them.
    juce::MessageManager::callAsync ([fd = ConnectionNumber (display)]
                                     { juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (fd); });
}
#else
void noteOpenGLConnection()
{
}

void deliverQueuedXEvents()
{
}
#endif
