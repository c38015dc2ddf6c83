#pragma once

#include <JuceHeader.h>

// Renders one frame of an OpenGL view into an image, paints the view's component
// layer over it and writes the result as a PNG file, replacing an existing file.
//
// The capture runs on the view's own OpenGL thread while the calling (message)
// thread waits: the context is never made current on the message thread, so it
// cannot collide with the render thread's use of it, and nothing is left current
// behind that would block the next screenshot. Does nothing when the view's context
// is already current on the calling thread, or when the view is not on screen and
// so has no context to render with.
void saveOpenGLViewScreenshot (juce::OpenGLAppComponent& view, const juce::File& file);
