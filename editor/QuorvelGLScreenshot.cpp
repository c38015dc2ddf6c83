#include "QuorvelGLScreenshot.h"

void GLScreenshotRequest::request (const juce::File& file)
{
    const juce::ScopedLock sl (lock);
    pending = file;
}

juce::File GLScreenshotRequest::take()
{
    const juce::ScopedLock sl (lock);
    auto file = pending;
    pending = juce::File();
    return file;
}

void writeOpenGLScreenshot (juce::Component& view, const std::function<void()>& draw, const juce::File& file)
{
    using namespace juce::gl;

    const int width = view.getWidth();
    const int height = view.getHeight();

    if (width <= 0 || height <= 0)
        return;

    juce::Image image (juce::OpenGLImageType().create (juce::Image::ARGB, width, height, true));

    if (auto* frameBuffer = juce::OpenGLImageType::getFrameBufferFrom (image))
    {
        frameBuffer->makeCurrentRenderingTarget();
        glViewport (0, 0, width, height);
        draw();

        // Blending leaves the coverage of lines and the sphere in the frame's alpha,
        // which a window ignores; an image viewer would show them faded. The snapshot
        // is made opaque, as on screen.
        glColorMask (GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
        glClearColor (0.0f, 0.0f, 0.0f, 1.0f);
        glClear (GL_COLOR_BUFFER_BIT);
        glColorMask (GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

        frameBuffer->releaseAsRenderingTarget();
    }

    {
        juce::Graphics g (image);
        view.paint (g);
    }

    if (file.exists())
        file.deleteFile();

    juce::FileOutputStream stream (file, 16384);

    if (stream.openedOk())
        juce::PNGImageFormat().writeImageToStream (image, stream);
}
