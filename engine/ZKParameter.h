#pragma once

#include <JuceHeader.h>

#include <atomic>

// One automatable parameter: the host's normalised 0..1 value beside the value in
// the engine's unit. Host threads, the audio thread, the editor's timers and the
// 3-D view's overlay all touch the two values without a lock, so each is an atomic
// float, loaded for every read and exchanged for every write. The two are not one
// unit: a reader may briefly see a new normalised value beside the old scaled one.
// Everything else is written by the constructor only.
class ZKParameter
{
public:
    using Conversion = float (*) (float);

    ZKParameter (juce::String name, float defaultValue, Conversion toScaled, Conversion toNormalised,
                 juce::String unitLabel, juce::String identifier, int numSteps);

    // The scaled value is taken as given, even beyond the range a normalised value
    // can reach; only the normalised value is held to 0..1.
    void setScaledValue (float value, bool updateNormalised);

    std::atomic<float> normalisedValue;
    std::atomic<float> scaledValue;
    const juce::String unitLabel;
    const juce::String name;
    const juce::String identifier;
    const Conversion toScaled;
    const Conversion toNormalised;
    const float defaultValue;
    const int numSteps;
};

// Holds a normalised value to 0..1; NaN, which no host value should be, reads as 0
// so that it never reaches the engine.
float clampNormalised (float value);

constexpr int numTrParams = 30;

// Names and saved identifiers of the parameters, in index order.
extern const char* const trParamNames[numTrParams];

// The texts of a switch's or a choice's values in order, as the editor's boxes show
// them and hosts that list values read them. Empty for continuous parameters; a
// value beyond the list (a host may set "pan_type" to 2 or 3) has no text of its own.
juce::StringArray trParamValueNames (int index);

// Parameter indices, the order used by hosts, the editor, the views and the saved state.
enum ETrParam : int
{
    kParamGain = 0,
    kParamTrail,
    kParamCarrier,
    kParamRatioX,
    kParamRatioY,
    kParamRatioZ,
    kParamVelX,
    kParamVelY,
    kParamVelZ,
    kParamBndX1,
    kParamBndX2,
    kParamBndY1,
    kParamBndY2,
    kParamBndZ1,
    kParamBndZ2,
    kParamAttack,
    kParamDecay,
    kParamSustain,
    kParamRelease,
    kParamADSR,
    kParamSymmX,
    kParamSymmY,
    kParamSymmZ,
    kParamMotionType,
    kParamDopplerType,
    kParamGainType,
    kParamPanType,
    kParamOsc1Type,
    kParamRatioType,
    kParamFilterType
};
