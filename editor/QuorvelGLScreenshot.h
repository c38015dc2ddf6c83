#pragma once

#include <JuceHeader.h>

#include <functional>

// A screenshot asked for on the message thread and taken by the view's OpenGL
// render thread in its next frame. The framework renders the frames of all views on
// one shared thread, so the message thread can neither wait for that thread (a frame
// of another view may be waiting for the message thread) nor take the context over
// itself (GLX lets a context be current on one thread only, and the render thread
// still holds it for the buffer swap after each frame).
class GLScreenshotRequest
{
public:
    void request (const juce::File& file);
    // The pending file, if any, which is then no longer pending.
    juce::File take();

private:
    juce::CriticalSection lock;
    juce::File pending;
};

// On the render thread, with the view's context current: draws one frame with draw()
// into a cleared ARGB image of the view's size, paints the view's component layer
// over it and writes it as PNG, replacing an existing file. A file that cannot be
// written is not reported.
void writeOpenGLScreenshot (juce::Component& view, const std::function<void()>& draw, const juce::File& file);
