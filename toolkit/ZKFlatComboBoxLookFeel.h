#pragma once

#include <JuceHeader.h>

class ZKFlatComboBoxLookFeel : public juce::LookAndFeel_V3
{
public:
    ZKFlatComboBoxLookFeel();
    ~ZKFlatComboBoxLookFeel() override;

    juce::Font getPopupMenuFont() override;
    void drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                       int buttonW, int buttonH, juce::ComboBox& box) override;
    juce::Font getComboBoxFont (juce::ComboBox& box) override;

    juce::Colour backgroundColour;
    juce::Colour outlineColour;
};
