#include "ZKLoadSaveButtonLookFeel.h"

ZKLoadSaveButtonLookFeel::ZKLoadSaveButtonLookFeel (int, juce::Colour outline)
{
    setColour (juce::TextButton::buttonColourId, juce::Colour (0x00000000));
    setColour (juce::TextButton::buttonOnColourId, juce::Colour (0x00000000));
    setColour (juce::TextButton::textColourOnId, juce::Colour (0x00000000));
    setColour (juce::TextButton::textColourOffId, juce::Colour (0x00000000));
    fillColour = juce::Colour (0x00000000);
    outlineColour = outline;
}

ZKLoadSaveButtonLookFeel::~ZKLoadSaveButtonLookFeel() = default;

void ZKLoadSaveButtonLookFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&, bool,
                                                     bool)
{
    const int width = button.getWidth();
    const int height = button.getHeight();

    if (width - 1 > 0 && height - 1 > 0)
    {
        juce::Path outline;
        outline.addRectangle (0.5f, 0.5f, (float) (width - 1), (float) (height - 1));
        drawButtonShape (g, outline, fillColour, (float) height);
    }
}

void ZKLoadSaveButtonLookFeel::drawButtonText (juce::Graphics&, juce::TextButton&, bool, bool)
{
}

void ZKLoadSaveButtonLookFeel::drawButtonShape (juce::Graphics& g, const juce::Path& outline, juce::Colour, float)
{
    g.setColour (fillColour);
    g.fillPath (outline);
    g.setColour (outlineColour);
    g.strokePath (outline, juce::PathStrokeType (1.0f));
}
