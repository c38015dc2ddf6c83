#include "PluginLoader.h"

namespace
{
bool looksLikeUri (const juce::String& text)
{
    return text.contains ("://") && !juce::File::isAbsolutePath (text);
}

// The plug-in URIs that a bundle's manifest declares: every subject written as
// <uri> and followed by "a lv2:Plugin".
juce::StringArray pluginUrisInManifest (const juce::File& manifest)
{
    juce::StringArray uris;
    const auto text = manifest.loadFileAsString();
    int start = 0;
    while ((start = text.indexOfChar (start, '<')) >= 0)
    {
        const int end = text.indexOfChar (start, '>');
        if (end < 0)
            break;
        const auto uri = text.substring (start + 1, end);
        const auto rest = text.substring (end + 1).trimStart();
        if (rest.startsWith ("a lv2:Plugin") || rest.startsWith ("a <http://lv2plug.in/ns/lv2core#Plugin>"))
            uris.addIfNotAlreadyThere (uri);
        start = end + 1;
    }
    return uris;
}
} // namespace

PluginLoader::PluginLoader()
{
    formats.addDefaultFormats();
}

juce::AudioPluginFormat* PluginLoader::formatFor (const juce::String& fileOrUri) const
{
    const juce::String wanted = [&]() -> juce::String
    {
        if (looksLikeUri (fileOrUri) || fileOrUri.endsWithIgnoreCase (".lv2") || fileOrUri.endsWithIgnoreCase (".lv2/"))
            return "LV2";
        if (fileOrUri.endsWithIgnoreCase (".vst3") || fileOrUri.endsWithIgnoreCase (".vst3/"))
            return "VST3";
        if (fileOrUri.endsWithIgnoreCase (".so"))
            return "VST";
        return {};
    }();

    for (int i = 0; i < formats.getNumFormats(); ++i)
        if (formats.getFormat (i)->getName() == wanted)
            return formats.getFormat (i);
    return nullptr;
}

juce::String PluginLoader::lv2Identifier (const juce::String& fileOrUri, juce::String& error)
{
    if (looksLikeUri (fileOrUri))
        return fileOrUri;

    const juce::File bundle (juce::File::getCurrentWorkingDirectory().getChildFile (fileOrUri));
    const auto uris = pluginUrisInManifest (bundle.getChildFile ("manifest.ttl"));
    if (uris.size() != 1)
    {
        error = "expected one plug-in in " + bundle.getChildFile ("manifest.ttl").getFullPathName() + ", found " +
                juce::String (uris.size());
        return {};
    }
    return uris[0];
}

std::unique_ptr<juce::AudioPluginInstance> PluginLoader::load (const juce::String& fileOrUri, double sampleRate,
                                                               int blockSize, juce::PluginDescription& description,
                                                               juce::String& error)
{
    auto* format = formatFor (fileOrUri);
    if (format == nullptr)
    {
        error = "no plug-in format recognises " + fileOrUri;
        return nullptr;
    }

    auto identifier = fileOrUri;
    if (format->getName() == "LV2")
    {
        identifier = lv2Identifier (fileOrUri, error);
        if (identifier.isEmpty())
            return nullptr;
        // The framework's LV2 host looks only in its default folders unless it is
        // pointed at the bundle's own folder as well.
        if (!looksLikeUri (fileOrUri))
        {
            auto paths = format->getDefaultLocationsToSearch();
            paths.add (juce::File::getCurrentWorkingDirectory().getChildFile (fileOrUri).getParentDirectory());
            format->searchPathsForPlugins (paths, false, false);
        }
    }
    else
    {
        identifier = juce::File::getCurrentWorkingDirectory().getChildFile (fileOrUri).getFullPathName();
    }

    juce::OwnedArray<juce::PluginDescription> found;
    format->findAllTypesForFile (found, identifier);
    if (found.isEmpty())
    {
        error = format->getName() + " host found no plug-in in " + identifier;
        return nullptr;
    }

    description = *found[0];
    auto instance = formats.createPluginInstance (description, sampleRate, blockSize, error);
    if (instance == nullptr && error.isEmpty())
        error = "could not instantiate " + description.name;
    return instance;
}

juce::String builtPlugin (const juce::String& format)
{
    const auto artefacts = juce::File::getSpecialLocation (juce::File::currentExecutableFile)
                               .getParentDirectory()
                               .getParentDirectory()
                               .getChildFile ("Toravel_artefacts");
    const auto relative = format == "lv2"   ? "LV2/Toravel.lv2"
                          : format == "vst" ? "VST/libToravel.so"
                                            : "VST3/Toravel.vst3";
    for (const auto* configuration : { "Release", "RelWithDebInfo", "MinSizeRel", "Debug" })
    {
        const auto candidate = artefacts.getChildFile (configuration).getChildFile (relative);
        if (candidate.exists())
            return candidate.getFullPathName();
    }
    return artefacts.getChildFile ("Release").getChildFile (relative).getFullPathName();
}
