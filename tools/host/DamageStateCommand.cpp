#include "Commands.h"
#include "HostedState.h"
#include "PluginLoader.h"
#include "RenderJob.h"

#include <cmath>
#include <cstring>
#include <iostream>
#include <vector>

// Hands a plug-in damaged copies of its own state, the way a project file damaged on
// disk or in transfer reaches it, and checks after each that it still renders finite
// audio and takes its undamaged state back byte for byte.

namespace
{
// The framework's VST3 wrapper closes the component state with its private data, the
// data's size in 8 bytes and this identifier.
const char* const vst3Identifier = "JUCEPrivateData";
constexpr size_t vst3SizeField = 8;

struct DamagedState
{
    juce::MemoryBlock block; // what the host holds for the plug-in, damaged
    juce::String text;       // for LV2, when set: the host's text form, damaged instead
    juce::String what;
};

bool endsWithVst3Trailer (const juce::MemoryBlock& state)
{
    const auto length = std::strlen (vst3Identifier);
    return state.getSize() >= length + vst3SizeField &&
           std::memcmp (static_cast<const char*> (state.getData()) + state.getSize() - length, vst3Identifier,
                        length) == 0;
}

// The size field set to values that fit and that do not, and the block cut short at
// every length within the trailer and the private data before it.
void addVst3TrailerCases (const juce::MemoryBlock& state, std::vector<DamagedState>& cases)
{
    const auto size = (juce::uint64) state.getSize();
    const auto fieldAt = (size_t) size - std::strlen (vst3Identifier) - vst3SizeField;
    const auto before = (juce::uint64) fieldAt;
    juce::uint64 actual = 0;
    std::memcpy (&actual, static_cast<const char*> (state.getData()) + fieldAt, vst3SizeField);
    actual = juce::ByteOrder::swapIfBigEndian (actual);

    for (const juce::uint64 value :
         { (juce::uint64) 0, (juce::uint64) 1, before - 9, before - 8, before - 7, before - 1, before, before + 1, size,
           size + 1, (juce::uint64) 0x7fffffff, (juce::uint64) 0x80000000u, (juce::uint64) 0xffffffffu,
           (juce::uint64) 0x100000010, (juce::uint64) 1 << 62, (juce::uint64) 1 << 63, ~(juce::uint64) 0 })
    {
        DamagedState damaged{ state, {}, "private-data size " + juce::String ((juce::int64) value) };
        const auto field = juce::ByteOrder::swapIfBigEndian (value);
        std::memcpy (static_cast<char*> (damaged.block.getData()) + fieldAt, &field, vst3SizeField);
        cases.push_back (damaged);
    }

    const auto trailerAndPrivateData = size - before + vst3SizeField + juce::jmin (actual, before);
    for (juce::uint64 cut = 1; cut <= trailerAndPrivateData && cut < size; ++cut)
        cases.push_back ({ juce::MemoryBlock (state.getData(), (size_t) (size - cut)),
                           {},
                           "cut short by " + juce::String ((juce::int64) cut) + " bytes" });
}

// The byte count that opens the text set to numbers the text cannot hold, and to none.
void addLv2CountCases (const juce::MemoryBlock& state, std::vector<DamagedState>& cases)
{
    const auto text = state.toBase64Encoding();
    const auto rest = text.fromFirstOccurrenceOf (".", false, false);
    const auto capacity = (juce::int64) rest.length() * 6 / 8;
    for (const auto& count :
         { juce::String ("-1"), juce::String ("-5"), juce::String (capacity + 1), juce::String ("2147483647"),
           juce::String ("2147483648"), juce::String ("4294967295"), juce::String ("99999999999999999999") })
        cases.push_back ({ {}, count + "." + rest, "byte count " + count });
    cases.push_back ({ {}, rest, "no byte count" });
}

// Damage of the kinds storage and transport cause, a part of it aimed at the last
// bytes, where a wrapper keeps its own trailer.
DamagedState randomDamage (const juce::MemoryBlock& state, juce::Random& random)
{
    std::vector<char> bytes (static_cast<const char*> (state.getData()),
                             static_cast<const char*> (state.getData()) + state.getSize());
    const auto anywhere = [&] { return (size_t) random.nextInt ((int) bytes.size()); };
    const auto nearTheEnd = [&]
    { return bytes.size() - 1 - (size_t) random.nextInt (juce::jmin (64, (int) bytes.size())); };

    juce::String what;
    switch (random.nextInt (4))
    {
        case 0:
        case 1:
        {
            const bool atTheEnd = random.nextBool();
            const int count = 1 + random.nextInt (4);
            for (int i = 0; i < count; ++i)
                bytes[atTheEnd ? nearTheEnd() : anywhere()] = (char) random.nextInt (256);
            what = juce::String (count) + " bytes replaced" + (atTheEnd ? " near the end" : "");
            break;
        }
        case 2:
            // Not to nothing: hosts hand over no empty state.
            bytes.resize (1 + (size_t) random.nextInt ((int) bytes.size() - 1));
            what = "cut to " + juce::String ((int) bytes.size()) + " bytes";
            break;
        default:
        {
            const auto at = anywhere();
            const int count = 1 + random.nextInt (64);
            for (int i = 0; i < count; ++i)
                bytes.insert (bytes.begin() + (std::ptrdiff_t) at, (char) random.nextInt (256));
            what = juce::String (count) + " bytes inserted";
            break;
        }
    }
    return { juce::MemoryBlock (bytes.data(), bytes.size()), {}, what };
}

bool rendersFinite (juce::AudioPluginInstance& instance, const RenderJob& job)
{
    juce::AudioBuffer<float> audio;
    render (instance, job, audio);
    for (int c = 0; c < audio.getNumChannels(); ++c)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            if (!std::isfinite (audio.getSample (c, i)))
                return false;
    return true;
}

void printUsage()
{
    std::cerr << "usage: toravel-host damage-state <plug-in> [--cases N] [--seed S]\n"
                 "  hands the plug-in N randomly damaged copies of its own state (default 3000),\n"
                 "  after those aimed at its format's own framing, renders a block after each and\n"
                 "  checks that the audio is finite and that its own state still comes back byte\n"
                 "  for byte; prints what it did as JSON, or the first case that failed.\n";
}
} // namespace

int runDamageState (const juce::StringArray& args)
{
    juce::String target;
    int randomCases = 3000;
    juce::int64 seed = 1;
    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--cases" && i + 1 < args.size())
            randomCases = args[++i].getIntValue();
        else if (args[i] == "--seed" && i + 1 < args.size())
            seed = args[++i].getLargeIntValue();
        else if (target.isEmpty() && !args[i].startsWith ("--"))
            target = args[i];
        else
            target = {};
    }
    if (target.isEmpty() || randomCases < 0)
    {
        printUsage();
        return 2;
    }

    RenderJob job;
    job.seconds = job.blockSize / job.sampleRate;
    job.events.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));

    PluginLoader loader;
    juce::PluginDescription description;
    juce::String error;
    auto instance = loader.load (target, job.sampleRate, job.blockSize, description, error);
    juce::MemoryBlock original;
    if (instance == nullptr || !getHostedPluginState (*instance, original, error) || original.isEmpty())
    {
        std::cerr << "toravel-host damage-state: " << (error.isEmpty() ? "the plug-in has no state" : error) << "\n";
        return 1;
    }
    prepareForRender (*instance, job);

    const auto format = description.pluginFormatName;
    std::vector<DamagedState> cases;
    if (format == "VST3" && endsWithVst3Trailer (original))
        addVst3TrailerCases (original, cases);
    if (format == "LV2")
        addLv2CountCases (original, cases);
    const auto framingCases = (int) cases.size();
    juce::Random random (seed);
    for (int n = 0; n < randomCases; ++n)
        cases.push_back (randomDamage (original, random));

    int changed = 0;
    for (size_t n = 0; n < cases.size(); ++n)
    {
        const auto& damaged = cases[n];
        const auto failed = [&] (const juce::String& why)
        {
            std::cerr << "toravel-host damage-state: case " << (int) n << " (" << damaged.what << "): " << why << "\n";
            return 1;
        };

        const bool handed = damaged.text.isNotEmpty() ? setHostedLv2StateText (*instance, damaged.text, error)
                                                      : setHostedPluginState (*instance, damaged.block, error);
        if (!handed)
            return failed (error);
        if (!rendersFinite (*instance, job))
            return failed ("a render afterwards is not finite");

        juce::MemoryBlock state;
        if (getHostedPluginState (*instance, state, error) && state != original)
            ++changed;

        if (!setHostedPluginState (*instance, original, error) || !getHostedPluginState (*instance, state, error))
            return failed (error);
        if (state != original)
            return failed ("the undamaged state no longer comes back byte for byte");
    }
    instance->releaseResources();
    instance.reset();

    // One line, last on standard output, after whatever the plug-in printed.
    auto* report = new juce::DynamicObject();
    report->setProperty ("format", format);
    report->setProperty ("cases", (int) cases.size());
    report->setProperty ("framingCases", framingCases);
    report->setProperty ("changedState", changed);
    std::cout << juce::JSON::toString (juce::var (report), true) << std::endl;
    return 0;
}
