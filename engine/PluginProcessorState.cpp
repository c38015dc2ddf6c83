#include "PluginProcessor.h"

#include <cmath>
#include <locale>
#include <sstream>
#include <string>

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

// Well-formed UTF-8 as the standard defines it, up to the first zero byte; every byte
// outside a well-formed sequence becomes U+FFFD. The framework's XML reader steps
// forwards and backwards through text by different rules, so a stray continuation
// byte in a damaged state or preset can send it round the same few bytes for ever.
std::string wellFormedUtf8 (const char* text, size_t size, bool& changed)
{
    const auto* bytes = reinterpret_cast<const unsigned char*> (text);
    std::string out;
    out.reserve (size);
    changed = false;
    size_t i = 0;
    while (i < size && bytes[i] != 0)
    {
        const unsigned char b = bytes[i];
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b < 0x80)
            length = 1;
        else if (b >= 0xC2 && b <= 0xDF)
            length = 2;
        else if (b >= 0xE0 && b <= 0xEF)
        {
            length = 3;
            low = b == 0xE0 ? 0xA0 : 0x80;
            high = b == 0xED ? 0x9F : 0xBF;
        }
        else if (b >= 0xF0 && b <= 0xF4)
        {
            length = 4;
            low = b == 0xF0 ? 0x90 : 0x80;
            high = b == 0xF4 ? 0x8F : 0xBF;
        }

        bool valid = length > 0 && i + length <= size;
        for (size_t k = 1; valid && k < length; ++k)
        {
            const unsigned char c = bytes[i + k];
            valid = k == 1 ? (c >= low && c <= high) : (c >= 0x80 && c <= 0xBF);
        }

        if (valid)
        {
            out.append (text + i, length);
            i += length;
        }
        else
        {
            out += "\xEF\xBF\xBD";
            changed = true;
            ++i;
        }
    }
    return out;
}

std::unique_ptr<juce::XmlElement> parseWellFormed (const std::string& text)
{
    return juce::parseXML (juce::String::fromUTF8 (text.data(), (int) text.size()));
}

// The framework's host block: its magic number, the text's length, the text and a
// zero byte.
constexpr juce::uint32 hostBlockMagic = 0x21324356;

// As copyXmlToBinary packs it, but holding the element alone: this version of the
// framework writes an XML declaration before the element.
void packHostBlock (const juce::XmlElement& xml, juce::MemoryBlock& destData)
{
    const auto text = xml.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    const auto length = text.getNumBytesAsUTF8();
    juce::MemoryOutputStream out (destData, false);
    out.writeInt ((int) hostBlockMagic);
    out.writeInt ((int) length);
    out.write (text.toRawUTF8(), length);
    out.writeByte (0);
}

// Read as getXmlFromBinary reads it, with or without a declaration, but through
// wellFormedUtf8.
std::unique_ptr<juce::XmlElement> unpackHostBlock (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != hostBlockMagic)
        return {};
    const auto length = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));
    if (length <= 0)
        return {};
    bool changed = false;
    const auto text =
        wellFormedUtf8 (static_cast<const char*> (data) + 8, (size_t) juce::jmin (sizeInBytes - 8, length), changed);
    return text.empty() ? nullptr : parseWellFormed (text);
}

// A preset file in well-formed UTF-8, or in UTF-16 with its mark, goes to the
// framework's reader as it is; any other is made well-formed first.
std::unique_ptr<juce::XmlElement> parsePresetFile (const juce::File& file)
{
    juce::MemoryBlock data;
    if (!file.loadFileAsData (data) || data.getSize() < 2)
        return juce::XmlDocument::parse (file);
    const auto* bytes = static_cast<const unsigned char*> (data.getData());
    const bool utf16 = (bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF);
    if (utf16)
        return juce::XmlDocument::parse (file);
    bool changed = false;
    const auto text = wellFormedUtf8 (static_cast<const char*> (data.getData()), data.getSize(), changed);
    if (!changed)
        return juce::XmlDocument::parse (file);
    return parseWellFormed (text);
}

// The framework's number reader gathers an exponent's digits in an int without a
// limit, so a damaged "1e" before ten digits or more overflows it (undefined; in
// practice any exponent at all). Past four significant digits every exponent makes a
// double infinite or zero, so a longer one is shortened to that first.
double numberAttribute (const juce::XmlElement& xml, const juce::String& name, double missing)
{
    if (!xml.hasAttribute (name))
        return missing;
    auto text = xml.getStringAttribute (name).toStdString();
    bool shortened = false;
    for (size_t e = text.find_first_of ("eE"); e != std::string::npos; e = text.find_first_of ("eE", e + 1))
    {
        auto start = e + 1;
        if (start < text.size() && (text[start] == '+' || text[start] == '-'))
            ++start;
        const auto significant = text.find_first_not_of ('0', start);
        const auto end = text.find_first_not_of ("0123456789", start);
        const auto last = end == std::string::npos ? text.size() : end;
        if (significant != std::string::npos && significant + 4 < last)
        {
            text.replace (start, last - start, "99999");
            shortened = true;
        }
    }
    return shortened ? juce::String (text).getDoubleValue() : xml.getDoubleAttribute (name);
}

// The view divides by the zoom and only offers 0.003..20.
constexpr double minimumScale = 0.003;
constexpr double maximumScale = 20.0;
} // namespace

void QuorvelV2AudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement xml (stateTagName);
    saveStateToXML (xml);
    packHostBlock (xml, destData);
}

void QuorvelV2AudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (auto xml = unpackHostBlock (data, sizeInBytes))
        loadStateFromXML (xml.get());
}

void QuorvelV2AudioProcessor::saveStateToXML (juce::XmlElement& xml)
{
    xml.setAttribute ("pluginVersion", numberText (1.0));
    xml.setAttribute ("presetName", getCurrentPresetName());

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

    setCurrentPresetName (xml->getStringAttribute ("presetName"));

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    for (int index = 0; index < parameters.size(); ++index)
    {
        auto value = (float) numberAttribute (*xml, parameters[index]->identifier, 0.0);

        // The framework's number reader accepts the words "nan" and "inf"; NaN is no
        // number a parameter can hold, while an infinity is simply limited to 0..1.
        if (std::isnan (value))
            value = 0.0f;

        setParameterNotifyingHost (index, value);
    }
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    if (xml->hasAttribute ("scale"))
    {
        const auto newScale = numberAttribute (*xml, "scale", 0.0);

        if (std::isfinite (newScale) && newScale > 0.0)
            scale = (float) juce::jlimit (minimumScale, maximumScale, newScale);
    }

    const auto angle = [xml] (const char* name)
    {
        const auto value = (float) numberAttribute (*xml, name, 0.0);
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
    auto xml = parsePresetFile (file);

    if (xml != nullptr && isStateElement (*xml))
        loadStateFromXML (xml.get());
    else
        setCurrentPresetName ("Error Loading Preset");
}
