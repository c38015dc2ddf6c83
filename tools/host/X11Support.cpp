#include "X11Support.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace
{
int reportXError (Display*, XErrorEvent* event)
{
    std::fprintf (stderr, "toravel-host: ignored X error %d (request %d)\n", (int) event->error_code,
                  (int) event->request_code);
    return 0;
}
} // namespace

void prepareXlibForHosting()
{
    XInitThreads();
    XSetErrorHandler (reportXError);
}
