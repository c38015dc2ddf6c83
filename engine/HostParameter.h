#pragma once

#include <JuceHeader.h>

class QuorvelV2AudioProcessor;

// The framework's LV2 wrapper tells hosts that a parameter is a switch, and names a
// choice's values, only for parameter objects; for the legacy index-based interface
// it writes neither. The processor gives the LV2 wrapper one of these per parameter.
// Each holds no value of its own: every answer comes from the processor's
// index-based operations, so LV2 hosts read the values, defaults and texts that the
// other formats read, and the parameter's saved identifier stays its LV2 identifier.
class HostParameter : public juce::AudioProcessorParameterWithID
{
public:
    HostParameter (QuorvelV2AudioProcessor& processor, int index);

    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override;
    int getNumSteps() const override;
    bool isDiscrete() const override;
    bool isBoolean() const override;
    juce::String getText (float normalisedValue, int maximumLength) const override;
    float getValueForText (const juce::String& text) const override;
    juce::String getCurrentValueAsText() const override;

private:
    QuorvelV2AudioProcessor& owner;
    const int index;
};
