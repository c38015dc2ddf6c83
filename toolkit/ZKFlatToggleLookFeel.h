#pragma once

#include <JuceHeader.h>

class ZKFlatToggleLookFeel : public juce::LookAndFeel_V3
{
public:
    ZKFlatToggleLookFeel (juce::Colour tickColour, juce::Colour disabledColour);
    ~ZKFlatToggleLookFeel() override;

    void drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool isMouseOverButton,
                           bool isButtonDown) override;
    void drawTickBox (juce::Graphics& g, juce::Component& component, float x, float y, float w, float h, bool ticked,
                      bool isEnabled, bool isMouseOverButton, bool isButtonDown) override;

    juce::Colour tickColour;
    juce::Colour disabledColour;
    juce::Colour outlineColour;
};
