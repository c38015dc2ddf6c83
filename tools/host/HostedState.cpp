#include "HostedState.h"

namespace
{
const char* const vst3Container = "VST3PluginState";
const char* const vst3Component = "IComponent";

// The framework's LV2 client stores the block under a property whose name ends so.
const char* const lv2StateProperty = "StateString";

bool isFormat (juce::AudioPluginInstance& instance, const char* name)
{
    return instance.getPluginDescription().pluginFormatName == name;
}

// The quoted literal that follows the property in the host's Turtle text: the
// character positions of its first and one-past-last characters, or -1.
juce::Range<int> lv2StateLiteral (const juce::String& turtle)
{
    const int property = turtle.indexOf (lv2StateProperty);
    if (property < 0)
        return { -1, -1 };
    const int open = turtle.indexOfChar (property, '"');
    const int close = open < 0 ? -1 : turtle.indexOfChar (open + 1, '"');
    if (close < 0)
        return { -1, -1 };
    return { open + 1, close };
}

juce::String hostedStateText (juce::AudioPluginInstance& instance)
{
    juce::MemoryBlock block;
    instance.getStateInformation (block);
    return block.toString();
}
} // namespace

bool setHostedPluginState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& state, juce::String& error)
{
    if (isFormat (instance, "VST3"))
    {
        juce::XmlElement container (vst3Container);
        container.createNewChildElement (vst3Component)->addTextElement (state.toBase64Encoding());
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (container, block);
        instance.setStateInformation (block.getData(), (int) block.getSize());
        return true;
    }

    if (isFormat (instance, "VST"))
    {
        if (juce::VSTPluginFormat::setChunkData (&instance, state.getData(), (int) state.getSize(), false))
            return true;
        error = "the VST plug-in did not take the state chunk";
        return false;
    }

    if (isFormat (instance, "LV2"))
        return setHostedLv2StateText (instance, state.toBase64Encoding(), error);

    error = "no way known to hand a state to a " + instance.getPluginDescription().pluginFormatName + " plug-in";
    return false;
}

bool setHostedLv2StateText (juce::AudioPluginInstance& instance, const juce::String& text, juce::String& error)
{
    // Only the host knows how to write the rest of a state (its URIs, the port
    // values), so the text is put into the state the host reports.
    auto turtle = hostedStateText (instance);
    const auto literal = lv2StateLiteral (turtle);
    if (literal.getStart() < 0)
    {
        error = "the LV2 host's state holds no " + juce::String (lv2StateProperty);
        return false;
    }
    turtle = turtle.replaceSection (literal.getStart(), literal.getLength(), text);
    instance.setStateInformation (turtle.toRawUTF8(), (int) turtle.getNumBytesAsUTF8());
    return true;
}

bool getHostedPluginState (juce::AudioPluginInstance& instance, juce::MemoryBlock& state, juce::String& error)
{
    state.reset();

    if (isFormat (instance, "VST3"))
    {
        juce::MemoryBlock block;
        instance.getStateInformation (block);
        const auto container = juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
        const auto* component = container != nullptr ? container->getChildByName (vst3Component) : nullptr;
        if (component != nullptr && state.fromBase64Encoding (component->getAllSubText().trim()))
            return true;
        error = "the VST3 host's state holds no component state";
        return false;
    }

    if (isFormat (instance, "VST"))
    {
        if (juce::VSTPluginFormat::getChunkData (&instance, state, false))
            return true;
        error = "the VST plug-in gave no state chunk";
        return false;
    }

    if (isFormat (instance, "LV2"))
    {
        const auto turtle = hostedStateText (instance);
        const auto literal = lv2StateLiteral (turtle);
        if (literal.getStart() >= 0 &&
            state.fromBase64Encoding (turtle.substring (literal.getStart(), literal.getEnd())))
            return true;
        error = "the LV2 host's state holds no " + juce::String (lv2StateProperty);
        return false;
    }

    error = "no way known to take the state of a " + instance.getPluginDescription().pluginFormatName + " plug-in";
    return false;
}
