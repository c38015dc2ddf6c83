#include "QuorvelGLScreenshot.h"

void saveOpenGLViewScreenshot (juce::OpenGLAppComponent& view, const juce::File& file)
{
    auto& context = view.openGLContext;

    if (juce::OpenGLContext::getCurrentContext() == &context)
        return;

    if (!context.isAttached() || !view.isShowing())
        return;

    const int width = view.getWidth();
    const int height = view.getHeight();

    if (width <= 0 || height <= 0)
        return;

    context.executeOnGLThread (
        [&view, file, width, height] (juce::OpenGLContext&)
        {
            using namespace juce::gl;

            juce::Image image (juce::OpenGLImageType().create (juce::Image::ARGB, width, height, true));

            if (auto* frameBuffer = juce::OpenGLImageType::getFrameBufferFrom (image))
            {
                frameBuffer->makeCurrentRenderingTarget();
                glViewport (0, 0, width, height);
                view.render();
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
        },
        true);
}
