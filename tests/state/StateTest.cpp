#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <atomic>
#include <thread>
#include <vector>

namespace
{
const char* const identifiers[] = { "gain",         "trail",     "carrier",  "ratio_x",   "ratio_y",    "ratio_z",
                                    "vel_x",        "vel_y",     "vel_z",    "bnd_x1",    "bnd_x2",     "bnd_y1",
                                    "bnd_y2",       "bnd_z1",    "bnd_z2",   "attack",    "decay",      "sustain",
                                    "release",      "ADSR",      "symm_x",   "symm_y",    "symm_z",     "motion_type",
                                    "doppler_type", "gain_type", "pan_type", "osc1_type", "ratio_type", "filter_type" };

struct TempFolder
{
    TempFolder() : folder (juce::File::createTempFile ("state-test")) { folder.createDirectory(); }
    ~TempFolder() { folder.deleteRecursively(); }

    juce::File folder;
};

std::vector<float> parameterValues (QuorvelV2AudioProcessor& processor)
{
    std::vector<float> values;
    for (int i = 0; i < 30; ++i)
        values.push_back (processor.getParameter (i));
    return values;
}

juce::MemoryBlock stateOf (QuorvelV2AudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

void loadXmlText (QuorvelV2AudioProcessor& processor, const juce::String& text)
{
    auto xml = juce::parseXML (text);
    ASSERT_NE (xml, nullptr) << text;
    processor.loadStateFromXML (xml.get());
}

// A state in which every value differs from the defaults and several floats need
// all of their digits.
void setKnownState (QuorvelV2AudioProcessor& processor)
{
    for (int i = 0; i < 30; ++i)
        processor.setParameter (i, (float) (i + 1) / 32.0f);
    processor.setParameter (1, 0.1f);
    processor.setParameter (2, 0.3f);
    processor.setParameter (19, 1.0f);
    processor.setParameter (20, 0.0f);
    processor.setParameter (29, 0.00001f);

    juce::String name ("A \"b\" & <c>");
    processor.setCurrentPresetName (name);
    processor.phi = 12.5f;
    processor.theta = -7.0f;
    processor.scale = 0.1f;
}

struct ParameterChangeCounter : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
    {
        changes.push_back ({ index, value });
    }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

    std::vector<std::pair<int, float>> changes;
};
} // namespace

TEST (SavedStateElement, FreshProcessorWritesThirtyFiveAttributesInOrder)
{
    QuorvelV2AudioProcessor processor;
    juce::XmlElement xml ("QUORVELSETTINGS");
    processor.saveStateToXML (xml);

    ASSERT_EQ (xml.getNumAttributes(), 35);
    EXPECT_EQ (xml.getAttributeName (0), "pluginVersion");
    EXPECT_EQ (xml.getAttributeName (1), "presetName");
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ (xml.getAttributeName (i + 2), identifiers[i]);
    EXPECT_EQ (xml.getAttributeName (32), "phi");
    EXPECT_EQ (xml.getAttributeName (33), "theta");
    EXPECT_EQ (xml.getAttributeName (34), "scale");

    EXPECT_EQ (xml.getAttributeValue (0), "1");
    EXPECT_EQ (xml.getAttributeValue (1), "");
    EXPECT_EQ (xml.getAttributeValue (2), "0.5");
    EXPECT_EQ (xml.getAttributeValue (32), "5");
    EXPECT_EQ (xml.getAttributeValue (33), "-7");
    EXPECT_EQ (xml.getAttributeValue (34), "0.10000000149011611938");
    EXPECT_EQ (xml.getNumChildElements(), 0);
}

TEST (SavedStateElement, NumbersCarryTwentySignificantDigits)
{
    QuorvelV2AudioProcessor processor;
    setKnownState (processor);
    juce::XmlElement xml ("QUORVELSETTINGS");
    processor.saveStateToXML (xml);

    EXPECT_EQ (xml.getStringAttribute ("gain"), "0.03125");
    EXPECT_EQ (xml.getStringAttribute ("trail"), "0.10000000149011611938");
    EXPECT_EQ (xml.getStringAttribute ("carrier"), "0.30000001192092895508");
    EXPECT_EQ (xml.getStringAttribute ("ADSR"), "1");
    EXPECT_EQ (xml.getStringAttribute ("symm_x"), "0");
    EXPECT_EQ (xml.getStringAttribute ("filter_type"), "9.9999997473787516356e-06");
    EXPECT_EQ (xml.getStringAttribute ("phi"), "12.5");
    EXPECT_EQ (xml.getStringAttribute ("presetName"), "A \"b\" & <c>");
}

TEST (HostBlock, RoundTripIsByteIdentical)
{
    QuorvelV2AudioProcessor source;
    setKnownState (source);
    const auto first = stateOf (source);

    QuorvelV2AudioProcessor target;
    target.setStateInformation (first.getData(), (int) first.getSize());
    const auto second = stateOf (target);

    EXPECT_EQ (first, second);
    EXPECT_EQ (target.getCurrentPresetName(), "A \"b\" & <c>");
    EXPECT_EQ (target.phi, 12.5f);
    EXPECT_EQ (target.theta, -7.0f);
    EXPECT_EQ (target.scale, 0.1f);
}

// The framework's header and length, then the element itself with no declaration
// before it; a block the framework packed, declaration and all, still loads.
TEST (HostBlock, HoldsTheElementAloneAndReadsTheFrameworksFormToo)
{
    QuorvelV2AudioProcessor source;
    setKnownState (source);
    const auto block = stateOf (source);
    const auto* bytes = static_cast<const char*> (block.getData());
    ASSERT_GT (block.getSize(), 9u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes), 0x21324356u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4), block.getSize() - 9);
    EXPECT_TRUE (juce::String (bytes + 8).startsWith ("<QUORVELSETTINGS pluginVersion=")) << bytes + 8;
    EXPECT_EQ (bytes[block.getSize() - 1], 0);

    const auto xml = juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
    ASSERT_NE (xml, nullptr);
    juce::MemoryBlock declared;
    juce::AudioProcessor::copyXmlToBinary (*xml, declared);
    ASSERT_TRUE (juce::String (static_cast<const char*> (declared.getData()) + 8).startsWith ("<?xml "));

    QuorvelV2AudioProcessor target;
    target.setStateInformation (declared.getData(), (int) declared.getSize());
    EXPECT_EQ (stateOf (target), block);
}

TEST (HostBlock, EveryNormalisedValueComesBackExactly)
{
    QuorvelV2AudioProcessor source;
    juce::Random random (1234);
    for (int i = 0; i < 30; ++i)
        source.setParameter (i, random.nextFloat());
    source.setParameter (7, 1.0e-7f);
    source.setParameter (8, std::nextafter (1.0f, 0.0f));
    const auto written = parameterValues (source);
    const auto block = stateOf (source);

    QuorvelV2AudioProcessor target;
    target.setStateInformation (block.getData(), (int) block.getSize());
    const auto read = parameterValues (target);

    for (int i = 0; i < 30; ++i)
        EXPECT_EQ (std::memcmp (&written[(size_t) i], &read[(size_t) i], sizeof (float)), 0) << identifiers[i];
}

TEST (HostBlock, UnreadableOrForeignBlocksChangeNothing)
{
    QuorvelV2AudioProcessor processor;
    setKnownState (processor);
    const auto before = stateOf (processor);

    juce::XmlElement foreign ("SOMETHINGELSE");
    foreign.setAttribute ("presetName", "intruder");
    foreign.setAttribute ("gain", "1");
    juce::MemoryBlock foreignBlock;
    juce::AudioProcessor::copyXmlToBinary (foreign, foreignBlock);

    const char garbage[] = "this is not a state block at all";
    const auto truncated = juce::MemoryBlock (before.getData(), 6);
    std::vector<char> zeros (64, 0);

    processor.setStateInformation (foreignBlock.getData(), (int) foreignBlock.getSize());
    processor.setStateInformation (garbage, (int) sizeof (garbage));
    processor.setStateInformation (truncated.getData(), (int) truncated.getSize());
    processor.setStateInformation (zeros.data(), (int) zeros.size());
    processor.setStateInformation (garbage, 0);
    processor.setStateInformation (garbage, -5);

    EXPECT_EQ (stateOf (processor), before);
}

TEST (HostBlock, LoadingNotifiesTheHostOfEveryParameter)
{
    QuorvelV2AudioProcessor source;
    setKnownState (source);
    const auto block = stateOf (source);

    QuorvelV2AudioProcessor target;
    ParameterChangeCounter counter;
    target.addListener (&counter);
    target.setStateInformation (block.getData(), (int) block.getSize());
    target.removeListener (&counter);

    ASSERT_EQ (counter.changes.size(), 30u);
    for (int i = 0; i < 30; ++i)
    {
        EXPECT_EQ (counter.changes[(size_t) i].first, i);
        EXPECT_EQ (counter.changes[(size_t) i].second, source.getParameter (i));
    }
}

TEST (LoadStateFromXml, TagIsComparedWithoutLetterCaseAndVersionIsIgnored)
{
    QuorvelV2AudioProcessor processor;
    loadXmlText (processor, "<quorvelSettings presetName=\"lower\" gain=\"0.25\" pluginVersion=\"77\"/>");
    EXPECT_EQ (processor.getCurrentPresetName(), "lower");
    EXPECT_EQ (processor.getParameter (0), 0.25f);

    QuorvelV2AudioProcessor withoutVersion;
    loadXmlText (withoutVersion, "<QUORVELSETTINGS presetName=\"lower\" gain=\"0.25\"/>");
    EXPECT_EQ (stateOf (withoutVersion), stateOf (processor));
}

TEST (LoadStateFromXml, OtherTagChangesNothing)
{
    QuorvelV2AudioProcessor processor;
    const auto before = stateOf (processor);
    loadXmlText (processor, "<QUORVELSETTINGSX presetName=\"x\" gain=\"1\" phi=\"1\"/>");
    EXPECT_EQ (stateOf (processor), before);
}

TEST (LoadStateFromXml, MissingAndMalformedNumbers)
{
    QuorvelV2AudioProcessor processor;
    loadXmlText (processor, "<QUORVELSETTINGS trail=\"3\" carrier=\"abc\" ratio_x=\"0.25xyz\" ratio_y=\"-2\""
                            " ratio_z=\"nan\" vel_x=\"inf\" vel_y=\" 0.5\" scale=\"0.2\""
                            // Exponents too long for the framework's reader to hold; leading
                            // zeros count for nothing.
                            " vel_z=\"1e2147483648\" bnd_x1=\"1e-2147483649\" bnd_x2=\"5e-000000000000000000001\""
                            " bnd_y1=\"0.5E+0000000000000000000\" phi=\"1e99999999999999999999\"/>");

    EXPECT_EQ (processor.getCurrentPresetName(), "");
    EXPECT_EQ (processor.getParameter (0), 0.0f) << "a missing attribute reads as 0";
    EXPECT_EQ (processor.getParameter (1), 1.0f);
    EXPECT_EQ (processor.getParameter (2), 0.0f);
    EXPECT_EQ (processor.getParameter (3), 0.25f);
    EXPECT_EQ (processor.getParameter (4), 0.0f);
    EXPECT_EQ (processor.getParameter (5), 0.0f);
    EXPECT_EQ (processor.getParameter (6), 1.0f);
    EXPECT_EQ (processor.getParameter (7), 0.5f);
    EXPECT_EQ (processor.getParameter (8), 1.0f);
    EXPECT_EQ (processor.getParameter (9), 0.0f);
    EXPECT_EQ (processor.getParameter (10), 0.5f);
    EXPECT_EQ (processor.getParameter (11), 0.5f);
    for (int i = 12; i < 30; ++i)
        EXPECT_EQ (processor.getParameter (i), 0.0f) << identifiers[i];

    EXPECT_EQ (processor.scale, 0.2f);
    EXPECT_EQ (processor.phi, 0.0f) << "an infinite angle reads as 0";
    EXPECT_EQ (processor.theta, 0.0f) << "a missing angle reads as 0";
}

TEST (LoadStateFromXml, ZoomStaysPositiveAndWithinTheViewsRange)
{
    struct Case
    {
        const char* attribute;
        float expected;
    };
    const Case cases[] = { { "", 0.7f },
                           { " scale=\"abc\"", 0.7f },
                           { " scale=\"0\"", 0.7f },
                           { " scale=\"-3\"", 0.7f },
                           { " scale=\"nan\"", 0.7f },
                           { " scale=\"inf\"", 0.7f },
                           { " scale=\"100\"", 20.0f },
                           { " scale=\"0.0001\"", 0.003f },
                           { " scale=\"2.5\"", 2.5f } };

    for (const auto& c : cases)
    {
        QuorvelV2AudioProcessor processor;
        processor.scale = 0.7f;
        loadXmlText (processor, juce::String ("<QUORVELSETTINGS theta=\"inf\" phi=\"nan\"") + c.attribute + "/>");
        EXPECT_EQ (processor.scale, c.expected) << c.attribute;
        EXPECT_EQ (processor.theta, 0.0f);
        EXPECT_EQ (processor.phi, 0.0f);
    }
}

TEST (LoadStateFromXml, PresetNameWithMarkupCharactersSurvives)
{
    const juce::String awkward ("<\"quoted\" & 'apostrophe'> \xc3\xa9t\xc3\xa9");
    QuorvelV2AudioProcessor source;
    auto name = juce::String::fromUTF8 (awkward.toRawUTF8());
    source.setCurrentPresetName (name);
    const auto block = stateOf (source);

    QuorvelV2AudioProcessor target;
    target.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (target.getCurrentPresetName(), name);

    TempFolder temp;
    const auto file = temp.folder.getChildFile ("awkward.zkp");
    ASSERT_TRUE (source.saveStateToFile (file));
    QuorvelV2AudioProcessor fromFile;
    fromFile.setStateFromFile (file);
    EXPECT_EQ (fromFile.getCurrentPresetName(), name);
}

TEST (PresetFile, ExactTextForAKnownState)
{
    QuorvelV2AudioProcessor processor;
    setKnownState (processor);
    TempFolder temp;
    const auto file = temp.folder.getChildFile ("known.zkp");
    ASSERT_TRUE (processor.saveStateToFile (file));

    const char* expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "\r\n"
        "<QUORVELSETTINGS pluginVersion=\"1\" presetName=\"A &quot;b&quot; &amp; &lt;c&gt;\"\r\n"
        "                 gain=\"0.03125\" trail=\"0.10000000149011611938\" carrier=\"0.30000001192092895508\"\r\n"
        "                 ratio_x=\"0.125\" ratio_y=\"0.15625\" ratio_z=\"0.1875\" vel_x=\"0.21875\"\r\n"
        "                 vel_y=\"0.25\" vel_z=\"0.28125\" bnd_x1=\"0.3125\" bnd_x2=\"0.34375\"\r\n"
        "                 bnd_y1=\"0.375\" bnd_y2=\"0.40625\" bnd_z1=\"0.4375\" bnd_z2=\"0.46875\"\r\n"
        "                 attack=\"0.5\" decay=\"0.53125\" sustain=\"0.5625\" release=\"0.59375\"\r\n"
        "                 ADSR=\"1\" symm_x=\"0\" symm_y=\"0.6875\" symm_z=\"0.71875\" motion_type=\"0.75\"\r\n"
        "                 doppler_type=\"0.78125\" gain_type=\"0.8125\" pan_type=\"0.84375\"\r\n"
        "                 osc1_type=\"0.875\" ratio_type=\"0.90625\" filter_type=\"9.9999997473787516356e-06\"\r\n"
        "                 phi=\"12.5\" theta=\"-7\" scale=\"0.10000000149011611938\"/>\r\n";

    juce::MemoryBlock bytes;
    ASSERT_TRUE (file.loadFileAsData (bytes));
    EXPECT_EQ (bytes.toString(), juce::String (expected));
    EXPECT_EQ (bytes.getSize(), std::strlen (expected));
}

TEST (PresetFile, SavingAndLoadingRestoresTheState)
{
    QuorvelV2AudioProcessor source;
    setKnownState (source);
    TempFolder temp;
    const auto file = temp.folder.getChildFile ("roundtrip.zkp");
    ASSERT_TRUE (source.saveStateToFile (file));

    QuorvelV2AudioProcessor target;
    target.setStateFromFile (file);
    EXPECT_EQ (stateOf (target), stateOf (source));
}

TEST (PresetFile, ReplacesAnExistingFileWholeAndLeavesNoTemporaryBehind)
{
    TempFolder temp;
    const auto file = temp.folder.getChildFile ("existing.zkp");
    ASSERT_TRUE (file.replaceWithText (juce::String::repeatedString ("old content ", 2000)));

    QuorvelV2AudioProcessor processor;
    ASSERT_TRUE (processor.saveStateToFile (file));

    auto xml = juce::XmlDocument::parse (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("QUORVELSETTINGS"));
    EXPECT_FALSE (file.loadFileAsString().contains ("old content"));
    EXPECT_EQ (
        temp.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"),
        1);
}

TEST (PresetFile, UnwritablePlaceReportsFailure)
{
    TempFolder temp;
    QuorvelV2AudioProcessor processor;
    EXPECT_FALSE (processor.saveStateToFile (temp.folder.getChildFile ("missing").getChildFile ("x.zkp")));
}

TEST (PresetFile, UnloadableFilesSetTheErrorNameAndKeepEverythingElse)
{
    TempFolder temp;
    const auto foreign = temp.folder.getChildFile ("foreign.zkp");
    const auto broken = temp.folder.getChildFile ("broken.zkp");
    const auto empty = temp.folder.getChildFile ("empty.zkp");
    foreign.replaceWithText ("<?xml version=\"1.0\"?>\r\n<OTHER gain=\"1\" presetName=\"x\" phi=\"1\"/>\r\n");
    broken.replaceWithText ("QUORVELSETTINGS gain=1, but not XML");
    empty.create();

    for (const auto& file : { foreign, broken, empty, temp.folder.getChildFile ("absent.zkp"), temp.folder })
    {
        QuorvelV2AudioProcessor processor;
        setKnownState (processor);
        const auto values = parameterValues (processor);

        processor.setStateFromFile (file);

        EXPECT_EQ (processor.getCurrentPresetName(), "Error Loading Preset") << file.getFileName();
        EXPECT_EQ (parameterValues (processor), values);
        EXPECT_EQ (processor.phi, 12.5f);
        EXPECT_EQ (processor.theta, -7.0f);
        EXPECT_EQ (processor.scale, 0.1f);
    }
}

TEST (PresetFile, LowerCaseRootLoads)
{
    TempFolder temp;
    const auto file = temp.folder.getChildFile ("lower.zkp");
    file.replaceWithText ("<quorvelsettings presetName=\"small\" gain=\"0.75\" phi=\"3\" theta=\"4\" scale=\"1\"/>");

    QuorvelV2AudioProcessor processor;
    processor.setStateFromFile (file);
    EXPECT_EQ (processor.getCurrentPresetName(), "small");
    EXPECT_EQ (processor.getParameter (0), 0.75f);
    EXPECT_EQ (processor.phi, 3.0f);
    EXPECT_EQ (processor.theta, 4.0f);
    EXPECT_EQ (processor.scale, 1.0f);
}

// Hosts restore states and the strip loads presets on the message thread while the
// audio thread renders; run under the ThreadSanitizer configuration this proves the
// hand-over (atomic parameters, the agent's recentring request) free of races.
TEST (StateWhileRendering, LoadsAndSavesBesideTheAudioThread)
{
    QuorvelV2AudioProcessor processor;
    processor.prepareToPlay (44100.0, 256);

    QuorvelV2AudioProcessor source;
    setKnownState (source);
    const auto block = stateOf (source);
    TempFolder temp;
    const auto file = temp.folder.getChildFile ("concurrent.zkp");
    ASSERT_TRUE (source.saveStateToFile (file));

    std::atomic<bool> running{ true };
    std::atomic<int> blocks{ 0 };
    std::thread audio (
        [&]
        {
            juce::AudioBuffer<float> buffer (2, 256);
            juce::MidiBuffer midi;
            while (running.load() || blocks.load() < 10)
            {
                buffer.clear();
                processor.processBlock (buffer, midi);
                ++blocks;
            }
        });

    for (int i = 0; i < 50; ++i)
    {
        processor.setStateInformation (block.getData(), (int) block.getSize());
        processor.setStateFromFile (file);
        juce::MemoryBlock saved;
        processor.getStateInformation (saved);
    }
    running = false;
    audio.join();

    EXPECT_GE (blocks.load(), 10);
    EXPECT_EQ (processor.getCurrentPresetName(), "A \"b\" & <c>");
    EXPECT_EQ (processor.phi, 12.5f);
    EXPECT_EQ (processor.scale, 0.1f);
}
