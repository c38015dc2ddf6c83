#include "Commands.h"
#include "HostedState.h"
#include "PluginLoader.h"
#include "ProgressBar.h"
#include "RenderJob.h"
#include "SignalSummary.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <iostream>
#include <optional>

namespace
{
const char* const presetTagName = "QUORVELSETTINGS";

// Without --seconds a render lasts this long after the last MIDI event, long enough
// for the default release to die away.
constexpr double defaultTail = 2.0;

void printUsage()
{
    std::cerr << "usage: toravel-host render [<plug-in>] [options]\n"
                 "  <plug-in>               a .vst3 bundle, a VST .so, an .lv2 bundle or an LV2 URI;\n"
                 "                          default: the binary of --format built beside this program\n"
                 "  --format vst3|lv2|vst   which built binary to use without <plug-in> (default vst3)\n"
                 "  -o, --output FILE.wav   where to write (default render.wav)\n"
                 "  --seconds S             length (default: 2 s after the last MIDI event)\n"
                 "  --rate HZ               sample rate (default 44100)\n"
                 "  --block N               samples per block (default 512)\n"
                 "  --bits 32|24            32-bit float or 24-bit integer samples (default 32)\n"
                 "  --set NAME=VALUE        set a parameter, by name, to a normalised value 0..1\n"
                 "  --note N:START:LENGTH   play MIDI note N from START for LENGTH seconds\n"
                 "  --midi FILE.mid         play a Standard MIDI file\n"
                 "  --preset FILE.zkp       load a preset file before the --set values\n"
                 "  --save-preset FILE.zkp  write the state the plug-in ends with as a preset file\n"
                 "  --beside HZ             load a second instance and prepare it at HZ once the first\n"
                 "                          is prepared, as a host running two sessions does\n";
}

struct Options
{
    juce::String plugin;
    juce::String format = "vst3";
    juce::File output;
    // Unset: the length follows the MIDI events.
    std::optional<double> seconds;
    double besideRate = 0.0;
    int bits = 32;
    juce::File midiFile, preset, savePreset;
    RenderJob job;
};

bool fail (const juce::String& message)
{
    std::cerr << "toravel-host render: " << message << "\n";
    return false;
}

bool isNumber (const juce::String& text)
{
    return text.trim().isNotEmpty() && text.trim().containsOnly ("0123456789.+-eE");
}

bool parseSetting (const juce::String& text, RenderJob& job)
{
    const auto name = text.upToFirstOccurrenceOf ("=", false, false).trim();
    const auto value = text.fromFirstOccurrenceOf ("=", false, false);
    if (name.isEmpty() || !text.contains ("=") || !isNumber (value))
        return fail ("--set wants NAME=VALUE, not \"" + text + "\"");
    const auto normalised = value.getFloatValue();
    if (!(normalised >= 0.0f && normalised <= 1.0f))
        return fail ("--set " + name + ": a normalised value lies within 0..1, not " + value);
    job.settings.push_back ({ name, normalised });
    return true;
}

bool parseNote (const juce::String& text, RenderJob& job)
{
    const auto fields = juce::StringArray::fromTokens (text, ":", "");
    if (fields.size() != 3 || !fields[0].containsOnly ("0123456789") || !isNumber (fields[1]) || !isNumber (fields[2]))
        return fail ("--note wants NOTE:START:LENGTH (e.g. 60:0.0:1.5), not \"" + text + "\"");
    const int note = fields[0].getIntValue();
    const double start = fields[1].getDoubleValue(), length = fields[2].getDoubleValue();
    if (note > 127 || start < 0.0 || !(length > 0.0))
        return fail ("--note " + text +
                     ": the note lies within 0..127, the start at 0 or later and the length above 0");
    job.events.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100).withTimeStamp (start));
    job.events.addEvent (juce::MidiMessage::noteOff (1, note).withTimeStamp (start + length));
    return true;
}

bool readMidiFile (const juce::File& file, RenderJob& job)
{
    juce::FileInputStream stream (file);
    juce::MidiFile midi;
    if (!stream.openedOk() || !midi.readFrom (stream))
        return fail ("cannot read the MIDI file " + file.getFullPathName());
    midi.convertTimestampTicksToSeconds();
    for (int t = 0; t < midi.getNumTracks(); ++t)
        for (const auto* event : *midi.getTrack (t))
            if (!event->message.isMetaEvent())
                job.events.addEvent (event->message);
    return true;
}

bool parse (const juce::StringArray& args, Options& options)
{
    options.output = juce::File::getCurrentWorkingDirectory().getChildFile ("render.wav");
    for (int i = 0; i < args.size(); ++i)
    {
        const auto& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        const auto file = [&] { return juce::File::getCurrentWorkingDirectory().getChildFile (args[++i]); };

        if (!arg.startsWith ("-") && options.plugin.isEmpty())
            options.plugin = arg;
        else if (!hasValue)
            return fail (arg.startsWith ("-") ? arg + " wants a value" : "unexpected \"" + arg + "\"");
        else if (arg == "--format")
            options.format = args[++i].toLowerCase();
        else if (arg == "-o" || arg == "--output")
            options.output = file();
        else if (arg == "--seconds")
        {
            if (!isNumber (args[++i]))
                return fail ("--seconds wants a number of seconds, not \"" + args[i] + "\"");
            options.seconds = args[i].getDoubleValue();
        }
        else if (arg == "--rate")
            options.job.sampleRate = args[++i].getDoubleValue();
        else if (arg == "--beside")
        {
            if (!isNumber (args[++i]) || !(args[i].getDoubleValue() > 0.0))
                return fail ("--beside wants a sample rate in Hz, not \"" + args[i] + "\"");
            options.besideRate = args[i].getDoubleValue();
        }
        else if (arg == "--block")
            options.job.blockSize = args[++i].getIntValue();
        else if (arg == "--bits")
            options.bits = args[++i].getIntValue();
        else if (arg == "--set")
        {
            if (!parseSetting (args[++i], options.job))
                return false;
        }
        else if (arg == "--note")
        {
            if (!parseNote (args[++i], options.job))
                return false;
        }
        else if (arg == "--midi")
            options.midiFile = file();
        else if (arg == "--preset")
            options.preset = file();
        else if (arg == "--save-preset")
            options.savePreset = file();
        else
            return fail ("unknown option \"" + arg + "\"");
    }

    if (!juce::StringArray{ "vst3", "lv2", "vst" }.contains (options.format))
        return fail ("--format is vst3, lv2 or vst, not \"" + options.format + "\"");
    if (!(options.job.sampleRate >= 8000.0 && options.job.sampleRate <= 384000.0))
        return fail ("--rate lies within 8000..384000 Hz");
    if (options.besideRate != 0.0 && !(options.besideRate >= 8000.0 && options.besideRate <= 384000.0))
        return fail ("--beside lies within 8000..384000 Hz");
    if (options.job.blockSize < 1 || options.job.blockSize > 65536)
        return fail ("--block lies within 1..65536 samples");
    if (options.bits != 32 && options.bits != 24)
        return fail ("--bits is 32 (float) or 24");
    if (options.midiFile != juce::File() && !readMidiFile (options.midiFile, options.job))
        return false;

    options.job.events.sort();
    options.job.events.updateMatchedPairs();
    const auto seconds = options.seconds.value_or (options.job.events.getEndTime() + defaultTail);
    if (!(seconds > 0.0 && seconds <= 3600.0))
        return fail ("--seconds lies above 0 and within an hour");
    options.job.seconds = seconds;
    return true;
}

bool loadPreset (juce::AudioPluginInstance& instance, const juce::File& file)
{
    const auto xml = juce::XmlDocument::parse (file);
    if (xml == nullptr || !xml->getTagName().equalsIgnoreCase (presetTagName))
        return fail (file.getFullPathName() + " is no preset file (an XML element " + presetTagName + ")");

    juce::MemoryBlock state;
    juce::AudioProcessor::copyXmlToBinary (*xml, state);
    juce::String error;
    return setHostedPluginState (instance, state, error) || fail (error);
}

// The same text as the plug-in's own preset files.
bool savePreset (juce::AudioPluginInstance& instance, const juce::File& file)
{
    juce::MemoryBlock state;
    juce::String error;
    if (!getHostedPluginState (instance, state, error))
        return fail (error);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());
    if (xml == nullptr)
        return fail ("the plug-in's state is no XML");

    juce::XmlElement::TextFormat format;
    format.dtd = {};
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;
    format.newLineChars = "\r\n";
    return xml->writeTo (file, format) || fail ("cannot write " + file.getFullPathName());
}

bool writeWav (const juce::AudioBuffer<float>& audio, double sampleRate, int bits, const juce::File& file)
{
    file.deleteFile();
    auto stream = file.createOutputStream();
    if (stream == nullptr)
        return fail ("cannot write " + file.getFullPathName());

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (stream.get(), sampleRate, (unsigned int) audio.getNumChannels(), bits, {}, 0));
    if (writer == nullptr)
        return fail ("the WAV writer refused " + juce::String (audio.getNumChannels()) + " channels of " +
                     juce::String (bits) + " bits");
    stream.release(); // the writer owns it now
    return writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()) ||
           fail ("cannot write " + file.getFullPathName());
}
} // namespace

int runRender (const juce::StringArray& args)
{
    if (args.contains ("--help") || args.contains ("-h"))
    {
        printUsage();
        return 0;
    }

    Options options;
    if (!parse (args, options))
    {
        printUsage();
        return 2;
    }
    if (options.plugin.isEmpty())
        options.plugin = builtPlugin (options.format);

    PluginLoader loader;
    juce::PluginDescription description;
    juce::String error;
    auto instance = loader.load (options.plugin, options.job.sampleRate, options.job.blockSize, description, error);
    if (instance == nullptr)
    {
        fail (error);
        return 1;
    }

    const auto& job = options.job;
    prepareForRender (*instance, job);

    std::unique_ptr<juce::AudioPluginInstance> beside;
    if (options.besideRate > 0.0)
    {
        juce::PluginDescription besideDescription;
        beside = loader.load (options.plugin, options.besideRate, job.blockSize, besideDescription, error);
        if (beside == nullptr)
        {
            fail (error);
            return 1;
        }
        auto besideJob = job;
        besideJob.sampleRate = options.besideRate;
        prepareForRender (*beside, besideJob);
    }

    if (options.preset != juce::File() && !loadPreset (*instance, options.preset))
        return 1;
    const auto unknown = applySettings (*instance, job.settings);
    if (!unknown.isEmpty())
    {
        fail ("the plug-in has no parameter named " + unknown.joinIntoString (", "));
        return 1;
    }

    juce::AudioBuffer<float> audio;
    {
        ProgressBar progress ("rendering");
        render (*instance, job, audio, [&progress] (double fraction) { progress.update (fraction); });
    }
    instance->releaseResources();

    if (options.savePreset != juce::File() && !savePreset (*instance, options.savePreset))
        return 1;
    instance.reset();

    if (!writeWav (audio, job.sampleRate, options.bits, options.output))
        return 1;

    // One line, last on standard output, after whatever the plug-in printed.
    std::cout << options.output.getFullPathName() << ": " << description.pluginFormatName << ", "
              << audio.getNumChannels() << " ch, " << juce::String (job.sampleRate, 0) << " Hz, "
              << juce::String (job.seconds, 3) << " s, " << (options.bits == 32 ? "32-bit float" : "24-bit") << "; "
              << SignalSummary::of (audio, job.sampleRate).toString() << std::endl;
    return 0;
}
