#pragma once

#include <functional>

// A console program runs no application loop: these run the framework's message queue
// the way a host's loop does while its user works (its windows' events, timers, and
// the file descriptors a hosted plug-in registers for its own windows, each called
// when it has data), for a while or until something holds.
void dispatchFor (int milliseconds);
bool dispatchUntil (const std::function<bool()>& condition, int timeoutMilliseconds);

// The sockets to an X server that this process holds: the framework's own, a hosted
// plug-in framework's, and any other.
int openXConnections();
