#include "FrameworkX11.h"

// Kept apart from the editor's other sources: the framework declares its X window
// system, and so the connection it opened, only to a file that has Xlib's names, which
// clash with the framework's own elsewhere.
#if defined(__linux__) || defined(__FreeBSD__)
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_events/juce_events.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
// The framework's connection as it is now, or null when it has none.
Display* frameworkDisplay()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    return windowSystem != nullptr && windowSystem->isX11Available() ? windowSystem->getDisplay() : nullptr;
}
} // namespace

void deliverQueuedXEvents()
{
    auto* display = frameworkDisplay();

    if (display == nullptr)
        return;

    int fd = -1;
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;

        // Counts only what is queued already: reads nothing from the socket.
        if (XEventsQueued (display, QueuedAlready) == 0)
            return;

        fd = ConnectionNumber (display);
    }

    // The connection's callback reads events until none is left; it runs as a message
    // of its own so that what the events do (a click may close the editor) happens
    // outside the timer that found them.
    juce::MessageManager::callAsync ([fd] { juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (fd); });
}

void withdrawFromWindowManager (void* nativeWindow)
{
    auto* display = frameworkDisplay();

    if (display == nullptr || nativeWindow == nullptr)
        return;

    juce::XWindowSystemUtilities::ScopedXLock lock;
    XWithdrawWindow (display, (Window) nativeWindow, DefaultScreen (display));
    XFlush (display);
}
#else
void deliverQueuedXEvents()
{
}

void withdrawFromWindowManager (void*)
{
}
#endif
