#include "ZKLookAndFeel.h"

#include "ZKFonts.h"

ZKLookAndFeel::ZKLookAndFeel()
{
    // The list box frame keeps the base's grey combo-box outline, so it is read
    // before the combo-box outline turns black below.
    setColour (juce::ListBox::outlineColourId, findColour (juce::ComboBox::outlineColourId));
    setColour (juce::ScrollBar::thumbColourId, juce::Colour (0xffbbbbdd));
    setColour (juce::ScrollBar::backgroundColourId, juce::Colours::transparentBlack);
    setColour (juce::Slider::thumbColourId, juce::Colour (0xffbc5000));
    setColour (juce::Slider::trackColourId, juce::Colour (0x7f000000));
    setColour (juce::Slider::textBoxOutlineColourId, juce::Colours::transparentBlack);
    setColour (juce::ProgressBar::backgroundColourId, juce::Colours::white.withAlpha (0.6f));
    setColour (juce::ProgressBar::foregroundColourId, juce::Colours::green.withAlpha (0.7f));
    setColour (juce::PopupMenu::backgroundColourId, juce::Colours::white);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colours::black);
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colours::white);
    setColour (juce::ComboBox::arrowColourId, juce::Colours::black);
    setColour (juce::ComboBox::outlineColourId, juce::Colours::black);
    setColour (juce::ComboBox::buttonColourId, juce::Colours::black);
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::black);
    setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
}

ZKLookAndFeel::~ZKLookAndFeel() = default;

juce::Font ZKLookAndFeel::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return setFontToDizEreviRazu().withHeight ((float) (buttonHeight * 0.6));
}

juce::Font ZKLookAndFeel::getPopupMenuFont()
{
    return setFontToDizEreviRazu().withHeight (14.0f);
}

juce::Font ZKLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    return setFontToDizEreviRazu().withHeight (12.0f);
}

juce::Font ZKLookAndFeel::getLabelFont (juce::Label& label)
{
    return setFontToDizEreviRazu().withHeight (label.getFont().getHeight());
}
