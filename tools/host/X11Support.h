#pragma once

#include <string>

// Plug-ins that open X connections from several threads need Xlib's locking set up
// before anything else touches X.
void prepareXlibForHosting();

// A console program has no X error handler of its own, and neither has the framework
// outside a standalone application: without one, a harmless protocol error (such as a
// BadAtom from a plug-in's window code) ends the process. A host's toolkit sets one
// when it opens its first window.
void installXErrorHandler();

// A user at the display: clicks made by the X server itself (XTest), so that they
// reach whichever window lies under the pointer, a plug-in's included, as a real
// user's do. It has a connection of its own, apart from the framework's and the
// plug-in's, and answers what that user would see. Coordinates are the screen's
// physical pixels.
class DesktopUser
{
public:
    DesktopUser();
    ~DesktopUser();
    DesktopUser (const DesktopUser&) = delete;
    DesktopUser& operator= (const DesktopUser&) = delete;

    // Null when the user can act; otherwise why not.
    const char* problem() const { return whyNot; }

    // The file descriptor of the user's own connection to the X server.
    int connectionNumber() const;

    bool contains (int x, int y) const;

    // Clicks with the left button.
    void click (int x, int y);

    // The client window with this title, wherever a window manager has put it (its
    // frames lie between the root and the clients), or 0.
    unsigned long findWindow (const char* title) const;

    // Whether a window with this title is on the screen: mapped, and every window
    // around it too (a minimised or hidden one is not).
    bool isShowing (const char* title) const;

    // Where a point of a window lies on the screen; false when the window is gone.
    bool toScreen (unsigned long window, int x, int y, int& screenX, int& screenY) const;

    // The window's size, or false when it is gone.
    bool size (unsigned long window, int& width, int& height) const;

    // The place the window asks the window manager for in its size hints (a user's or a
    // program's position), or false when it asks for none or is gone.
    bool requestedPlace (unsigned long window, int& x, int& y) const;

    // The state a window manager has given the window in its WM_STATE property
    // (1 normal, 3 iconic, 0 withdrawn), or -1 when it has none.
    long windowManagerState (unsigned long window) const;

    // Whether a window manager still holds the window: keeps it in a frame of its own or
    // calls it normal. One that lets go of a window puts it back on the root window and
    // removes its WM_STATE (openbox) or leaves it as it was (fluxbox keeps "iconic" on a
    // minimised window that its client withdrew).
    bool isHeldByWindowManager (unsigned long window) const;

    // Everything the X server says of where a window is, for a report: its place on the
    // screen and size, the frame a window manager put it in, whether it is mapped, its
    // WM_STATE.
    std::string describe (unsigned long window) const;

    // Starts counting the times the window is unmapped, and tells how many since the
    // last call.
    void watch (unsigned long window);
    int timesUnmapped();

    // Whether a window manager runs on the display (one that says so, as they all do).
    bool hasWindowManager() const;

    // What a user asks of the window manager, through the requests it takes from any
    // client: minimise a window, move it, or close it from its title bar. A close goes
    // to the window manager as a pager's does (_NET_CLOSE_WINDOW on the root window),
    // which sends the client WM_DELETE_WINDOW as its close button does.
    void minimise (unsigned long window);
    void move (unsigned long window, int screenX, int screenY);
    void close (unsigned long window);

    // The colour on the screen at (x, y), as 0xRRGGBB.
    unsigned long colourAt (int x, int y) const;

    // How many windows down from the given one the pointer's target at (x, y) lies:
    // 0 when it is that window itself, -1 when the point is outside it.
    int depthBelow (unsigned long window, int x, int y) const;

private:
    struct _XDisplay* display = nullptr;
    const char* whyNot = nullptr;
    unsigned long watched = 0;
};
