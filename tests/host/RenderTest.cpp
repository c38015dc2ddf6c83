#include "PluginProcessor.h"
#include "RenderSupport.h"

#include <map>

// The host program's renderer driving the built binaries of each format: parameters
// by name, notes from the command line and from a MIDI file, preset files in and
// out, and the WAV file it writes.

namespace
{
constexpr double rate = 44100.0;

class RenderThroughFormat : public ::testing::TestWithParam<PluginFormat>
{
protected:
    void SetUp() override { ASSERT_TRUE (home.isReady()); }

    ProgramResult render (const juce::StringArray& options) { return home.render (GetParam().plugin, options); }

    RenderHome home;
};

juce::File writeMidiFile (const juce::File& file, int note, double onSeconds, double offSeconds)
{
    // At the default 120 beats a minute, 960 ticks a beat make 1920 ticks a second.
    constexpr double ticksPerSecond = 1920.0;
    juce::MidiMessageSequence track;
    track.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 90), onSeconds * ticksPerSecond);
    track.addEvent (juce::MidiMessage::noteOff (1, note), offSeconds * ticksPerSecond);
    track.updateMatchedPairs();
    juce::MidiFile midi;
    midi.setTicksPerQuarterNote (960);
    midi.addTrack (track);
    juce::FileOutputStream stream (file);
    midi.writeTo (stream);
    return file;
}
} // namespace

TEST_P (RenderThroughFormat, SteadyCarrierIsFiniteAudibleAndAtItsPitch)
{
    // Speed 0.003 of 340 m/s bends a 301 Hz carrier by less than a hertz.
    const auto out = home.file ("carrier.wav");
    const auto result =
        render ({ "--seconds", "1", "--set", "carrier=0.3", "--set", "vel_x=0.003", "-o", out.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;

    const auto wav = WavFile::read (out);
    ASSERT_TRUE (wav.valid) << result.output;
    EXPECT_EQ (wav.sampleRate, rate);
    EXPECT_EQ (wav.audio.getNumChannels(), 2);
    EXPECT_EQ (wav.audio.getNumSamples(), 44100);
    EXPECT_EQ (wav.bitsPerSample, 32);
    EXPECT_TRUE (wav.floatingPoint);
    EXPECT_EQ (wav.nonFiniteSamples(), 0);
    EXPECT_GT (wav.rms (0.1, 1.0), 0.01);
    EXPECT_NEAR (strongestFrequencyIn (result.output), 301.0, 3.0) << result.output;
}

TEST_P (RenderThroughFormat, NotesOfAMidiFileSoundOnlyWhileHeld)
{
    const auto midi = writeMidiFile (home.file ("note.mid"), 69, 0.25, 0.75);
    const auto out = home.file ("note.wav");
    const auto result = render ({ "--midi", midi.getFullPathName(), "--seconds", "1.25", "--set", "ADSR=1", "--set",
                                  "attack=0.0025", "--set", "decay=0.0025", "--set", "sustain=1", "--set",
                                  "release=0.0025", "--set", "vel_x=0.003", "-o", out.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;

    const auto wav = WavFile::read (out);
    ASSERT_TRUE (wav.valid);
    EXPECT_EQ (wav.audio.getNumSamples(), 55125);
    EXPECT_EQ (wav.nonFiniteSamples(), 0);
    const auto held = wav.rms (0.35, 0.7);
    EXPECT_GT (held, 0.01);
    EXPECT_LT (wav.rms (0.0, 0.2), held * 1e-4);
    EXPECT_LT (wav.rms (0.9, 1.25), held * 1e-2);
    EXPECT_NEAR (strongestFrequencyIn (result.output), 440.0, 3.0) << result.output;
}

TEST_P (RenderThroughFormat, SavedPresetReproducesTheRender)
{
    const auto preset = home.file ("saved.zkp");
    const auto first = home.file ("first.wav"), second = home.file ("second.wav");
    const auto saved =
        render ({ "--seconds", "0.5", "--set", "carrier=0.3", "--set", "osc1_type=0.1666667", "--set", "vel_y=0.02",
                  "--set", "bnd_y1=0.2", "--save-preset", preset.getFullPathName(), "-o", first.getFullPathName() });
    ASSERT_EQ (saved.exitCode, 0) << saved.output;

    const auto xml = juce::XmlDocument::parse (preset);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "QUORVELSETTINGS");
    EXPECT_EQ ((float) xml->getDoubleAttribute ("carrier"), 0.3f);
    EXPECT_EQ ((float) xml->getDoubleAttribute ("osc1_type"), 0.1666667f);
    EXPECT_EQ ((float) xml->getDoubleAttribute ("vel_y"), 0.02f);

    // Byte for byte what the plug-in itself writes for that state.
    QuorvelV2AudioProcessor processor;
    processor.setStateFromFile (preset);
    const auto own = home.file ("own.zkp");
    ASSERT_TRUE (processor.saveStateToFile (own));
    EXPECT_EQ (preset.loadFileAsString(), own.loadFileAsString());

    const auto loaded =
        render ({ "--seconds", "0.5", "--preset", preset.getFullPathName(), "-o", second.getFullPathName() });
    ASSERT_EQ (loaded.exitCode, 0) << loaded.output;
    const auto a = WavFile::read (first), b = WavFile::read (second);
    ASSERT_TRUE (a.valid && b.valid);
    ASSERT_EQ (a.audio.getNumSamples(), b.audio.getNumSamples());
    EXPECT_GT (a.rms (0.0, 0.5), 0.0);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < a.audio.getNumSamples(); ++i)
            ASSERT_EQ (a.audio.getSample (c, i), b.audio.getSample (c, i)) << "channel " << c << ", sample " << i;
}

// Two instances in one host process: preparing the second at another rate leaves
// the first at its pitch.
TEST_P (RenderThroughFormat, SecondInstanceAtAnotherRateLeavesTheFirstAtItsPitch)
{
    const auto out = home.file ("beside.wav");
    const auto result = render ({ "--seconds", "1", "--set", "carrier=0.3", "--set", "vel_x=0.003", "--beside",
                                  "96000", "-o", out.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;
    EXPECT_NEAR (strongestFrequencyIn (result.output), 301.0, 3.0) << result.output;
}

// A project damaged on disk or in transfer: the wrapper's own framing of the state
// (the VST3 trailer with its private-data size, the byte count of the LV2 text) and
// our block inside it, damaged thousands of ways, must each leave a plug-in that
// renders finite audio and takes its undamaged state back byte for byte.
TEST_P (RenderThroughFormat, SurvivesDamagedStates)
{
    const auto result = home.run ("damage-state", GetParam().plugin, { "--cases", "3000" });
    ASSERT_EQ (result.exitCode, 0) << result.output.getLastCharacters (2000);

    const auto lines = juce::StringArray::fromLines (result.output.trimEnd());
    const auto report = juce::JSON::parse (lines[lines.size() - 1]);
    EXPECT_EQ (report["format"].toString(), GetParam().name);
    // VST3: seventeen private-data sizes and a cut at every byte of the trailer at least.
    const std::map<juce::String, int> framing{ { "VST3", 17 + 23 }, { "LV2", 8 }, { "VST", 0 } };
    EXPECT_GE ((int) report["framingCases"], framing.at (GetParam().name));
    EXPECT_EQ ((int) report["cases"], 3000 + (int) report["framingCases"]);
    // Some of the damage reached our values, and some was refused or harmless.
    EXPECT_GT ((int) report["changedState"], 100);
    EXPECT_LT ((int) report["changedState"], 2900);
}

INSTANTIATE_TEST_SUITE_P (Formats, RenderThroughFormat, ::testing::ValuesIn (pluginFormats), formatName);

TEST (Render, WritesTwentyFourBitFiles)
{
    RenderHome home;
    const auto out = home.file ("24.wav");
    const auto result =
        home.render (TORAVEL_VST3_BUNDLE, { "--seconds", "0.25", "--bits", "24", "-o", out.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;
    const auto wav = WavFile::read (out);
    ASSERT_TRUE (wav.valid);
    EXPECT_EQ (wav.bitsPerSample, 24);
    EXPECT_FALSE (wav.floatingPoint);
    EXPECT_EQ (wav.audio.getNumSamples(), 11025);
    EXPECT_GT (wav.rms (0.0, 0.25), 0.0);
}

// At the top speed the tracking filters' cut-off reaches its 10 kHz cap, which at these
// rates is at, past or just below half the rate: "4x" (filter_type 0) and "1x" (0.5)
// must still pass what "off" (1) passes, less at most 3 dB.
TEST (Render, CutOffNearOrPastHalfALowRateKeepsThePassBand)
{
    RenderHome home;
    for (const juce::String rate : { "16000", "20000", "21000", "22050" })
    {
        double off = 0.0;
        for (const juce::String filter : { "1", "0.5", "0" })
        {
            SCOPED_TRACE (rate + " Hz, filter_type " + filter);
            const auto out = home.file (rate + "-" + filter + ".wav");
            const auto result =
                home.render (TORAVEL_VST3_BUNDLE,
                             { "--rate", rate, "--seconds", "0.5", "--set", "vel_x=1.0", "--set", "doppler_type=0.3333",
                               "--set", "filter_type=" + filter, "-o", out.getFullPathName() });
            ASSERT_EQ (result.exitCode, 0) << result.output;
            const auto wav = WavFile::read (out);
            ASSERT_TRUE (wav.valid);
            EXPECT_EQ (wav.sampleRate, rate.getDoubleValue());
            EXPECT_EQ (wav.nonFiniteSamples(), 0);
            const double rms = wav.rms (0.1, 0.5);
            EXPECT_GT (rms, 0.01) << result.output;
            if (filter == "1")
                off = rms;
            else
            {
                EXPECT_GT (20.0 * std::log10 (rms / off), -3.0);
            }
        }
    }
}

// Without a plug-in argument the renderer takes the binary of the chosen format that
// the build put beside it.
TEST (Render, FindsTheBuiltBinaryOfEachFormat)
{
    RenderHome home;
    for (const auto* format : { "vst3", "lv2", "vst" })
    {
        SCOPED_TRACE (format);
        const auto out = home.file (juce::String (format) + ".wav");
        const auto result = home.render ({}, { "--format", format, "--seconds", "0.1", "-o", out.getFullPathName() });
        ASSERT_EQ (result.exitCode, 0) << result.output;
        EXPECT_TRUE (result.output.contains (": " + juce::String (format).toUpperCase() + ", 2 ch")) << result.output;
    }
}

TEST (Render, RefusesAParameterThePlugInDoesNotHave)
{
    RenderHome home;
    const auto out = home.file ("none.wav");
    const auto result = home.render (TORAVEL_VST3_BUNDLE, { "--set", "volume=0.5", "-o", out.getFullPathName() });
    EXPECT_EQ (result.exitCode, 1);
    EXPECT_TRUE (result.output.contains ("no parameter named volume")) << result.output;
    EXPECT_FALSE (out.exists());
}

TEST (Render, RefusesMalformedOptions)
{
    RenderHome home;
    for (const auto& options : { juce::StringArray{ "--note", "60:1" }, juce::StringArray{ "--note", "128:0:1" },
                                 juce::StringArray{ "--set", "gain" }, juce::StringArray{ "--set", "gain=1.5" },
                                 juce::StringArray{ "--bits", "16" }, juce::StringArray{ "--seconds", "0" },
                                 juce::StringArray{ "--seconds", "-1" }, juce::StringArray{ "--beside", "fast" } })
    {
        SCOPED_TRACE (options.joinIntoString (" "));
        EXPECT_EQ (home.render (TORAVEL_VST3_BUNDLE, options).exitCode, 2);
    }
}

TEST (Render, RefusesAPresetThatIsNoPreset)
{
    RenderHome home;
    const auto notPreset = home.file ("other.zkp");
    notPreset.replaceWithText ("<OTHER gain=\"1\"/>");
    const auto result = home.render (
        TORAVEL_VST3_BUNDLE, { "--preset", notPreset.getFullPathName(), "-o", home.file ("x.wav").getFullPathName() });
    EXPECT_EQ (result.exitCode, 1);
    EXPECT_TRUE (result.output.contains ("is no preset file")) << result.output;
}
