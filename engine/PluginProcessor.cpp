#include "PluginProcessor.h"
#include "HostParameter.h"
#include "PluginEditor.h"

#include "QuorvelSynth.h"

#include <algorithm>
#include <cmath>
#include <iterator>

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
    for (int c = 0; c < 2; ++c)
    {
        filter8x[c] = std::make_unique<al::BiQuadNX> (8, al::BIQUAD_LOWPASS, 44100.0);
        filter1x[c] = std::make_unique<al::BiQuad> (al::BIQUAD_LOWPASS, 44100.0);
        filter4x[c] = std::make_unique<al::BiQuadNX> (4, al::BIQUAD_LOWPASS, 44100.0);
        filter8x[c]->set (19000.0, 0.26, 0.0);
    }

    for (int i = 0; i < numTrParams; ++i)
    {
        const auto& spec = parameterSpecs[i];
        parameters.add (new ZKParameter (trParamNames[i], spec.defaultValue, spec.toScaled, spec.toNormalised,
                                         spec.unitLabel, trParamNames[i], spec.numSteps));
    }

    // Only the LV2 wrapper is given parameter objects (HostParameter.h). The others
    // gain nothing from them, and with objects the VST3 wrapper would move its own
    // bypass parameter to another identifier than the one hosts have stored.
    if (wrapperType == wrapperType_LV2)
        for (int i = 0; i < numTrParams; ++i)
            addParameter (new HostParameter (*this, i));

    al::SpeakerLayout layout;
    layout.addSpeaker (al::Speaker (0, -90.0f, 0.0f, 1.0f, 1.0f));
    layout.addSpeaker (al::Speaker (1, 90.0f, 0.0f, 1.0f, 1.0f));
    stereoPanner = std::make_unique<al::StereoPanner> (layout);
    dbapPanner = std::make_unique<al::Dbap> (layout, 1.0f);
    stereoPanner->enabled = true;
    dbapPanner->enabled = false;

    scene.createListener (stereoPanner.get());
    listenerSwitch.begin();
    scene.perSampleProcessing = true;

    auto& agent = agents[0];
    agent.useAttenuation = false;
    scene.addSource (agent);
    agent.nearDistance = 0.1;
    agent.setScale();
    agent.farDistance = 20.0;
    agent.setScale();

    synth.addVoice (new QuorvelSynthVoice (&agent));
    synth.addSound (new QuorvelSynthSound());

    for (auto& channel : spareOutput)
        channel.assign ((size_t) maxSliceSamples, 0.0f);

    updateProcessorParameters();
}

QuorvelV2AudioProcessor::~QuorvelV2AudioProcessor()
{
    for (int c = 0; c < 2; ++c)
    {
        filter8x[c].reset();
        filter1x[c].reset();
        filter4x[c].reset();
    }
    dbapPanner.reset();
    stereoPanner.reset();
}

const juce::String QuorvelV2AudioProcessor::getName() const
{
    return "Toravel";
}

void QuorvelV2AudioProcessor::prepareToPlay (double newSampleRate, int samplesPerBlock)
{
    sampleRate = newSampleRate;
    scene.numFrames (samplesPerBlock);
    sliceSamples = samplesPerBlock > 0 ? juce::jmin (samplesPerBlock, maxSliceSamples) : maxSliceSamples;
    synth.setCurrentPlaybackSampleRate (newSampleRate);
    for (int c = 0; c < 2; ++c)
    {
        filter1x[c]->sampleRate = newSampleRate;
        filter4x[c]->setSampleRate (newSampleRate);
    }
    oscillatorClock.spu (newSampleRate);
    auto& envelope = agents[0].adsr;
    const float envelopeRate = envelope.sampleRate;
    agents[0].setSampleRate ((float) newSampleRate);
    // The derivation sets the envelope again only for a stage whose time changed; its
    // curves count samples, so a new rate needs them fixed again or every stage would
    // keep the length it had at the old rate.
    if (envelope.sampleRate != envelopeRate)
        envelope.setEnvelope (envelope.attackTime, envelope.decayTime, envelope.sustainLevel, envelope.releaseTime,
                              envelope.curve);
    updateProcessorParameters();
}

void QuorvelV2AudioProcessor::releaseResources()
{
}

void QuorvelV2AudioProcessor::storeInput (const juce::AudioSampleBuffer& buffer, int start, int length)
{
    const int inputs = juce::jmin (getTotalNumInputChannels(), buffer.getNumChannels(), Agent::inputChannels);
    for (int c = 0; c < inputs; ++c)
        std::copy_n (buffer.getReadPointer (c, start), length, agents[0].inputStore[c]);
}

void QuorvelV2AudioProcessor::renderSlice (juce::AudioSampleBuffer& buffer, int start, int length,
                                           bool inputAlreadyStored)
{
    if (!inputAlreadyStored)
    {
        storeInput (buffer, start, length);
        for (int c = 0; c < buffer.getNumChannels(); ++c)
            buffer.clear (c, start, length);
    }

    float* outputs[2];
    for (int c = 0; c < 2; ++c)
    {
        if (c < buffer.getNumChannels())
            outputs[c] = buffer.getWritePointer (c, start);
        else
        {
            std::fill_n (spareOutput[c].data(), length, 0.0f);
            outputs[c] = spareOutput[c].data();
        }
    }
    scene.render (outputs, length, sampleRate);
}

// A block longer than the engine is sized for (the prepared size, and at most the
// 4096 samples of the input store) is rendered in slices; parameters and MIDI are
// still taken once, at the start of the whole block.
void QuorvelV2AudioProcessor::processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer& midi)
{
    // The filters' recursions decay through the denormal range after every sound;
    // there each operation costs many times its usual time.
    juce::ScopedNoDenormals noDenormals;
    listenerSwitch.adopt();

    const int n = buffer.getNumSamples();
    const int inputs = getTotalNumInputChannels();
    const int outputs = juce::jmin (getTotalNumOutputChannels(), buffer.getNumChannels());
    for (int c = inputs; c < outputs; ++c)
        buffer.clear (c, 0, n);

    const int firstSlice = juce::jmin (n, sliceSamples);
    storeInput (buffer, 0, firstSlice);
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        buffer.clear (c, 0, firstSlice);

    updateProcessorParameters();
    synth.renderNextBlock (buffer, midi, 0, n);

    renderSlice (buffer, 0, firstSlice, true);
    for (int start = firstSlice; start < n; start += sliceSamples)
        renderSlice (buffer, start, juce::jmin (sliceSamples, n - start), false);

    const int filtered = juce::jmin (numChannels, buffer.getNumChannels());
    al::BiQuad* chains[2][maxChainLength];
    const int chainLength = filtered == 2 ? filterChains (chains) : -1;
    if (chainLength >= 0)
    {
        // The two channels' filters together: the same samples as one after another.
        al::processStereoChains (chains[0], chains[1], chainLength, buffer.getWritePointer (0),
                                 buffer.getWritePointer (1), n);
    }
    else
    {
        for (int c = 0; c < filtered; ++c)
        {
            float* samples = buffer.getWritePointer (c);
            if (filterType == 1)
                filter1x[c]->processBuffer (samples, n);
            else if (filterType == 0)
                filter4x[c]->processBuffer (samples, n);
            filter8x[c]->processBuffer (samples, n);
        }
    }

    if (!filtersFinite())
        recoverFilters (buffer, filtered, n);
}

namespace
{
bool stateFinite (const al::BiQuad& b)
{
    return std::isfinite (b.x1 + b.x2 + b.y1 + b.y2);
}

void clearState (al::BiQuad& b)
{
    b.x1 = b.x2 = b.y1 = b.y2 = 0.0;
}
} // namespace

bool QuorvelV2AudioProcessor::filtersFinite() const
{
    for (int c = 0; c < 2; ++c)
    {
        if (!stateFinite (*filter1x[c]))
            return false;
        for (const auto* cascade : { filter4x[c].get(), filter8x[c].get() })
            for (int s = 0; s < cascade->numStages; ++s)
                if (!stateFinite (cascade->stages[s]))
                    return false;
    }
    return true;
}

// A sample that is not a number, or a sum that overflowed (a gain or an input far
// beyond any sound), would stay in a filter's recursion for good and silence the
// plug-in until it is loaded again. Such samples leave as silence and the filters
// start again from rest.
void QuorvelV2AudioProcessor::recoverFilters (juce::AudioSampleBuffer& buffer, int channels, int n)
{
    for (int c = 0; c < 2; ++c)
    {
        clearState (*filter1x[c]);
        for (auto* cascade : { filter4x[c].get(), filter8x[c].get() })
            for (int s = 0; s < cascade->numStages; ++s)
                clearState (cascade->stages[s]);
    }
    for (int c = 0; c < channels; ++c)
    {
        float* samples = buffer.getWritePointer (c);
        for (int i = 0; i < n; ++i)
            if (!std::isfinite (samples[i]))
                samples[i] = 0.0f;
    }
}

int QuorvelV2AudioProcessor::filterChains (al::BiQuad* (&out)[2][maxChainLength]) const
{
    int length = -1;
    for (int c = 0; c < 2; ++c)
    {
        int k = 0;
        auto add = [&] (al::BiQuad* section)
        {
            if (k < maxChainLength)
                out[c][k] = section;
            ++k;
        };
        if (filterType == 1)
            add (filter1x[c].get());
        else if (filterType == 0)
            for (int i = 0; i < filter4x[c]->numStages; ++i)
                add (filter4x[c]->stages + i);
        for (int i = 0; i < filter8x[c]->numStages; ++i)
            add (filter8x[c]->stages + i);
        if (k > maxChainLength || (c == 1 && k != length))
            return -1;
        length = k;
    }
    return length;
}

namespace
{
// Truncation toward zero of a choice read from a scaled value, which text entry may
// have set to anything: a value beyond int's range (or NaN) becomes -1, a choice that
// every use treats as none of its items.
int choiceIndex (float value)
{
    if (!(value > -2147483648.0f && value < 2147483648.0f))
        return -1;
    return (int) value;
}

// Trail points for a trail of the given seconds: one per sample, plus one. A negative
// or undefined length asks for the single point.
int trailPoints (float seconds, double rate)
{
    const double points = (double) seconds * rate + 1.0;
    if (!(points >= 1.0))
        return 1;
    return points < (double) QuorvelV2AudioProcessor::maxTrailPoints ? (int) points
                                                                     : QuorvelV2AudioProcessor::maxTrailPoints;
}
} // namespace

void QuorvelV2AudioProcessor::updateProcessorParameters()
{
    auto& agent = agents[0];
    const float f = (float) agent.currentFreq;

    agent.resizeTrail (trailPoints (scaled (kParamTrail), sampleRate));
    agent.gain = scaled (kParamGain);
    agent.sourceType = choiceIndex (scaled (kParamOsc1Type));
    filterType = choiceIndex (scaled (kParamFilterType));

    const bool panning = scaled (kParamPanType) != 0.0f;
    stereoPanner->enabled = panning;
    dbapPanner->enabled = panning;

    const int m = choiceIndex (scaled (kParamMotionType));
    agent.requestedMotionType = m;
    const auto motion = (EMotionType) m;

    const int d = choiceIndex (scaled (kParamDopplerType));
    const auto doppler = (EDopplerType) d;
    switch (d)
    {
        case kDopplerSymmetric:
            agent.dopplerType = al::DOPPLER_DELAY;
            agent.compensateApproach = false;
            break;
        case kDopplerPhysical:
            agent.dopplerType = al::DOPPLER_VELOCITY;
            agent.compensateApproach = false;
            break;
        case kDopplerPhysicalEqualShift:
            agent.dopplerType = al::DOPPLER_VELOCITY;
            agent.compensateApproach = true;
            break;
        case kDopplerOff:
            agent.dopplerType = al::DOPPLER_NONE;
            agent.compensateApproach = false;
            break;
        default:
            break;
    }

    const float gainType = scaled (kParamGainType);
    if (gainType == 0.0f || gainType == 1.0f)
    {
        agent.useAttenuation = true;
        agent.law = gainType == 0.0f ? al::ATTEN_INVERSE : al::ATTEN_INVERSE_SQUARE;
        agent.setScale();
    }
    else if (gainType == 2.0f)
    {
        agent.useAttenuation = false;
    }

    const int symmetric[3] = { kParamSymmX, kParamSymmY, kParamSymmZ };
    const int ratios[3] = { kParamRatioX, kParamRatioY, kParamRatioZ };
    const int speeds[3] = { kParamVelX, kParamVelY, kParamVelZ };
    const int lowerBounds[3] = { kParamBndX1, kParamBndY1, kParamBndZ1 };
    const int upperBounds[3] = { kParamBndX2, kParamBndY2, kParamBndZ2 };

    for (int a = 0; a < 3; ++a)
    {
        // Written so that NaN counts as on.
        if (!(normalised (symmetric[a]) == 0.0f))
        {
            agent.upperBoundTarget[a] = agent.lowerBoundTarget[a];
            parameters.getUnchecked (upperBounds[a])->setScaledValue ((float) agent.lowerBoundTarget[a], true);
        }
    }

    const float ratioType = scaled (kParamRatioType);
    if (ratioType == 0.0f)
    {
        manualBounds (0);
        manualVelocity (0);
        for (int a = 0; a < 3; ++a)
        {
            const float ratio =
                agent.sourceType == 6
                    ? 1.0f
                    : cm_from_carrier_mod (f, mod_from_vel_bounds (motion, doppler, (float) agent.velocity[a],
                                                                   (float) agent.lowerBoundTarget[a],
                                                                   (float) agent.upperBoundTarget[a]));
            parameters.getUnchecked (ratios[a])->setScaledValue (ratio, true);
        }
    }
    else if (ratioType == 1.0f)
    {
        manualVelocity (0);
        for (int a = 0; a < 3; ++a)
        {
            const float b = symm_bounds_from_mod_vel (motion, mod_from_cm_carrier (scaled (ratios[a]), f),
                                                      (float) agent.velocity[a]);
            agent.lowerBoundTarget[a] = b;
            agent.upperBoundTarget[a] = b;
            parameters.getUnchecked (lowerBounds[a])->setScaledValue (b, true);
            parameters.getUnchecked (upperBounds[a])->setScaledValue (b, true);
        }
    }
    else if (ratioType == 2.0f)
    {
        manualBounds (0);
        for (int a = 0; a < 3; ++a)
        {
            const float v = vel_from_mod_bounds (motion, doppler, mod_from_cm_carrier (scaled (ratios[a]), f),
                                                 (float) agent.lowerBoundTarget[a], (float) agent.upperBoundTarget[a]);
            agent.velocity[a] = v;
            parameters.getUnchecked (speeds[a])->setScaledValue (v, true);
        }
    }

    float freqs[3], depths[3];
    float largestFreq = 0.0f;
    for (int a = 0; a < 3; ++a)
    {
        freqs[a] = agent.velocity[a] != 0.0 ? mod_from_cm_carrier (scaled (ratios[a]), f) : 0.0f;
        depths[a] = depth_from_vel_carrier (doppler, scaled (speeds[a]), f);
        modFreq[a] = freqs[a];
        modDepth[a] = depths[a];
        modIndex[a] = index_from_depth_mod (depths[a], freqs[a]);
        largestFreq = juce::jmax (largestFreq, freqs[a]);
    }

    const float depth = sqrtf (depths[0] * depths[0] + depths[1] * depths[1] + depths[2] * depths[2]);
    totalDepth = depth;

    // The limits are written so that NaN takes the limit too.
    const float spread = 2.0f * (depth + largestFreq);
    const float band = spread < 20000.0f ? spread : 20000.0f;
    bandwidth = band;

    const float carrier = scaled (kParamCarrier);
    float c;
    if (agent.sourceType == 4 || agent.sourceType == 5)
        c = 2.0f * band + 1000.0f;
    else if (agent.sourceType == 0)
        c = carrier + band * 0.5f;
    else
        c = carrier + 2.0f * band;
    cutoff = c < 10000.0f ? c : 10000.0f;

    for (int ch = 0; ch < numChannels; ++ch)
    {
        filter1x[ch]->set (cutoff, 1.9, 0.0);
        filter4x[ch]->set (cutoff, 1.7, 0.0);
    }

    auto& env = agent.adsr;
    if (!(normalised (kParamADSR) == 0.0f))
        env.enabled = true;
    else
    {
        env.enabled = false;
        agent.setOscFreq (carrier);
    }

    // Each stage is compared exactly (NaN counts as changed), so the envelope's
    // curves are set again only for a stage that moved.
    const float attack = scaled (kParamAttack);
    if (!(attack == env.attackTime))
        env.setEnvelope (attack, env.decayTime, env.sustainLevel, env.releaseTime, env.curve);
    const float decay = scaled (kParamDecay);
    if (!(decay == env.decayTime))
        env.setEnvelope (env.attackTime, decay, env.sustainLevel, env.releaseTime, env.curve);
    const float sustain = scaled (kParamSustain);
    if (!(sustain == env.sustainLevel))
        env.setEnvelope (env.attackTime, env.decayTime, sustain, env.releaseTime, env.curve);
    const float release = scaled (kParamRelease);
    if (!(release == env.releaseTime))
        env.setEnvelope (env.attackTime, env.decayTime, env.sustainLevel, release, env.curve);
}

void QuorvelV2AudioProcessor::switchPanning (int index)
{
    listenerSwitch.request (index == 1 ? static_cast<al::Spatializer*> (stereoPanner.get())
                                       : static_cast<al::Spatializer*> (dbapPanner.get()));
}

void QuorvelV2AudioProcessor::manualVelocity (int agentIndex)
{
    if (!juce::isPositiveAndBelow (agentIndex, (int) std::size (agents)))
        return;
    auto& agent = agents[agentIndex];
    agent.velocity[0] = (double) scaled (kParamVelX);
    agent.velocity[1] = (double) scaled (kParamVelY);
    agent.velocity[2] = (double) scaled (kParamVelZ);
}

void QuorvelV2AudioProcessor::manualBounds (int agentIndex)
{
    if (!juce::isPositiveAndBelow (agentIndex, (int) std::size (agents)))
        return;
    auto& agent = agents[agentIndex];
    agent.lowerBoundTarget[0] = (double) scaled (kParamBndX1);
    agent.lowerBoundTarget[1] = (double) scaled (kParamBndY1);
    agent.lowerBoundTarget[2] = (double) scaled (kParamBndZ1);
    agent.upperBoundTarget[0] = (double) scaled (kParamBndX2);
    agent.upperBoundTarget[1] = (double) scaled (kParamBndY2);
    agent.upperBoundTarget[2] = (double) scaled (kParamBndZ2);
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
bool QuorvelV2AudioProcessor::isBusesLayoutSupported (const BusesLayout& layout) const
{
    return layout.getMainInputChannelSet() == juce::AudioChannelSet::stereo() &&
           layout.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
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

bool QuorvelV2AudioProcessor::isAudioUnit() const
{
    return wrapperType == wrapperType_AudioUnit || wrapperType == wrapperType_AudioUnitv3;
}

juce::String QuorvelV2AudioProcessor::getParameterID (int index)
{
    if (auto* p = parameterAt (index); p != nullptr && !isAudioUnit())
        return p->identifier;
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    return AudioProcessor::getParameterID (index);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
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

bool QuorvelV2AudioProcessor::isParameterDiscrete (int index) const
{
    auto* p = parameterAt (index);
    return p != nullptr && !isAudioUnit() && p->numSteps != getDefaultNumParameterSteps();
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
    // VST3 requires every program of a program list to have a name, and the LV2
    // wrapper writes the name into the bundle as its preset's label, which hosts list
    // in their preset menus. The one program is whatever the settings are, and no
    // wrapper tells a host that a program's name has changed, so the name is a fixed
    // word rather than the preset's. VST 2.4 hosts keep the empty name they have
    // always been given.
    if (wrapperType == wrapperType_VST3 || wrapperType == wrapperType_LV2)
        return "Default";
    return {};
}
void QuorvelV2AudioProcessor::changeProgramName (int, const juce::String&)
{
}

void QuorvelV2AudioProcessor::setCurrentPresetName (const juce::String& name)
{
    const std::lock_guard<std::mutex> hold (presetNameLock);
    presetName = name;
}
juce::String QuorvelV2AudioProcessor::getCurrentPresetName()
{
    const std::lock_guard<std::mutex> hold (presetNameLock);
    return presetName;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new QuorvelV2AudioProcessor();
}

juce::AudioProcessorEditor* QuorvelV2AudioProcessor::createEditor()
{
    return new QuorvelV2AudioProcessorEditor (*this);
}
