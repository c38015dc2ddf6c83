#pragma once

#include <JuceHeader.h>

class ZKLoadSaveButtonLookFeel : public juce::LookAndFeel_V3
{
public:
    ZKLoadSaveButtonLookFeel (int unused, juce::Colour outline);
    ~ZKLoadSaveButtonLookFeel() override;

    void drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                               bool isMouseOverButton, bool isButtonDown) override;
    void drawButtonText (juce::Graphics& g, juce::TextButton& button, bool isMouseOverButton,
                         bool isButtonDown) override;

    void drawButtonShape (juce::Graphics& g, const juce::Path& outline, juce::Colour baseColour, float height);

    // Public so that an owner can restyle its instance after construction.
    juce::Colour outlineColour;
    juce::Colour fillColour;
};
