#include "HostWindow.h"
#include "HostEventLoop.h"
#include "X11Support.h"

std::unique_ptr<juce::DocumentWindow> showInWindow (juce::AudioProcessorEditor* editor, const DesktopUser& user,
                                                    int timeoutMilliseconds, juce::String& error)
{
    auto window =
        std::make_unique<juce::DocumentWindow> (editor->getAudioProcessor()->getName(), juce::Colours::black, 0, false);
    window->setUsingNativeTitleBar (true);
    window->setContentComponentSize (editor->getWidth(), editor->getHeight());
    window->setTopLeftPosition (0, 0);
    window->addToDesktop();
    window->setContentOwned (editor, true);
    auto* peer = window->getPeer();
    // The framework sends a window's bounds again at its first paint; made after a window
    // manager has framed the window, that paint asked for the place it had read back inside
    // the frame, and the window moved down by its title bar while the user was clicking
    // in it. Made before the map, it asks for the place given above.
    peer->repaint ({ 0, 0, 1, 1 });
    peer->performAnyPendingRepaintsNow();
    window->setVisible (true);

    const auto native = (unsigned long) (juce::pointer_sized_uint) peer->getNativeHandle();
    const auto scale = peer->getPlatformScaleFactor();
    const int wantedWidth = juce::roundToInt (window->getWidth() * scale),
              wantedHeight = juce::roundToInt (window->getHeight() * scale);
    int width = 0, height = 0;
    if (dispatchUntil (
            [&] {
                return window->isShowing() && user.size (native, width, height) && width == wantedWidth &&
                       height == wantedHeight;
            },
            timeoutMilliseconds))
        return window;

    error = "the editor's window did not show at " + juce::String (wantedWidth) + " x " + juce::String (wantedHeight) +
            ": " + juce::String (user.describe (native));
    return nullptr;
}

void closeWindow (std::unique_ptr<juce::DocumentWindow>& window)
{
    dispatchUntilIdle (2000);
    window.reset();
}
