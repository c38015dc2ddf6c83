#include "../../tools/host/RenderJob.h"
#include "PluginProcessor.h"
#include "RenderSupport.h"

#include <regex>

// A host we did not write plays the LV2 bundle: jalv runs it as a client of a private
// JACK server on the dummy driver, with a saved state that switches the envelope on,
// jack_midiseq plays a note for half of every second into it and jack_rec records its
// outputs. The recording must sound while the note is held and fall silent between.
// A host shows the parameters' values only as the plug-in tells them: jalv's GTK
// interface, whose messages jalv dumps, must be told the values the plug-in holds.

namespace
{
constexpr int jackRate = 48000;
constexpr double recordSeconds = 3.0;
constexpr int waitMilliseconds = 20000;
constexpr size_t parameterCount = 30;

struct JackPort
{
    juce::String name;
    bool input = false;
    bool audio = false, midi = false;
};

class JalvSession : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (home.isReady());
        environment = home.environment();
        server = "toravel-test-" + juce::String (getpid()) + "-" + juce::String (juce::Random().nextInt (1000000));
        environment["JACK_DEFAULT_SERVER"] = server.toStdString();
        environment["JACK_NO_START_SERVER"] = "1";
        environment["JACK_NO_AUDIO_RESERVATION"] = "1";
        environment["LV2_PATH"] = home.lv2Folder().getFullPathName().toStdString();
    }

    // Stopped in the reverse order of starting: the clients before their server.
    void TearDown() override
    {
        recorder.stop();
        sequencer.stop();
        jalv.stop();
        jackd.stop();
    }

    bool start (SpawnedProcess& process, const juce::StringArray& command, const juce::String& logName)
    {
        return process.start (command, environment, home.file (logName + ".log"));
    }

    void startJack()
    {
        ASSERT_TRUE (start (
            jackd,
            { "jackd", "-n", server, "--no-realtime", "-d", "dummy", "-r", juce::String (jackRate), "-p", "512" },
            "jackd"));
        ASSERT_EQ (jackTool ({ "jack_wait", "-w", "-t", "10" }).exitCode, 0) << logs();
    }

    // The last value the plug-in sent jalv's interface for each parameter, by identifier,
    // once it has sent one for all of them. jalv 1.6's console lists each property with
    // the value of a port in its place, whatever it was told; its GTK version dumps what
    // it is told, line-buffered here so that the dump is read as it comes.
    std::map<juce::String, float> valuesToldToJalv (const juce::StringArray& options, const juce::String& logName)
    {
        juce::StringArray command{ "stdbuf", "-oL", "jalv.gtk3", "--generic-ui", "--dump" };
        command.addArray (options);
        command.add (TORAVEL_LV2_URI);
        EXPECT_TRUE (start (jalv, command, logName));

        const std::regex set (R"re(patch:property <[^>]+:(\w+)> ;\s*patch:value "([^"]+)")re");
        std::map<juce::String, float> values;
        const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) waitMilliseconds;
        while (values.size() < parameterCount && juce::Time::getMillisecondCounter() < deadline && jalv.isRunning())
        {
            juce::Thread::sleep (200);
            const auto dump = jalv.log().toStdString();
            for (std::sregex_iterator it (dump.begin(), dump.end(), set), end; it != end; ++it)
                values[juce::String ((*it)[1].str())] = std::stof ((*it)[2].str());
        }
        jalv.stop();
        return values;
    }

    // What the plug-in holds once it has played a block, as the host's has.
    void expectValuesOf (QuorvelV2AudioProcessor& processor, const std::map<juce::String, float>& told)
    {
        processor.prepareToPlay (jackRate, 512);
        juce::AudioBuffer<float> audio (processor.getTotalNumOutputChannels(), 512);
        juce::MidiBuffer midi;
        processor.processBlock (audio, midi);

        ASSERT_EQ (told.size(), (size_t) processor.getNumParameters()) << logs();
        for (int i = 0; i < processor.getNumParameters(); ++i)
        {
            const auto name = processor.getParameterName (i);
            ASSERT_EQ (told.count (name), 1u) << name;
            EXPECT_NEAR (told.at (name), processor.getParameter (i), 1e-6) << name;
        }
    }

    ProgramResult jackTool (const juce::StringArray& command) { return runProgram (command, environment, 10000); }

    std::vector<JackPort> ports()
    {
        std::vector<JackPort> found;
        const auto listing = jackTool ({ "jack_lsp", "-p", "-t" });
        for (const auto& line : juce::StringArray::fromLines (listing.output))
        {
            if (line.isEmpty())
                continue;
            if (!line.startsWithChar ('\t'))
                found.push_back ({ line.trim() });
            else if (!found.empty() && line.contains ("properties:"))
                found.back().input = line.contains ("input");
            else if (!found.empty())
            {
                found.back().audio = line.contains ("audio");
                found.back().midi = line.contains ("midi");
            }
        }
        return found;
    }

    std::vector<JackPort> portsOf (const juce::String& client)
    {
        std::vector<JackPort> result;
        for (const auto& port : ports())
            if (port.name.startsWith (client + ":"))
                result.push_back (port);
        return result;
    }

    // Polls until the client shows the wanted number of ports, or the time is up.
    std::vector<JackPort> waitForPorts (const juce::String& client, size_t count, SpawnedProcess& process)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) waitMilliseconds;
        while (juce::Time::getMillisecondCounter() < deadline && process.isRunning())
        {
            const auto found = portsOf (client);
            if (found.size() >= count)
                return found;
            juce::Thread::sleep (100);
        }
        return {};
    }

    // An LV2 state directory as jalv saves one: the plug-in's own state block, base64
    // under the property the framework's LV2 client reads.
    juce::File writeState (const std::vector<ParameterSetting>& settings)
    {
        QuorvelV2AudioProcessor processor;
        EXPECT_TRUE (applySettings (processor, settings).isEmpty());
        juce::MemoryBlock block;
        processor.getStateInformation (block);

        const auto folder = home.file ("state");
        folder.createDirectory();
        const juce::String uri (TORAVEL_LV2_URI);
        folder.getChildFile ("manifest.ttl")
            .replaceWithText ("@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                              "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n\n"
                              "<state.ttl>\n\ta pset:Preset ;\n\tlv2:appliesTo <" +
                              uri + "> ;\n\trdfs:seeAlso <state.ttl> .\n");
        folder.getChildFile ("state.ttl")
            .replaceWithText ("@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n\n"
                              "<>\n\ta pset:Preset ;\n\tlv2:appliesTo <" +
                              uri + "> ;\n\tstate:state [\n\t\t<" + uri + ":StateString> \"" +
                              block.toBase64Encoding() + "\"\n\t] .\n");
        return folder;
    }

    juce::String logs()
    {
        return "jackd:\n" + jackd.log() + "\njalv:\n" + jalv.log() + "\nsequencer:\n" + sequencer.log();
    }

    RenderHome home;
    SpawnedProcess::Environment environment;
    juce::String server;
    SpawnedProcess jackd, jalv, sequencer, recorder;
};
} // namespace

TEST_F (JalvSession, RecordsTheNotesThatJackMidiPlays)
{
    const auto state = writeState ({ { "ADSR", 1.0f },
                                     { "attack", 0.0025f },
                                     { "decay", 0.0025f },
                                     { "sustain", 1.0f },
                                     { "release", 0.0025f },
                                     { "vel_x", 0.003f } });

    ASSERT_NO_FATAL_FAILURE (startJack());

    ASSERT_TRUE (
        start (jalv, { "jalv", "-n", "toravel", "-x", "-l", state.getFullPathName(), TORAVEL_LV2_URI }, "jalv"));
    const auto plugin = waitForPorts ("toravel", 5, jalv);
    ASSERT_FALSE (plugin.empty()) << logs();

    // Half a second of A4 at the start of every second.
    ASSERT_TRUE (start (
        sequencer, { "jack_midiseq", "sequencer", juce::String (jackRate), "0", "69", juce::String (jackRate / 2) },
        "sequencer"));
    ASSERT_FALSE (waitForPorts ("sequencer", 1, sequencer).empty()) << logs();

    juce::String midiIn;
    juce::StringArray audioOut;
    for (const auto& port : plugin)
    {
        if (port.midi && port.input)
            midiIn = port.name;
        if (port.audio && !port.input)
            audioOut.add (port.name);
    }
    ASSERT_TRUE (midiIn.isNotEmpty()) << logs();
    ASSERT_EQ (audioOut.size(), 2) << logs();
    ASSERT_EQ (jackTool ({ "jack_connect", "sequencer:out", midiIn }).exitCode, 0) << logs();

    const auto recording = home.file ("recording.wav");
    juce::StringArray record{ "jack_rec", "-f", recording.getFullPathName(), "-d", juce::String (recordSeconds),
                              "-b",       "32" };
    record.addArray (audioOut);
    ASSERT_TRUE (start (recorder, record, "recorder"));
    ASSERT_EQ (recorder.waitForExit (waitMilliseconds + (int) (recordSeconds * 1000)), 0) << recorder.log();

    const auto wav = WavFile::read (recording);
    ASSERT_TRUE (wav.valid) << recorder.log();
    ASSERT_EQ (wav.audio.getNumChannels(), 2);
    EXPECT_EQ (wav.sampleRate, (double) jackRate);
    ASSERT_GE (wav.audio.getNumSamples(), (int) (jackRate * (recordSeconds - 0.5)));
    EXPECT_EQ (wav.nonFiniteSamples(), 0);

    // The envelope follows the notes: in 20 ms windows, loud ones and silent ones.
    int loud = 0, silent = 0, windows = 0;
    for (double t = 0.0; t + 0.02 <= (double) wav.audio.getNumSamples() / jackRate; t += 0.02, ++windows)
    {
        const auto level = wav.rms (t, t + 0.02);
        loud += level > 0.01 ? 1 : 0;
        silent += level < 1e-4 ? 1 : 0;
    }
    EXPECT_GT (loud, windows / 5) << logs();
    EXPECT_GT (silent, windows / 5) << logs();
    EXPECT_LT (wav.audio.getMagnitude (0, wav.audio.getNumSamples()), 1.0f);
}

TEST_F (JalvSession, TellsTheHostTheValuesItHolds)
{
    ASSERT_NO_FATAL_FAILURE (startJack());

    // Right after loading: the defaults, with the ratios as the derivation wrote them back.
    QuorvelV2AudioProcessor loaded;
    const auto toldLoaded = valuesToldToJalv ({}, "jalv-loaded");
    ASSERT_NO_FATAL_FAILURE (expectValuesOf (loaded, toldLoaded));
    EXPECT_NEAR (toldLoaded.at ("carrier"), 0.5f, 1e-6);

    QuorvelV2AudioProcessor restored;
    ASSERT_TRUE (applySettings (restored, { { "carrier", 0.7f } }).isEmpty());
    const auto toldRestored =
        valuesToldToJalv ({ "-l", writeState ({ { "carrier", 0.7f } }).getFullPathName() }, "jalv-restored");
    ASSERT_NO_FATAL_FAILURE (expectValuesOf (restored, toldRestored));
    EXPECT_NEAR (toldRestored.at ("carrier"), 0.7f, 1e-6);
}
