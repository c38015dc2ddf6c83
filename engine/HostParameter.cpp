#include "HostParameter.h"
#include "PluginProcessor.h"

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

HostParameter::HostParameter (QuorvelV2AudioProcessor& processor, int parameterIndex)
    : AudioProcessorParameterWithID ({ processor.getParameterID (parameterIndex), 1 },
                                     processor.getParameterName (parameterIndex)),
      owner (processor), index (parameterIndex)
{
}

float HostParameter::getValue() const
{
    return owner.getParameter (index);
}

void HostParameter::setValue (float newValue)
{
    owner.setParameter (index, newValue);
}

float HostParameter::getDefaultValue() const
{
    return owner.getParameterDefaultValue (index);
}

int HostParameter::getNumSteps() const
{
    return owner.getParameterNumSteps (index);
}

bool HostParameter::isDiscrete() const
{
    return owner.isParameterDiscrete (index);
}

bool HostParameter::isBoolean() const
{
    return isDiscrete() && getNumSteps() == 2;
}

// A value's text is the one the processor would show once it holds that value: the
// name of the switch or choice value it selects, else the number in the engine's unit.
juce::String HostParameter::getText (float normalisedValue, int maximumLength) const
{
    const auto scaled = owner.parameters[index]->toScaled (clampNormalised (normalisedValue));
    const auto names = trParamValueNames (index);
    const auto item = (int) scaled;
    const auto text = isDiscrete() && juce::isPositiveAndBelow (item, names.size()) ? names[item] : juce::String (scaled);
    return text.substring (0, maximumLength);
}

float HostParameter::getValueForText (const juce::String& text) const
{
    const auto& parameter = *owner.parameters[index];
    if (parameter.toNormalised != nullptr)
        return clampNormalised (parameter.toNormalised (text.getFloatValue()));
    const auto named = trParamValueNames (index).indexOf (text);
    const auto item = named >= 0 ? named : text.getIntValue();
    return clampNormalised ((float) item / (float) (parameter.numSteps - 1));
}

juce::String HostParameter::getCurrentValueAsText() const
{
    return owner.getParameterText (index);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
