#pragma once

// Plug-ins that open X connections from several threads need Xlib's locking set up
// before anything else touches X, and a console program has no handler of its own:
// without one, a harmless protocol error (such as a BadAtom from a plug-in's window
// code) would end the process.
void prepareXlibForHosting();
