#include "PluginProcessor.h"

void QuorvelV2AudioProcessor::getStateInformation (juce::MemoryBlock&) {}
void QuorvelV2AudioProcessor::setStateInformation (const void*, int) {}
void QuorvelV2AudioProcessor::saveStateToXML (juce::XmlElement&) {}
void QuorvelV2AudioProcessor::loadStateFromXML (juce::XmlElement*) {}
bool QuorvelV2AudioProcessor::saveStateToFile (juce::File) { return false; }
void QuorvelV2AudioProcessor::setStateFromFile (juce::File) {}
