#pragma once

#include <functional>

// A console program runs no application loop: these run the framework's message queue
// the way a host's loop does while its user works (its windows' events, timers, and
// the file descriptors a hosted plug-in registers for its own windows, each called
// when it has data), for a while or until something holds.
void dispatchFor (int milliseconds);
bool dispatchUntil (const std::function<bool()>& condition, int timeoutMilliseconds);

// Runs passes of the loop until one finds nothing to do, so that what the last events
// posted has run (or until the timeout, should a busy window never let it rest).
void dispatchUntilIdle (int timeoutMilliseconds);

// The sockets to an X server that this process holds but for this program's own: its
// framework's and the one given (a DesktopUser's). What is left belongs to a hosted
// plug-in's framework, or was leaked.
int otherXConnections (int ownConnection);
