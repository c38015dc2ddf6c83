#include "X11Support.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace
{
// Without a window manager the framework asks for missing properties every time it
// checks whether a window shows, thousands of times in a session: each kind of error is
// told once.
int reportXError (Display*, XErrorEvent* event)
{
    static std::atomic<bool> told[256][256];

    if (!told[event->error_code][event->request_code].exchange (true))
        std::fprintf (stderr, "toravel-host: ignored X error %d (request %d), and any like it\n",
                      (int) event->error_code, (int) event->request_code);
    return 0;
}
} // namespace

void prepareXlibForHosting()
{
    XInitThreads();
    XSetErrorHandler (reportXError);
}

DesktopUser::DesktopUser()
{
    display = XOpenDisplay (nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (display == nullptr)
        whyNot = "no X display to open (is DISPLAY set?)";
    else if (!XTestQueryExtension (display, &event, &error, &major, &minor))
        whyNot = "the X server has no XTest extension";
}

DesktopUser::~DesktopUser()
{
    if (display != nullptr)
        XCloseDisplay (display);
}

bool DesktopUser::contains (int x, int y) const
{
    const auto screen = DefaultScreen (display);
    return x >= 0 && y >= 0 && x < DisplayWidth (display, screen) && y < DisplayHeight (display, screen);
}

void DesktopUser::click (int x, int y, int count)
{
    XTestFakeMotionEvent (display, DefaultScreen (display), x, y, CurrentTime);
    for (int i = 0; i < count; ++i)
    {
        XTestFakeButtonEvent (display, Button1, True, CurrentTime);
        XTestFakeButtonEvent (display, Button1, False, CurrentTime);
    }
    XFlush (display);
}

bool DesktopUser::isShowing (const char* title) const
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count))
        return false;

    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i)
    {
        // The window may be destroyed between the query and these calls; its
        // BadWindow goes to the handler above and the call reports failure.
        XWindowAttributes attributes;
        XTextProperty name;
        if (!XGetWindowAttributes (display, children[i], &attributes) || attributes.map_state != IsViewable ||
            !XGetWMName (display, children[i], &name))
            continue;
        found = name.value != nullptr && name.format == 8 && name.nitems == std::strlen (title) &&
                std::memcmp (name.value, title, name.nitems) == 0;
        XFree (name.value);
    }
    XFree (children);
    return found;
}

int DesktopUser::depthBelow (unsigned long window, int x, int y) const
{
    int windowX = 0, windowY = 0;
    Window child = 0;
    if (!XTranslateCoordinates (display, DefaultRootWindow (display), window, x, y, &windowX, &windowY, &child))
        return -1;

    XWindowAttributes attributes;
    if (!XGetWindowAttributes (display, window, &attributes) || windowX < 0 || windowY < 0 ||
        windowX >= attributes.width || windowY >= attributes.height)
        return -1;

    int depth = 0;
    for (Window current = window; child != 0; ++depth)
    {
        const auto next = child;
        if (!XTranslateCoordinates (display, current, next, windowX, windowY, &windowX, &windowY, &child))
            return -1;
        current = next;
    }
    return depth;
}
