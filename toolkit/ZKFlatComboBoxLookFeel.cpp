#include "ZKFlatComboBoxLookFeel.h"

#include "ZKFonts.h"

ZKFlatComboBoxLookFeel::ZKFlatComboBoxLookFeel()
{
    setColour (juce::PopupMenu::backgroundColourId, juce::Colours::white);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xffdd0b0b));
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colours::white);
    backgroundColour = juce::Colours::white;
    outlineColour = juce::Colours::black;
}

ZKFlatComboBoxLookFeel::~ZKFlatComboBoxLookFeel() = default;

juce::Font ZKFlatComboBoxLookFeel::getPopupMenuFont()
{
    return setFontToDizEreviRazu().withHeight (12.0f);
}

void ZKFlatComboBoxLookFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int, int, int,
                                           juce::ComboBox&)
{
    g.fillAll (backgroundColour);
    g.setColour (outlineColour);
    g.drawRect (0, 0, width, height, 1);
}

juce::Font ZKFlatComboBoxLookFeel::getComboBoxFont (juce::ComboBox& box)
{
    return setFontToDizEreviRazu().withHeight ((float) (box.getHeight() * 0.6));
}
