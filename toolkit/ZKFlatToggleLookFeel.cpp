#include "ZKFlatToggleLookFeel.h"

#include "ZKFonts.h"

ZKFlatToggleLookFeel::ZKFlatToggleLookFeel (juce::Colour tick, juce::Colour disabled)
    : tickColour (tick), disabledColour (disabled), outlineColour (juce::Colours::black)
{
}

ZKFlatToggleLookFeel::~ZKFlatToggleLookFeel() = default;

void ZKFlatToggleLookFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool isMouseOverButton,
                                             bool isButtonDown)
{
    const int w = button.getWidth();
    const int h = button.getHeight();
    const bool enabled = button.isEnabled();

    g.setColour (enabled ? outlineColour : disabledColour);
    g.drawRect (0, 0, w, h, 1);
    g.drawRect (0, 0, h, h, 1);

    drawTickBox (g, button, 0.0f, 0.0f, (float) h, (float) h, button.getToggleState(), enabled, isMouseOverButton,
                 isButtonDown);

    g.setColour (button.findColour (juce::ToggleButton::textColourId));
    g.setFont (setFontToDizEreviRazu().withHeight (10.0f));

    if (!enabled)
        g.setOpacity (0.5f);

    g.drawFittedText (button.getButtonText(), h + 5, 0, w - h - 7, h, juce::Justification::centredLeft, 10, 0.7f);
}

void ZKFlatToggleLookFeel::drawTickBox (juce::Graphics& g, juce::Component&, float x, float y, float w, float h,
                                        bool ticked, bool isEnabled, bool, bool)
{
    if (!ticked)
        return;

    g.setColour (isEnabled ? tickColour : disabledColour);
    g.fillRect (x + 1.0f, y + 1.0f, w - 2.0f, h - 2.0f);
}
