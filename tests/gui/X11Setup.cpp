#include <dlfcn.h>

// The framework installs an X error handler only in applications of its own; in a
// test program a harmless BadAtom from window creation under Xvfb would end the
// process through Xlib's default handler. Xlib is reached through dlopen, like the
// framework does, so that this suite needs no link dependency of its own. Runs
// before main, and so before the framework opens its display connection.
namespace
{
using ErrorHandler = int (*) (void*, void*);

int ignoreXError (void*, void*)
{
    return 0;
}

struct X11Setup
{
    X11Setup()
    {
        void* xlib = dlopen ("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);

        if (xlib == nullptr)
            return;

        if (auto initThreads = reinterpret_cast<int (*)()> (dlsym (xlib, "XInitThreads")))
            initThreads();

        if (auto setHandler = reinterpret_cast<ErrorHandler (*) (ErrorHandler)> (dlsym (xlib, "XSetErrorHandler")))
            setHandler (ignoreXError);

        // Kept loaded once loaded: ThreadSanitizer cannot cope with the software
        // rasteriser, which its suppressions name, being unloaded when the last
        // context closes.
        dlopen ("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);
    }
};

const X11Setup x11Setup;
} // namespace
