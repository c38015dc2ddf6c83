#pragma once

// The framework reads the events of its X connection when the connection's socket has
// data. The OpenGL views' render threads draw through that same connection, and
// waiting for a reply there moves whatever events came before it (a click, an expose)
// from the socket into the connection's queue, where they wait unseen until more data
// arrives. A host that runs the editor's event loop in its idle calls (VST 2.4, LV2)
// polls seldom enough for this to happen often: clicks did nothing, or took effect
// late, two at once, and a newly opened editor stayed unpainted. The editor's timer
// has such events handed on.

// On a view's render thread, with its context current: notes the connection it draws
// through, which is the framework's.
void noteOpenGLConnection();

// On the message thread: when events wait in that connection's queue, asks the event
// loop to deliver them (in a message of their own, after the caller returns).
void deliverQueuedXEvents();
