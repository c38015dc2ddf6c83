#pragma once

#include <JuceHeader.h>

class ZKLookAndFeel : public juce::LookAndFeel_V3
{
public:
    ZKLookAndFeel();
    ~ZKLookAndFeel() override;

    juce::Font getTextButtonFont (juce::TextButton& button, int buttonHeight) override;
    juce::Font getPopupMenuFont() override;
    juce::Font getComboBoxFont (juce::ComboBox& box) override;
    juce::Font getLabelFont (juce::Label& label) override;
};
