#include "Commands.h"
#include "FormatAnswers.h"
#include "PluginLoader.h"

#include <iostream>

namespace
{
juce::String fourCharCode (int code)
{
    juce::String text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = (char) ((code >> shift) & 0xff);
        if (c < 32 || c > 126)
            return juce::String::toHexString (code);
        text += juce::String::charToString ((juce::juce_wchar) (juce::uint8) c);
    }
    return text;
}

juce::var describeParameter (juce::AudioProcessorParameter& parameter)
{
    auto* object = new juce::DynamicObject();
    const auto value = parameter.getValue();
    object->setProperty ("index", parameter.getParameterIndex());
    object->setProperty ("name", parameter.getName (1024));
    object->setProperty ("label", parameter.getLabel());
    object->setProperty ("default", parameter.getDefaultValue());
    object->setProperty ("value", value);
    object->setProperty ("text", parameter.getCurrentValueAsText());
    object->setProperty ("steps", parameter.getNumSteps());
    object->setProperty ("discrete", parameter.isDiscrete());
    object->setProperty ("boolean", parameter.isBoolean());
    object->setProperty ("valueNames", parameter.getAllValueStrings());
    object->setProperty ("automatable", parameter.isAutomatable());
    return juce::var (object);
}

juce::var describe (juce::AudioPluginInstance& instance, const juce::PluginDescription& description)
{
    auto* object = new juce::DynamicObject();
    object->setProperty ("format", description.pluginFormatName);
    object->setProperty ("identifier", description.fileOrIdentifier);
    object->setProperty ("name", instance.getName());
    object->setProperty ("descriptiveName", description.descriptiveName);
    object->setProperty ("manufacturer", description.manufacturerName);
    object->setProperty ("version", description.version);
    object->setProperty ("category", description.category);
    object->setProperty ("isInstrument", description.isInstrument);
    object->setProperty ("uniqueId", fourCharCode (description.deprecatedUid));
    object->setProperty ("inputs", instance.getTotalNumInputChannels());
    object->setProperty ("outputs", instance.getTotalNumOutputChannels());
    object->setProperty ("inputBuses", instance.getBusCount (true));
    object->setProperty ("outputBuses", instance.getBusCount (false));
    object->setProperty ("acceptsMidi", instance.acceptsMidi());
    object->setProperty ("producesMidi", instance.producesMidi());
    object->setProperty ("hasEditor", instance.hasEditor());
    object->setProperty ("latencySamples", instance.getLatencySamples());
    object->setProperty ("tailSeconds", instance.getTailLengthSeconds());

    juce::Array<juce::var> parameters;
    for (auto* parameter : instance.getParameters())
        parameters.add (describeParameter (*parameter));
    object->setProperty ("parameters", parameters);
    addFormatAnswers (instance, *object);
    return juce::var (object);
}

void printUsage()
{
    std::cerr << "usage: toravel-host inspect <plug-in> [--rate <hz>] [--block <samples>]\n"
                 "  <plug-in> is a .vst3 bundle, a VST .so, an .lv2 bundle or an LV2 URI;\n"
                 "  prints what a host sees of it as JSON.\n";
}
} // namespace

int runInspect (const juce::StringArray& args)
{
    juce::String target;
    double rate = 44100.0;
    int block = 512;
    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--rate" && i + 1 < args.size())
            rate = args[++i].getDoubleValue();
        else if (args[i] == "--block" && i + 1 < args.size())
            block = args[++i].getIntValue();
        else if (target.isEmpty() && !args[i].startsWith ("--"))
            target = args[i];
        else
        {
            printUsage();
            return 2;
        }
    }
    if (target.isEmpty() || rate <= 0.0 || block <= 0)
    {
        printUsage();
        return 2;
    }

    PluginLoader loader;
    juce::PluginDescription description;
    juce::String error;
    auto instance = loader.load (target, rate, block, description, error);
    if (instance == nullptr)
    {
        std::cerr << "toravel-host: " << error << "\n";
        return 1;
    }

    // One line, last on standard output, so that a caller can find it after whatever
    // the plug-in itself printed while it was loaded.
    const auto json = juce::JSON::toString (describe (*instance, description), true);
    instance.reset();
    std::cout << json << std::endl;
    return 0;
}
