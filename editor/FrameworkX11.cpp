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

    // Counts only what is queued already: reads nothing from the socket.
    if (display == nullptr || XEventsQueued (display, QueuedAlready) == 0)
        return;

    // The connection's callback reads events until none is left; it runs as a message
    // of its own so that what the events do (a click may close the editor) happens
    // outside the timer that found them.
    juce::MessageManager::callAsync ([fd = ConnectionNumber (display)]
                                     { juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (fd); });
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

bool isHeldByWindowManager (void* nativeWindow)
{
    auto* display = frameworkDisplay();

    if (display == nullptr || nativeWindow == nullptr)
        return false;

    // Only a window manager makes the name; asking for it by name creates nothing.
    const auto wmState = XInternAtom (display, "WM_STATE", True);

    if (wmState == None)
        return false;

    juce::XWindowSystemUtilities::ScopedXLock lock;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    bool held = false;

    if (XGetWindowProperty (display, (Window) nativeWindow, wmState, 0, 1, False, wmState, &type, &format, &items,
                            &left, &data) == Success &&
        data != nullptr && format == 32 && items == 1)
        held = *reinterpret_cast<const long*> (data) != WithdrawnState;

    if (data != nullptr)
        XFree (data);

    // A window manager that frames its windows gives a withdrawn one back to the root;
    // fluxbox does so with a minimised window but leaves its WM_STATE saying iconic.
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;

    if (held && XQueryTree (display, (Window) nativeWindow, &root, &parent, &children, &count))
    {
        held = parent != root;

        if (children != nullptr)
            XFree (children);
    }

    return held;
}
#else
void deliverQueuedXEvents()
{
}

void withdrawFromWindowManager (void*)
{
}

bool isHeldByWindowManager (void*)
{
    return false;
}
#endif
