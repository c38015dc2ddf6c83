#include "PluginProcessor.h"

QuorvelV2AudioProcessor::QuorvelV2AudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
}

QuorvelV2AudioProcessor::~QuorvelV2AudioProcessor() = default;

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter() { return new QuorvelV2AudioProcessor(); }
