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
