#include "PluginProcessor.h"

namespace
{
struct ParameterSpec
{
    float defaultValue;
    ZKParameter::Conversion toScaled;
    ZKParameter::Conversion toNormalised;
    const char* unitLabel;
    int numSteps;
};

const int continuous = juce::AudioProcessor::getDefaultNumParameterSteps();

const ParameterSpec parameterSpecs[numTrParams] = {
    { 0.5f, paramToGain, gainToParam, "%", continuous },
    { 0.1f, paramToTrail, trailToParam, "sec", continuous },
    { 0.5f, paramToCarrier, carrierToParam, "hz", continuous },
    { 0.5f, paramToCMRatio, cmRatioToParam, "", continuous },
    { 0.52f, paramToCMRatio, cmRatioToParam, "", continuous },
    { 0.5f, paramToCMRatio, cmRatioToParam, "", continuous },
    { 0.0294f, paramToSpeed, speedToParam, "%m/s", continuous },
    { 0.0f, paramToSpeed, speedToParam, "m/s", continuous },
    { 0.0f, paramToSpeed, speedToParam, "m/s", continuous },
    { 0.4f, paramToBounds, boundsToParam, "m", continuous },
    { 0.4f, paramToBounds, boundsToParam, "m", continuous },
    { 0.0f, paramToBounds, boundsToParam, "m", continuous },
    { 0.0f, paramToBounds, boundsToParam, "m", continuous },
    { 0.0f, paramToBounds, boundsToParam, "m", continuous },
    { 0.0f, paramToBounds, boundsToParam, "m", continuous },
    { 0.1f, paramToEnvTime, envTimeToParam, "sec", continuous },
    { 0.1f, paramToEnvTime, envTimeToParam, "sec", continuous },
    { 0.8f, oneToOne, oneToOne, "%", continuous },
    { 0.5f, paramToEnvTime, envTimeToParam, "sec", continuous },
    { 0.0f, booleanScalar, nullptr, "", 2 },
    { 0.0f, booleanScalar, nullptr, "", 2 },
    { 0.0f, booleanScalar, nullptr, "", 2 },
    { 0.0f, booleanScalar, nullptr, "", 2 },
    { 0.25f, motionTypeScalar, nullptr, "", 5 },
    { 0.0f, dopplerTypeScalar, nullptr, "", 4 },
    { 0.0f, gainTypeScalar, nullptr, "", 3 },
    { 0.33f, panTypeScalar, nullptr, "", 4 },
    { 0.0f, trOscTypeScalar, nullptr, "", 7 },
    { 0.0f, ratioTypeScalar, nullptr, "", 3 },
    { 0.0f, filterTypeScalar, nullptr, "", 3 },
};
} // namespace

QuorvelV2AudioProcessor::QuorvelV2AudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    for (int i = 0; i < numTrParams; ++i)
    {
        const auto& spec = parameterSpecs[i];
        parameters.add (new ZKParameter (trParamNames[i], spec.defaultValue, spec.toScaled, spec.toNormalised,
                                         spec.unitLabel, trParamNames[i], spec.numSteps));
    }
}

QuorvelV2AudioProcessor::~QuorvelV2AudioProcessor() = default;

const juce::String QuorvelV2AudioProcessor::getName() const
{
    return "Toravel";
}

void QuorvelV2AudioProcessor::prepareToPlay (double newSampleRate, int)
{
    sampleRate = newSampleRate;
    synth.setCurrentPlaybackSampleRate (newSampleRate);
}

void QuorvelV2AudioProcessor::releaseResources()
{
}

void QuorvelV2AudioProcessor::processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer&)
{
    buffer.clear();
}

const juce::String QuorvelV2AudioProcessor::getInputChannelName (int index) const
{
    return juce::String (index + 1);
}

const juce::String QuorvelV2AudioProcessor::getOutputChannelName (int index) const
{
    return juce::String (index + 1);
}

bool QuorvelV2AudioProcessor::isInputChannelStereoPair (int) const
{
    return true;
}
bool QuorvelV2AudioProcessor::isOutputChannelStereoPair (int) const
{
    return true;
}
bool QuorvelV2AudioProcessor::silenceInProducesSilenceOut() const
{
    return false;
}
double QuorvelV2AudioProcessor::getTailLengthSeconds() const
{
    return 0.0;
}
bool QuorvelV2AudioProcessor::acceptsMidi() const
{
    return true;
}
bool QuorvelV2AudioProcessor::producesMidi() const
{
    return false;
}

ZKParameter* QuorvelV2AudioProcessor::parameterAt (int index) const
{
    return juce::isPositiveAndBelow (index, parameters.size()) ? parameters.getUnchecked (index) : nullptr;
}

int QuorvelV2AudioProcessor::getNumParameters()
{
    return numTrParams;
}

juce::String QuorvelV2AudioProcessor::getParameterID (int index)
{
    if (auto* p = parameterAt (index))
        return p->identifier;
    return juce::String (index);
}

const juce::String QuorvelV2AudioProcessor::getParameterName (int index)
{
    if (auto* p = parameterAt (index))
        return p->name;
    return {};
}

float QuorvelV2AudioProcessor::getParameter (int index)
{
    if (auto* p = parameterAt (index))
        return p->normalisedValue.load();
    return 0.0f;
}

const juce::String QuorvelV2AudioProcessor::getParameterText (int index)
{
    if (auto* p = parameterAt (index))
        return juce::String (p->scaledValue.load());
    return {};
}

int QuorvelV2AudioProcessor::getParameterNumSteps (int index)
{
    if (auto* p = parameterAt (index))
        return p->numSteps;
    return 0;
}

float QuorvelV2AudioProcessor::getParameterDefaultValue (int index)
{
    if (auto* p = parameterAt (index))
        return p->defaultValue;
    return 0.0f;
}

void QuorvelV2AudioProcessor::setParameter (int index, float newValue)
{
    if (auto* p = parameterAt (index))
    {
        p->normalisedValue.exchange (clampNormalised (newValue));
        p->scaledValue.exchange (p->toScaled (p->normalisedValue.load()));
    }
}

float QuorvelV2AudioProcessor::getScaledParameter (int index)
{
    if (auto* p = parameterAt (index))
        return p->scaledValue.load();
    return 0.0f;
}

void QuorvelV2AudioProcessor::setScaledParameter (int index, float value)
{
    if (auto* p = parameterAt (index))
        p->setScaledValue (value, true);
}

int QuorvelV2AudioProcessor::getNumPrograms()
{
    return 1;
}
int QuorvelV2AudioProcessor::getCurrentProgram()
{
    return 0;
}
void QuorvelV2AudioProcessor::setCurrentProgram (int)
{
}
const juce::String QuorvelV2AudioProcessor::getProgramName (int)
{
    return {};
}
void QuorvelV2AudioProcessor::changeProgramName (int, const juce::String&)
{
}

void QuorvelV2AudioProcessor::setCurrentPresetName (const juce::String& name)
{
    presetName = name;
}
juce::String QuorvelV2AudioProcessor::getCurrentPresetName()
{
    return presetName;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new QuorvelV2AudioProcessor();
}
