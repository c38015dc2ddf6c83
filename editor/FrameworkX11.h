#pragma once

// What the editor asks of the framework's own connection to the X server. The
// connection is looked up at each call and never kept: the framework closes it when
// the plug-in's last instance goes and opens a new one for the next, and a pointer
// kept across that reads freed memory. Each does nothing where there is no X or no
// connection open.

// The framework reads the events of its connection when the connection's socket has
// data. The OpenGL views' render threads draw through that same connection, and
// waiting for a reply there moves whatever events came before it (a click, an expose)
// from the socket into the connection's queue, where they wait unseen until more data
// arrives. A host that runs the editor's event loop in its idle calls (VST 2.4, LV2)
// polls seldom enough for this to happen often: clicks did nothing, or took effect
// late, two at once, and a newly opened editor stayed unpainted. On the message
// thread: when events wait in that queue, asks the event loop to deliver them (in a
// message of their own, after the caller returns).
void deliverQueuedXEvents();

// Takes a hidden top-level window (its native handle) away from the window manager, as
// the X conventions ask of a client: unmapping alone is not enough when the window
// manager has already unmapped it (minimised, shaded, on another workspace), since the
// window manager then hears nothing and keeps it, an icon it may map again at any
// time. Sent on the framework's connection, so that it reaches the server after the
// framework's own unmap.
void withdrawFromWindowManager (void* nativeWindow);
