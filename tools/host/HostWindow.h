#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

class DesktopUser;

// The window a host shows a plug-in's editor in: a native title bar, and the editor's
// size before it goes on the desktop. A window manager may keep the size a window is
// first mapped with (fluxbox did on a busy machine) and shrink the editor with it, so
// the window has its native window at that size before the editor goes in and is
// mapped only then. Takes the editor; returns the window once the X server shows it at
// the editor's size, or nothing, with why in error.
std::unique_ptr<juce::DocumentWindow> showInWindow (juce::AudioProcessorEditor* editor, const DesktopUser& user,
                                                    int timeoutMilliseconds, juce::String& error);

// Deletes the window, and the editor in it, once the loop has nothing left to do. The
// framework's embedding component posts, for each ConfigureNotify of the window it
// embeds, a message that holds a plain pointer to itself; deleted while one waits, it
// leaves the message to read freed memory. A loop that ended just after it delivered
// such an event from its connection's queue left one waiting.
void closeWindow (std::unique_ptr<juce::DocumentWindow>& window);
