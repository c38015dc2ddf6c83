#pragma once

// Plug-ins that open X connections from several threads need Xlib's locking set up
// before anything else touches X, and a console program has no handler of its own:
// without one, a harmless protocol error (such as a BadAtom from a plug-in's window
// code) would end the process.
void prepareXlibForHosting();

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

    bool contains (int x, int y) const;

    // Clicks with the left button, count times with no pause between.
    void click (int x, int y, int count = 1);

    // The client window with this title, wherever a window manager has put it (its
    // frames lie between the root and the clients), or 0.
    unsigned long findWindow (const char* title) const;

    // Whether a window with this title is on the screen: mapped, and every window
    // around it too (a minimised or hidden one is not).
    bool isShowing (const char* title) const;

    // Where a point of a window lies on the screen; false when the window is gone.
    bool toScreen (unsigned long window, int x, int y, int& screenX, int& screenY) const;

    // Whether a window manager runs on the display (one that says so, as they all do).
    bool hasWindowManager() const;

    // What a user asks of the window manager, through the requests it takes from any
    // client: minimise a window, move it, or close it from its title bar
    // (WM_DELETE_WINDOW, which also reaches a window no manager looks after).
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
};
