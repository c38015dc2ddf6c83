#include "PluginProcessor.h"

#include <cmath>
#include <locale>
#include <sstream>

namespace
{
const char* const stateTagName = "QUORVELSETTINGS";

// The framework's own double attribute text keeps fewer digits than a float needs
// to come back bit for bit, so numbers are written the way a standard stream
// prints a double at precision 20, independent of the user's locale.
juce::String numberText (double value)
{
    std::ostringstream stream;
    stream.imbue (std::locale::classic());
    stream.precision (20);
    stream << value;
    return juce::String (stream.str());
}

bool isStateElement (const juce::XmlElement& xml)
{
    return xml.getTagName().equalsIgnoreCase (stateTagName);
}

// The view divides by the zoom and only offers 0.003..20.
constexpr double minimumScale = 0.003;
constexpr double maximumScale = 20.0;
} // namespace

void QuorvelV2AudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement xml (stateTagName);
    saveStateToXML (xml);
    copyXmlToBinary (xml, destData);
}

void QuorvelV2AudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (auto xml = getXmlFromBinary (data, sizeInBytes))
        loadStateFromXML (xml.get());
}

void QuorvelV2AudioProcessor::saveStateToXML (juce::XmlElement& xml)
{
    xml.setAttribute ("pluginVersion", numberText (1.0));
    xml.setAttribute ("presetName", presetName);

    for (int index = 0; index < parameters.size(); ++index)
        xml.setAttribute (parameters[index]->identifier, numberText ((double) getParameter (index)));

    xml.setAttribute ("phi", numberText ((double) phi));
    xml.setAttribute ("theta", numberText ((double) theta));
    xml.setAttribute ("scale", numberText ((double) scale));
}

void QuorvelV2AudioProcessor::loadStateFromXML (juce::XmlElement* xml)
{
    if (xml == nullptr || !isStateElement (*xml))
        return;

    presetName = xml->getStringAttribute ("presetName");

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    for (int index = 0; index < parameters.size(); ++index)
    {
        auto value = (float) xml->getDoubleAttribute (parameters[index]->identifier, 0.0);

        // The framework's number reader accepts the words "nan" and "inf"; NaN is no
        // number a parameter can hold, while an infinity is simply limited to 0..1.
        if (std::isnan (value))
            value = 0.0f;

        setParameterNotifyingHost (index, value);
    }
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    if (xml->hasAttribute ("scale"))
    {
        const auto newScale = xml->getDoubleAttribute ("scale");

        if (std::isfinite (newScale) && newScale > 0.0)
            scale = (float) juce::jlimit (minimumScale, maximumScale, newScale);
    }

    const auto angle = [xml] (const char* name)
    {
        const auto value = (float) xml->getDoubleAttribute (name, 0.0);
        return std::isfinite (value) ? value : 0.0f;
    };

    theta = angle ("theta");
    phi = angle ("phi");

    // Only a request: the agent adopts it at its next sample on the audio thread.
    agents[0].resetToCenter();
}

bool QuorvelV2AudioProcessor::saveStateToFile (juce::File file)
{
    juce::XmlElement xml (stateTagName);
    saveStateToXML (xml);
    juce::XmlElement::TextFormat format;
    format.dtd = {};
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;
    format.newLineChars = "\r\n";

    // Writes beside the target and then moves over it, so an existing preset is
    // replaced whole or not at all.
    return xml.writeTo (file, format);
}

void QuorvelV2AudioProcessor::setStateFromFile (juce::File file)
{
    auto xml = juce::XmlDocument::parse (file);

    if (xml != nullptr && isStateElement (*xml))
        loadStateFromXML (xml.get());
    else
        presetName = "Error Loading Preset";
}
