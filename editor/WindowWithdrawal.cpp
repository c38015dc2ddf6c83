#include "WindowWithdrawal.h"

// Kept apart from the framework's headers, whose names clash with Xlib's.
#if defined(__linux__) || defined(__FreeBSD__)
#include <X11/Xlib.h>

void withdrawFromWindowManager (void* nativeWindow)
{
    if (nativeWindow == nullptr)
        return;

    // The framework keeps its connection to itself; one of our own for the two
    // requests is cheap at the pace of a user's clicks.
    Display* display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return;

    XWithdrawWindow (display, (Window) nativeWindow, DefaultScreen (display));
    XCloseDisplay (display);
}
#else
void withdrawFromWindowManager (void*)
{
}
#endif
