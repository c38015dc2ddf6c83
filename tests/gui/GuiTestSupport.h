#pragma once

#include <JuceHeader.h>
#include <gtest/gtest.h>

#include <functional>

namespace juce
{
// The framework's own dispatch step on Linux; plug-in builds have no modal loops,
// so the tests drive the message queue through it.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace guitest
{
// Runs the message loop (timers, async updates, OpenGL lock requests) for a while.
inline void pump (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

    while (juce::Time::getMillisecondCounter() < end)
    {
        if (!juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
    }
}

// Runs the message loop until the condition holds or the time is up. The default is
// made for a loaded machine drawing with software OpenGL; a wait that holds costs
// nothing.
inline bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds = 60000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;

    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return false;

        if (!juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
    }

    return true;
}

inline juce::File outputFolder()
{
    auto folder = juce::File (TORAVEL_BUILD_DIR).getChildFile ("gui-screenshots");
    folder.createDirectory();
    return folder;
}

inline juce::Image loadPng (const juce::File& file)
{
    return juce::ImageFileFormat::loadFrom (file);
}

inline void savePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
}

// Renders of the compiled-in typeface, labels and icons, kept apart from the editor's screenshots.
inline void saveResourcePng (const juce::Image& image, const juce::String& name)
{
    auto folder = juce::File (TORAVEL_BUILD_DIR).getChildFile ("test-output").getChildFile ("resources");
    folder.createDirectory();
    savePng (image, folder.getChildFile (name + ".png"));
}

inline bool isDark (juce::Colour c, int limit = 100)
{
    return c.getRed() < limit && c.getGreen() < limit && c.getBlue() < limit;
}

inline bool isWhite (juce::Colour c)
{
    return c.getRed() > 245 && c.getGreen() > 245 && c.getBlue() > 245;
}

inline int countPixels (const juce::Image& image, juce::Rectangle<int> area,
                        const std::function<bool (juce::Colour)>& test)
{
    int count = 0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (test (image.getPixelAt (x, y)))
                ++count;

    return count;
}

inline juce::MouseEvent mouseEvent (juce::Component& component, juce::Point<float> position, int clicks = 1)
{
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (source, position, juce::ModifierKeys::leftButtonModifier, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                             &component, &component, now, position, now, clicks, true);
}

inline juce::MouseWheelDetails wheel (float deltaX, float deltaY)
{
    juce::MouseWheelDetails details;
    details.deltaX = deltaX;
    details.deltaY = deltaY;
    details.isReversed = false;
    details.isSmooth = false;
    details.isInertial = false;
    return details;
}
} // namespace guitest
