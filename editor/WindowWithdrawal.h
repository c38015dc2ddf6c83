#pragma once

// Takes a hidden top-level window (its native handle) away from the window manager, as
// the X conventions ask of a client: unmapping alone is not enough when the window
// manager has already unmapped it (minimised, shaded, on another workspace), since the
// window manager then hears nothing and keeps it, an icon it may map again at any
// time. Does nothing where there is no X.
void withdrawFromWindowManager (void* nativeWindow);
