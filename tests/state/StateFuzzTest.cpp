#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

// Fuzzed host blocks and preset files. The number of cases is 100000 (a tenth of
// them preset files); under a sanitizer a tenth of that, and the environment variable
// TORAVEL_STATE_FUZZ_CASES sets it outright.

namespace
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int defaultCases = 10000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr int defaultCases = 10000;
#else
constexpr int defaultCases = 100000;
#endif
#else
constexpr int defaultCases = 100000;
#endif

int fuzzCases()
{
    if (const char* text = std::getenv ("TORAVEL_STATE_FUZZ_CASES"))
        return juce::jmax (1, std::atoi (text));
    return defaultCases;
}

// Everything a load may change.
struct Snapshot
{
    float normalised[numTrParams];
    juce::String presetName;
    float phi, theta, scale;

    explicit Snapshot (QuorvelV2AudioProcessor& p)
        : presetName (p.getCurrentPresetName()), phi (p.phi), theta (p.theta), scale (p.scale)
    {
        for (int i = 0; i < numTrParams; ++i)
            normalised[i] = p.getParameter (i);
    }

    bool parametersEqual (const Snapshot& other) const
    {
        for (int i = 0; i < numTrParams; ++i)
            if (normalised[i] != other.normalised[i])
                return false;
        return true;
    }

    bool operator== (const Snapshot& other) const
    {
        return parametersEqual (other) && presetName == other.presetName && phi == other.phi && theta == other.theta &&
               scale == other.scale;
    }
};

// What every load must leave, whatever it was given.
void expectSane (QuorvelV2AudioProcessor& p, int caseNumber)
{
    for (int i = 0; i < numTrParams; ++i)
    {
        const float v = p.getParameter (i);
        ASSERT_TRUE (v >= 0.0f && v <= 1.0f) << trParamNames[i] << " = " << v << " in case " << caseNumber;
        ASSERT_TRUE (std::isfinite (p.getScaledParameter (i))) << trParamNames[i] << " in case " << caseNumber;
    }
    ASSERT_TRUE (p.scale >= 0.003f && p.scale <= 20.0f) << p.scale << " in case " << caseNumber;
    ASSERT_TRUE (std::isfinite (p.phi) && std::isfinite (p.theta)) << "case " << caseNumber;
}

class Fuzzer
{
public:
    explicit Fuzzer (juce::int64 seed) : random (seed) {}

    // A number text of the kinds a state may hold, a damaged file may hold, or a
    // reader may trip over.
    std::string numberText()
    {
        static const char* const nasty[] = { "nan",   "NaN",   "inf",    "-inf",   "1e999", "-1e999", "1e-999",
                                             "0x1p3", "  0.5", "0.5abc", "",       "-0",    "+.5",    "1e",
                                             "--1",   ".",     "1e+39",  "3.5e38", "-7",    "0.25" };
        switch (random.nextInt (4))
        {
            case 0:
                return nasty[random.nextInt ((int) std::size (nasty))];
            case 1:
                return std::to_string (random.nextDouble() * 2.0 - 0.5);
            case 2:
                return std::string ((size_t) (1 + random.nextInt (400)), (char) ('0' + random.nextInt (10)));
            default:
                return std::to_string (random.nextInt()) + "." + std::to_string (random.nextInt (1000000));
        }
    }

    // Text with bytes that are not UTF-8, quotes and markup characters.
    std::string wildText()
    {
        std::string s;
        const int n = random.nextInt (40);
        for (int i = 0; i < n; ++i)
        {
            const int kind = random.nextInt (5);
            if (kind == 0)
                s += (char) (0x80 + random.nextInt (128));
            else if (kind == 1)
                s += "&<>\"'"[random.nextInt (5)];
            else
                s += (char) (32 + random.nextInt (95));
        }
        return s;
    }

    std::string randomXml()
    {
        static const char* const tags[] = { "QUORVELSETTINGS", "quorvelsettings", "QuorvelSettings", "OTHER", "" };
        std::string tag = random.nextInt (6) == 0 ? wildText() : tags[random.nextInt ((int) std::size (tags))];
        std::string xml = "<" + tag;
        const int attributes = random.nextInt (45);
        for (int a = 0; a < attributes; ++a)
        {
            static const char* const others[] = { "phi", "theta", "scale", "presetName", "pluginVersion" };
            std::string name;
            const int pick = random.nextInt (40);
            if (pick < numTrParams)
                name = trParamNames[pick];
            else if (pick < 35)
                name = others[pick - 30];
            else
                name = wildText();
            const std::string value = name == "presetName" || random.nextInt (10) == 0 ? wildText() : numberText();
            xml += " " + name + "=\"" + value + "\"";
        }
        xml += random.nextInt (8) == 0 ? ">" + wildText() + "</" + tag + ">" : "/>";
        return xml;
    }

    // Damage of the kinds storage and transport cause.
    void damage (std::string& bytes)
    {
        switch (random.nextInt (4))
        {
            case 0:
                bytes.resize ((size_t) random.nextInt ((int) bytes.size() + 1));
                break;
            case 1:
            {
                const int flips = 1 + random.nextInt (8);
                for (int f = 0; f < flips && !bytes.empty(); ++f)
                    bytes[(size_t) random.nextInt ((int) bytes.size())] ^= (char) (1 << random.nextInt (8));
                break;
            }
            case 2:
                if (!bytes.empty())
                    bytes.insert ((size_t) random.nextInt ((int) bytes.size()), wildText());
                break;
            default:
                break;
        }
    }

    juce::Random random;
};

// The framework's host block: its header, the size of the text that follows, the text.
juce::MemoryBlock hostBlock (const std::string& text, juce::uint32 sizeField)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    out.writeInt ((int) 0x21324356);
    out.writeInt ((int) sizeField);
    out.write (text.data(), text.size());
    out.writeByte (0);
    return block;
}

std::string savedText (QuorvelV2AudioProcessor& p)
{
    juce::XmlElement xml ("QUORVELSETTINGS");
    p.saveStateToXML (xml);
    return xml.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()).toStdString();
}

bool isOurs (const juce::XmlElement* xml)
{
    return xml != nullptr && xml->getTagName().equalsIgnoreCase ("QUORVELSETTINGS");
}

bool juceReadsSafely (const juce::MemoryBlock& block)
{
    if (block.getSize() <= 8)
        return true;
    const auto* text = static_cast<const char*> (block.getData()) + 8;
    return juce::CharPointer_UTF8::isValidString (text, (int) block.getSize() - 8);
}

void renderABlock (QuorvelV2AudioProcessor& p)
{
    juce::AudioSampleBuffer buffer (2, 64);
    buffer.clear();
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 64; ++i)
            ASSERT_TRUE (std::isfinite (buffer.getSample (c, i)));
}
} // namespace

// A stray continuation byte at the end of an unfinished attribute sent the framework's
// XML reader round the same bytes for ever; inside a finished one it must still load.
TEST (StateFuzz, StrayUtf8BytesNeitherHangNorStopALoad)
{
    auto processor = std::make_unique<QuorvelV2AudioProcessor>();
    auto& p = *processor;
    const Snapshot before (p);

    const std::string unfinished = "<QUORVELSETTINGS presetName=\" \xbb\xa6";
    auto block = hostBlock (unfinished, (juce::uint32) unfinished.size());
    p.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_TRUE (Snapshot (p) == before);

    const auto file = juce::File::createTempFile (".zkp");
    ASSERT_TRUE (file.replaceWithData (unfinished.data(), unfinished.size()));
    p.setStateFromFile (file);
    EXPECT_EQ (p.getCurrentPresetName(), "Error Loading Preset");
    EXPECT_TRUE (Snapshot (p).parametersEqual (before));

    const std::string finished = "<QUORVELSETTINGS presetName=\"a\xbb\xa6&amp;b\xc3\" gain=\"0.25\"/>";
    block = hostBlock (finished, (juce::uint32) finished.size());
    p.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FLOAT_EQ (p.getParameter (kParamGain), 0.25f);
    EXPECT_TRUE (p.getCurrentPresetName().startsWith ("a"));
    EXPECT_TRUE (p.getCurrentPresetName().contains ("&b"));

    p.setParameter (kParamGain, 0.5f);
    ASSERT_TRUE (file.replaceWithData (finished.data(), finished.size()));
    p.setStateFromFile (file);
    EXPECT_FLOAT_EQ (p.getParameter (kParamGain), 0.25f);
    file.deleteFile();
}

TEST (StateFuzz, DamagedAndForeignHostBlocksAndPresetFiles)
{
    const int cases = fuzzCases();
    const int fileCases = juce::jmax (1, cases / 10);

    auto processor = std::make_unique<QuorvelV2AudioProcessor>();
    auto& p = *processor;
    p.prepareToPlay (44100.0, 64);
    p.setParameter (kParamGain, 0.3f);
    p.setParameter (kParamMotionType, 0.75f);
    p.setCurrentPresetName ("start \"point\" & <more>");
    const std::string valid = savedText (p);

    Fuzzer fuzz (20240601);
    int loaded = 0, refused = 0, unjudged = 0;

    for (int n = 0; n < cases - fileCases; ++n)
    {
        std::string text = fuzz.random.nextInt (3) == 0 ? fuzz.randomXml() : valid;
        fuzz.damage (text);
        juce::uint32 sizeField = (juce::uint32) text.size();
        if (fuzz.random.nextInt (10) == 0)
            sizeField = (juce::uint32) fuzz.random.nextInt();
        juce::MemoryBlock block = hostBlock (text, sizeField);
        if (fuzz.random.nextInt (10) == 0)
        {
            std::string raw (static_cast<const char*> (block.getData()), block.getSize());
            fuzz.damage (raw);
            block = juce::MemoryBlock (raw.data(), raw.size());
        }

        // The framework's own reader may never return from text that is not UTF-8;
        // such blocks only have to leave a sane state.
        const bool judged = juceReadsSafely (block);
        const auto expected =
            judged ? juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize()) : nullptr;
        const Snapshot before (p);
        p.setStateInformation (block.getData(), (int) block.getSize());
        expectSane (p, n);
        if (!judged)
            ++unjudged;
        else if (isOurs (expected.get()))
            ++loaded;
        else
        {
            ++refused;
            ASSERT_TRUE (Snapshot (p) == before) << "a block that does not unpack changed the state, case " << n;
        }
        if (n % 997 == 0)
            renderABlock (p);
        if (n % 5000 == 0)
            p.setStateInformation (block.getData(), -1);
    }

    const auto file = juce::File::createTempFile (".zkp");
    for (int n = 0; n < fileCases; ++n)
    {
        std::string text = fuzz.random.nextInt (3) == 0 ? fuzz.randomXml() : valid;
        if (fuzz.random.nextBool())
            text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n" + text;
        fuzz.damage (text);
        ASSERT_TRUE (file.replaceWithData (text.data(), text.size()));

        const bool judged = juce::CharPointer_UTF8::isValidString (text.data(), (int) text.size());
        const auto expected = judged ? juce::XmlDocument::parse (file) : nullptr;
        const Snapshot before (p);
        p.setStateFromFile (file);
        expectSane (p, n);
        if (judged && !isOurs (expected.get()))
        {
            EXPECT_EQ (p.getCurrentPresetName(), "Error Loading Preset");
            ASSERT_TRUE (Snapshot (p).parametersEqual (before)) << "a preset that does not load changed a value";
        }
        if (n % 97 == 0)
            renderABlock (p);
    }
    file.deleteFile();
    p.setStateFromFile (file);
    EXPECT_EQ (p.getCurrentPresetName(), "Error Loading Preset");

    // The fuzzing reached every side of the question.
    EXPECT_GT (loaded, (cases - fileCases) / 20);
    EXPECT_GT (refused, (cases - fileCases) / 20);
    EXPECT_GT (unjudged, (cases - fileCases) / 100);

    // After all that, a valid state still loads exactly.
    const auto block = hostBlock (valid, (juce::uint32) valid.size());
    p.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (savedText (p), valid);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
