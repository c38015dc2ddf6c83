#include "ZKParameter.h"

const char* const trParamNames[numTrParams] = { "gain",      "trail",    "carrier",   "ratio_x",     "ratio_y",
                                                "ratio_z",   "vel_x",    "vel_y",     "vel_z",       "bnd_x1",
                                                "bnd_x2",    "bnd_y1",   "bnd_y2",    "bnd_z1",      "bnd_z2",
                                                "attack",    "decay",    "sustain",   "release",     "ADSR",
                                                "symm_x",    "symm_y",   "symm_z",    "motion_type", "doppler_type",
                                                "gain_type", "pan_type", "osc1_type", "ratio_type",  "filter_type" };

juce::StringArray trParamValueNames (int index)
{
    switch (index)
    {
        case kParamADSR:
        case kParamSymmX:
        case kParamSymmY:
        case kParamSymmZ:
            return { "off", "on" };
        case kParamMotionType:
            return { "square", "sine", "triangle", "saw", "saw inv" };
        case kParamDopplerType:
            return { "symm", "true", "true (=)", "off" };
        case kParamGainType:
            return { "1/d", "1/d2", "off" };
        case kParamPanType:
            return { "off", "stereo" };
        case kParamOsc1Type:
            return { "sine", "saw", "square", "triangle", "noise", "audio", "scan" };
        case kParamRatioType:
            return { "c/m off", "c/m bnd", "c/m vel" };
        case kParamFilterType:
            return { "4x", "1x", "off" };
        default:
            return {};
    }
}

float clampNormalised (float value)
{
    if (value > 1.0f)
        return 1.0f;
    return value > 0.0f ? value : 0.0f;
}

namespace
{
juce::String savedIdentifier (const juce::String& identifier, const juce::String& name)
{
    return identifier == "xml" ? name : identifier;
}
} // namespace

ZKParameter::ZKParameter (juce::String name_, float defaultValue_, Conversion toScaled_, Conversion toNormalised_,
                          juce::String unitLabel_, juce::String identifier_, int numSteps_)
    : normalisedValue (defaultValue_), scaledValue (toScaled_ (normalisedValue.load())),
      unitLabel (std::move (unitLabel_)), name (std::move (name_)), identifier (savedIdentifier (identifier_, name)),
      toScaled (toScaled_), toNormalised (toNormalised_), defaultValue (defaultValue_), numSteps (numSteps_)
{
}

void ZKParameter::setScaledValue (float value, bool updateNormalised)
{
    scaledValue.exchange (value);
    if (toNormalised != nullptr && updateNormalised)
        normalisedValue.exchange (clampNormalised (toNormalised (scaledValue.load())));
}
