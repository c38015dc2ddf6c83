#include "X11Support.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <functional>

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
}

void installXErrorHandler()
{
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

int DesktopUser::connectionNumber() const
{
    return display != nullptr ? ConnectionNumber (display) : -1;
}

bool DesktopUser::contains (int x, int y) const
{
    const auto screen = DefaultScreen (display);
    return x >= 0 && y >= 0 && x < DisplayWidth (display, screen) && y < DisplayHeight (display, screen);
}

void DesktopUser::click (int x, int y)
{
    XTestFakeMotionEvent (display, DefaultScreen (display), x, y, CurrentTime);
    XTestFakeButtonEvent (display, Button1, True, CurrentTime);
    XTestFakeButtonEvent (display, Button1, False, CurrentTime);
    XFlush (display);
}

unsigned long DesktopUser::findWindow (const char* title) const
{
    // Depth-first from the root, as deep as window managers' frames go (a client of
    // icewm or xfwm4 lies two or three windows down).
    std::function<Window (Window, int)> search = [&] (Window window, int levels) -> Window
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (levels == 0 || !XQueryTree (display, window, &root, &parent, &children, &count))
            return 0;

        Window found = 0;
        for (unsigned int i = 0; i < count && found == 0; ++i)
        {
            // The window may be destroyed between the query and this call; its
            // BadWindow goes to the handler above and the call reports failure.
            XTextProperty name;
            if (XGetWMName (display, children[i], &name))
            {
                if (name.value != nullptr && name.format == 8 && name.nitems == std::strlen (title) &&
                    std::memcmp (name.value, title, name.nitems) == 0)
                    found = children[i];
                XFree (name.value);
            }
            if (found == 0)
                found = search (children[i], levels - 1);
        }
        XFree (children);
        return found;
    };
    return search (DefaultRootWindow (display), 4);
}

bool DesktopUser::isShowing (const char* title) const
{
    const auto window = findWindow (title);
    XWindowAttributes attributes;
    return window != 0 && XGetWindowAttributes (display, window, &attributes) && attributes.map_state == IsViewable;
}

bool DesktopUser::toScreen (unsigned long window, int x, int y, int& screenX, int& screenY) const
{
    Window child = 0;
    return window != 0 &&
           XTranslateCoordinates (display, window, DefaultRootWindow (display), x, y, &screenX, &screenY, &child);
}

bool DesktopUser::size (unsigned long window, int& width, int& height) const
{
    XWindowAttributes attributes;
    if (window == 0 || !XGetWindowAttributes (display, window, &attributes))
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool DesktopUser::requestedPlace (unsigned long window, int& x, int& y) const
{
    XSizeHints hints{};
    long supplied = 0;
    if (window == 0 || !XGetWMNormalHints (display, window, &hints, &supplied) ||
        (hints.flags & (USPosition | PPosition)) == 0)
        return false;
    x = hints.x;
    y = hints.y;
    return true;
}

long DesktopUser::windowManagerState (unsigned long window) const
{
    const auto wmState = XInternAtom (display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    long state = -1;
    if (XGetWindowProperty (display, window, wmState, 0, 2, False, wmState, &type, &format, &items, &left, &data) ==
            Success &&
        type == wmState && format == 32 && items >= 1)
        state = ((long*) data)[0];
    if (data != nullptr)
        XFree (data);
    return state;
}

bool DesktopUser::isHeldByWindowManager (unsigned long window) const
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree (display, window, &root, &parent, &children, &count))
        return false;
    XFree (children);
    return parent != root || windowManagerState (window) == NormalState;
}

std::string DesktopUser::describe (unsigned long window) const
{
    std::ostringstream text;
    const auto geometry = [&] (Window w)
    {
        XWindowAttributes a;
        int x = 0, y = 0;
        Window child = 0;
        if (!XGetWindowAttributes (display, w, &a) ||
            !XTranslateCoordinates (display, w, DefaultRootWindow (display), 0, 0, &x, &y, &child))
            return std::string ("gone");
        const char* const mapStates[] = { "unmapped", "unviewable", "viewable" };
        return "at " + std::to_string (x) + ", " + std::to_string (y) + ", " + std::to_string (a.width) + " x " +
               std::to_string (a.height) + ", " + mapStates[a.map_state % 3];
    };

    // The frame is the window's ancestor just below the root.
    Window frame = window, root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    while (XQueryTree (display, frame, &root, &parent, &children, &count))
    {
        XFree (children);
        if (parent == root || parent == 0)
            break;
        frame = parent;
    }

    text << "window 0x" << std::hex << window << std::dec << " " << geometry (window);
    if (frame != window)
        text << "; its frame 0x" << std::hex << frame << std::dec << " " << geometry (frame);
    text << "; WM_STATE " << windowManagerState (window);
    return text.str();
}

void DesktopUser::watch (unsigned long window)
{
    watched = window;
    XSelectInput (display, window, StructureNotifyMask);
    XSync (display, False);
    timesUnmapped();
}

int DesktopUser::timesUnmapped()
{
    int times = 0;
    XSync (display, False);
    while (XPending (display) > 0)
    {
        XEvent event;
        XNextEvent (display, &event);
        if (event.type == UnmapNotify && event.xunmap.window == watched)
            ++times;
    }
    return times;
}

bool DesktopUser::hasWindowManager() const
{
    const auto check = XInternAtom (display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return false;

    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty (display, DefaultRootWindow (display), check, 0, 1, False, XA_WINDOW, &type,
                                           &format, &items, &left, &data) == Success &&
                       type == XA_WINDOW && items == 1;
    if (data != nullptr)
        XFree (data);
    return found;
}

void DesktopUser::minimise (unsigned long window)
{
    XIconifyWindow (display, window, DefaultScreen (display));
    XFlush (display);
}

void DesktopUser::move (unsigned long window, int screenX, int screenY)
{
    XMoveWindow (display, window, screenX, screenY);
    XFlush (display);
}

void DesktopUser::close (unsigned long window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom (display, "_NET_CLOSE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = 2; // from a pager, which window managers obey at once
    XSendEvent (display, DefaultRootWindow (display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush (display);
}

unsigned long DesktopUser::colourAt (int x, int y) const
{
    XImage* image = XGetImage (display, DefaultRootWindow (display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return 0;
    const auto pixel = XGetPixel (image, 0, 0) & 0xffffff;
    XDestroyImage (image);
    return pixel;
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
