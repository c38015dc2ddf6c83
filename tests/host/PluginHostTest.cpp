#include "SpawnedProcess.h"

#include <JuceHeader.h>
#include <gtest/gtest.h>

#include <map>

// Loads the built plug-in binaries the way hosts do, each in a process of its own:
// our host program (the framework's VST3, LV2 and VST hosting) and Debian's lilv
// tools. The LV2 bundle is installed into a private home, the one place besides the
// system folders where the framework's LV2 host looks.

namespace
{
struct ExpectedParameter
{
    const char* name;
    double defaultValue;
    // The display text of the default, or null where the processor derives the value
    // at construction (the carrier-to-modulator ratios follow speed and bounds).
    const char* text;
};

const ExpectedParameter expected[30] = {
    { "gain", 0.5, "1" },         { "trail", 0.1, "0.1" },      { "carrier", 0.5, "501" },
    { "ratio_x", 0.5, nullptr },  { "ratio_y", 0.52, nullptr }, { "ratio_z", 0.5, nullptr },
    { "vel_x", 0.0294, "9.996" }, { "vel_y", 0.0, "0" },        { "vel_z", 0.0, "0" },
    { "bnd_x1", 0.4, "6.4" },     { "bnd_x2", 0.4, "6.4" },     { "bnd_y1", 0.0, "0.1" },
    { "bnd_y2", 0.0, "0.1" },     { "bnd_z1", 0.0, "0.1" },     { "bnd_z2", 0.0, "0.1" },
    { "attack", 0.1, "0.4" },     { "decay", 0.1, "0.4" },      { "sustain", 0.8, "0.8" },
    { "release", 0.5, "2" },      { "ADSR", 0.0, "0" },         { "symm_x", 0.0, "0" },
    { "symm_y", 0.0, "0" },       { "symm_z", 0.0, "0" },       { "motion_type", 0.25, "1" },
    { "doppler_type", 0.0, "0" }, { "gain_type", 0.0, "0" },    { "pan_type", 0.33, "1" },
    { "osc1_type", 0.0, "0" },    { "ratio_type", 0.0, "0" },   { "filter_type", 0.0, "0" },
};

constexpr int continuousSteps = 2147483647;

// The switches and choices (from index 19 on) with their step counts; the rest are
// continuous.
const int choiceSteps[11] = { 2, 2, 2, 2, 5, 4, 3, 4, 7, 3, 3 };

int expectedSteps (int index)
{
    return index < 19 ? continuousSteps : choiceSteps[index - 19];
}

struct ProcessResult
{
    int exitCode = -1;
    juce::String output;
};

ProcessResult run (const juce::StringArray& command, int flags = juce::ChildProcess::wantStdOut)
{
    ProcessResult result;
    juce::ChildProcess process;
    if (!process.start (command, flags))
        return result;
    result.output = process.readAllProcessOutput();
    if (process.waitForProcessToFinish (60000))
        result.exitCode = (int) process.getExitCode();
    else
        process.kill();
    return result;
}

class PluginHost : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // A name of its own: the editor's tests run side by side, each in a process of
        // its own, and a shared one would be deleted under the others.
        home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                   .getChildFile ("toravel-host-test-" + juce::Uuid().toDashedString());
        ASSERT_TRUE (home.getChildFile (".lv2").createDirectory());
        ASSERT_TRUE (juce::File (TORAVEL_LV2_BUNDLE).copyDirectoryTo (lv2Folder().getChildFile ("Toravel.lv2")));
    }

    static void TearDownTestSuite() { home.deleteRecursively(); }

    static juce::File lv2Folder() { return home.getChildFile (".lv2"); }

    // What our host program sees of the plug-in, run with the private home.
    static juce::var inspect (const juce::String& plugin)
    {
        const auto result =
            run ({ "/usr/bin/env", "HOME=" + home.getFullPathName(), TORAVEL_HOST_PROGRAM, "inspect", plugin });
        EXPECT_EQ (result.exitCode, 0) << result.output;

        // The plug-in may print lines of its own while it loads; the report is the last line.
        auto lines = juce::StringArray::fromLines (result.output.trimEnd());
        const auto parsed = juce::JSON::parse (lines[lines.size() - 1]);
        EXPECT_TRUE (parsed.isObject()) << result.output;
        return parsed;
    }

    static void expectIdentity (const juce::var& plugin)
    {
        EXPECT_EQ (plugin["name"].toString(), "Toravel");
        EXPECT_EQ (plugin["manufacturer"].toString(), "Toravel Audio");
        EXPECT_FALSE ((bool) plugin["isInstrument"]);
        EXPECT_EQ ((int) plugin["inputs"], 2);
        EXPECT_EQ ((int) plugin["outputs"], 2);
        EXPECT_EQ ((int) plugin["inputBuses"], 1);
        EXPECT_EQ ((int) plugin["outputBuses"], 1);
        EXPECT_TRUE ((bool) plugin["acceptsMidi"]);
        EXPECT_FALSE ((bool) plugin["producesMidi"]);
        EXPECT_EQ ((int) plugin["latencySamples"], 0);
        EXPECT_EQ ((double) plugin["tailSeconds"], 0.0);
    }

    // The thirty parameters come first and in index order in VST3 and VST; VST 2.4
    // has no step counts, so its hosts see every one as continuous.
    static void expectParametersInOrder (const juce::var& plugin, bool hostKnowsDefaultsAndSteps)
    {
        const auto* parameters = plugin["parameters"].getArray();
        ASSERT_NE (parameters, nullptr);
        ASSERT_GE (parameters->size(), 30);
        for (int i = 0; i < 30; ++i)
        {
            SCOPED_TRACE (expected[i].name);
            const auto& p = parameters->getReference (i);
            EXPECT_EQ (p["name"].toString(), expected[i].name);
            EXPECT_TRUE (p["label"].toString().isEmpty());
            EXPECT_EQ ((int) p["steps"], hostKnowsDefaultsAndSteps ? expectedSteps (i) : continuousSteps);
            if (expected[i].text != nullptr)
            {
                EXPECT_NEAR ((double) p["value"], expected[i].defaultValue, 1e-6);
            }
            if (hostKnowsDefaultsAndSteps)
            {
                EXPECT_NEAR ((double) p["default"], expected[i].defaultValue, 1e-6);
            }
            if (expected[i].text != nullptr)
            {
                EXPECT_EQ (p["text"].toString(), expected[i].text);
            }
            else
            {
                EXPECT_TRUE (p["text"].toString().containsOnly ("0123456789.e-+")) << p["text"].toString();
            }
        }
    }

    static juce::File home;
};

juce::File PluginHost::home;
} // namespace

TEST_F (PluginHost, Vst3BundleShowsTheEffectAndItsThirtyParameters)
{
    const auto plugin = inspect (TORAVEL_VST3_BUNDLE);
    EXPECT_EQ (plugin["format"].toString(), "VST3");
    EXPECT_EQ (plugin["version"].toString(), "1.0.0");
    EXPECT_EQ (plugin["category"].toString(), "Fx");
    expectIdentity (plugin);
    expectParametersInOrder (plugin, true);
    // VST3 wants every program of a list named.
    EXPECT_EQ (plugin["programs"], juce::var (juce::StringArray ({ "Default" })));

    // Whatever the wrapper adds after ours (bypass, MIDI controller mappings) must not
    // shadow any of the thirty.
    const auto* parameters = plugin["parameters"].getArray();
    for (int i = 30; i < parameters->size(); ++i)
        for (const auto& e : expected)
            EXPECT_NE (parameters->getReference (i)["name"].toString(), e.name);
}

// An X server of a test's own, with a window manager if asked for. On the display the
// suite shares, the GUI tests' editors and "Modulator" windows open where the host
// program's do, and would take its clicks and answer for its windows. Its log tells
// every client that connects, when asked.
class PrivateDisplay
{
public:
    PrivateDisplay (const juce::File& folder, const char* windowManager = nullptr, bool logClients = false)
    {
        // The server picks a free display number and writes it once it takes clients.
        const auto log = folder.getChildFile ("xvfb.log");
        juce::StringArray command{ "Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24" };
        if (logClients)
            command.addArray ({ "-audit", "4" });
        if (!server.start (command, environmentWithHome (folder), log))
            return;
        const auto deadline = juce::Time::getMillisecondCounter() + 10000;
        juce::String number;
        while (number.isEmpty() && server.isRunning() && juce::Time::getMillisecondCounter() < deadline)
        {
            juce::Thread::sleep (20);
            for (const auto& line : juce::StringArray::fromLines (log.loadFileAsString()))
                if (line.isNotEmpty() && line.containsOnly ("0123456789"))
                    number = ":" + line;
        }
        if (number.isEmpty() || windowManager == nullptr)
        {
            name = number;
            return;
        }

        // Ready once it says on the root window that it manages the screen. Beside busy
        // loops openbox once could not open the display that the server had just named
        // and ended at once; one that ends so is started again.
        auto environment = environmentWithHome (folder);
        environment["DISPLAY"] = number.toStdString();
        for (int attempt = 0; attempt < 3 && server.isRunning(); ++attempt)
        {
            if (!manager.start ({ windowManager }, environment, folder.getChildFile ("wm.log")))
                return;
            while (manager.isRunning() && juce::Time::getMillisecondCounter() < deadline + 10000)
            {
                if (run ({ "xprop", "-display", number, "-root", "_NET_SUPPORTING_WM_CHECK" })
                        .output.contains ("window id"))
                {
                    name = number;
                    return;
                }
                juce::Thread::sleep (50);
            }
            juce::Thread::sleep (200);
        }
    }

    juce::String name; // empty when the server or its window manager did not start
    SpawnedProcess server, manager;
};

// The host program's own time limit, well inside the test's (see tests/CMakeLists.txt),
// so that a run that hangs is stopped with its output printed.
constexpr int editorProgramMilliseconds = 360000;

// A user working the editor in a host: "curves" shows and hides the "Modulator" window
// (a hide and a show in a hurry too), the window is moved, and after every show it must
// be where it was left and ask for the editor's place for it (the first click comes at
// a different time in each of the first cycles); the editor is closed with it open.
// Under a window manager the window is also left open 4 s before a hide (by then the
// manager has placed it), closed through the manager, minimised and then hidden (the
// manager must let go of it), and the editor closed with it minimised. A lost click or
// a window elsewhere fails the host program; a fault takes the host down, which shows
// as the child's death by a signal (128 + its number).
class EditorUnderAUser : public PluginHost
{
protected:
    void workTheEditor (const juce::String& plugin, int cycles, const char* windowManager)
    {
        const PrivateDisplay display (home, windowManager);
        ASSERT_TRUE (display.name.isNotEmpty()) << display.server.log() << display.manager.log();

        auto environment = environmentWithHome (home);
        environment["DISPLAY"] = display.name.toStdString();
        const auto result = runProgram ({ TORAVEL_HOST_PROGRAM, "editor", plugin, "--cycles", juce::String (cycles) },
                                        environment, editorProgramMilliseconds);
        EXPECT_EQ (result.exitCode, 0) << result.output;
        EXPECT_TRUE (result.output.contains (" cycles of the editor opened")) << result.output;
        EXPECT_EQ (result.output.contains ("minimised"), windowManager != nullptr) << result.output;
    }
};

TEST_F (EditorUnderAUser, Vst3UnderFluxbox)
{
    workTheEditor (TORAVEL_VST3_BUNDLE, 5, "fluxbox");
}

TEST_F (EditorUnderAUser, Lv2UnderFluxbox)
{
    workTheEditor (TORAVEL_LV2_URI, 5, "fluxbox");
}

TEST_F (EditorUnderAUser, VstUnderFluxbox)
{
    workTheEditor (TORAVEL_VST_BINARY, 5, "fluxbox");
}

TEST_F (EditorUnderAUser, Vst3UnderOpenbox)
{
    workTheEditor (TORAVEL_VST3_BUNDLE, 5, "openbox");
}

TEST_F (EditorUnderAUser, Lv2UnderOpenbox)
{
    workTheEditor (TORAVEL_LV2_URI, 5, "openbox");
}

TEST_F (EditorUnderAUser, VstUnderOpenbox)
{
    workTheEditor (TORAVEL_VST_BINARY, 5, "openbox");
}

TEST_F (EditorUnderAUser, Vst3WithoutAWindowManagerLosesNoClick)
{
    workTheEditor (TORAVEL_VST3_BUNDLE, 100, nullptr);
}

TEST_F (EditorUnderAUser, Lv2WithoutAWindowManagerLosesNoClick)
{
    workTheEditor (TORAVEL_LV2_URI, 100, nullptr);
}

TEST_F (EditorUnderAUser, VstWithoutAWindowManagerLosesNoClick)
{
    workTheEditor (TORAVEL_VST_BINARY, 100, nullptr);
}

// An instance and its editor made, run a second in no window, shown a second and
// deleted, in one process, on an X server with no window manager. When the last
// instance goes, the plug-in's framework shuts down and closes its X connection; the
// next instance opens another, and what the editor kept of the old one is freed
// memory, which MALLOC_PERTURB_ (and under AddressSanitizer, its fill of freed memory)
// spoils at once. Without a window manager the names of its window properties do not
// exist, and a host that has set no X error handler yet (a host's toolkit sets one
// with its first window) is ended by any request the server refuses.
class EditorLifetime : public PluginHost
{
protected:
    void live (const juce::String& plugin, int times, bool errorHandler)
    {
        const PrivateDisplay display (home);
        ASSERT_TRUE (display.name.isNotEmpty()) << display.server.log();

        auto environment = environmentWithHome (home);
        environment["DISPLAY"] = display.name.toStdString();
        environment["MALLOC_PERTURB_"] = "165";
        // Mesa's leaks cannot be suppressed by name, and freed memory is what matters here.
        auto& asan = environment["ASAN_OPTIONS"];
        asan += (asan.empty() ? "" : ":") + std::string ("detect_leaks=0:max_free_fill_size=65536");
        juce::StringArray command{ TORAVEL_HOST_PROGRAM, "editor-lifetimes", plugin, "--times", juce::String (times),
                                   "--seconds", "0.3" };
        if (!errorHandler)
            command.add ("--no-x-error-handler");
        const auto result = runProgram (command, environment, editorProgramMilliseconds);
        EXPECT_EQ (result.exitCode, 0) << result.output;
        EXPECT_TRUE (result.output.contains (juce::String (times) + " times an instance and its editor made"))
            << result.output;
    }
};

// Not for LV2: the framework's LV2 host puts a window of its own on the desktop before
// it makes the plug-in's editor, so the host has a window first (and, without an error
// handler, is ended by its own framework's requests).
TEST_F (EditorLifetime, Vst3MadeBeforeTheHostHasAWindowOrAnXErrorHandler)
{
    live (TORAVEL_VST3_BUNDLE, 1, false);
}

TEST_F (EditorLifetime, VstMadeBeforeTheHostHasAWindowOrAnXErrorHandler)
{
    live (TORAVEL_VST_BINARY, 1, false);
}

TEST_F (EditorLifetime, Vst3TwiceInOneProcess)
{
    live (TORAVEL_VST3_BUNDLE, 2, true);
}

TEST_F (EditorLifetime, Lv2TwiceInOneProcess)
{
    live (TORAVEL_LV2_URI, 2, true);
}

TEST_F (EditorLifetime, VstTwiceInOneProcess)
{
    live (TORAVEL_VST_BINARY, 2, true);
}

// A render and a state check draw nothing: given a display, they must open no
// connection to it (its server logs every client), so that they neither need an X
// server nor die when it goes away.
TEST_F (PluginHost, RenderAndDamageStateOpenNoDisplay)
{
    const PrivateDisplay display (home, nullptr, true);
    ASSERT_TRUE (display.name.isNotEmpty()) << display.server.log();
    auto environment = environmentWithHome (home);
    environment["DISPLAY"] = display.name.toStdString();

    const auto wav = home.getChildFile ("no-display.wav").getFullPathName();
    for (const auto* plugin : { TORAVEL_VST3_BUNDLE, TORAVEL_LV2_URI, TORAVEL_VST_BINARY })
    {
        const auto render =
            runProgram ({ TORAVEL_HOST_PROGRAM, "render", plugin, "-o", wav, "--note", "60:0:0.2", "--seconds", "0.3" },
                        environment);
        EXPECT_EQ (render.exitCode, 0) << render.output;
    }
    const auto damage =
        runProgram ({ TORAVEL_HOST_PROGRAM, "damage-state", TORAVEL_VST3_BUNDLE, "--cases", "10" }, environment);
    EXPECT_EQ (damage.exitCode, 0) << damage.output;
    EXPECT_FALSE (display.server.log().contains (" connected")) << display.server.log();

    // The same log has a line for a program that does connect.
    EXPECT_EQ (run ({ "xprop", "-display", display.name, "-root", "-len", "1" }).exitCode, 0);
    EXPECT_TRUE (display.server.log().contains (" connected")) << display.server.log();
}

TEST_F (PluginHost, VstBinaryShowsTheEffectAndItsThirtyParameters)
{
    const auto plugin = inspect (TORAVEL_VST_BINARY);
    EXPECT_EQ (plugin["format"].toString(), "VST");
    EXPECT_EQ (plugin["uniqueId"].toString(), "Trde");
    EXPECT_EQ (plugin["category"].toString(), "Effect");
    EXPECT_EQ ((int) plugin["effectVersion"], 100);
    EXPECT_EQ ((int) plugin["vendorVersion"], 100);
    expectIdentity (plugin);
    // VST 2.4 has no way to tell a host a default value.
    expectParametersInOrder (plugin, false);
    EXPECT_EQ (plugin["parameters"].getArray()->size(), 30);
}

TEST_F (PluginHost, Lv2BundleFoundByUriInTheUsersFolder)
{
    const auto plugin = inspect (TORAVEL_LV2_URI);
    EXPECT_EQ (plugin["format"].toString(), "LV2");
    EXPECT_EQ (plugin["identifier"].toString(), TORAVEL_LV2_URI);
    expectIdentity (plugin);

    // LV2 hosts order parameters by their URI and know no display text, so the
    // thirty are matched by name.
    std::map<juce::String, juce::var> byName;
    for (const auto& p : *plugin["parameters"].getArray())
        byName[p["name"].toString()] = p;
    for (int i = 0; i < 30; ++i)
    {
        const auto& e = expected[i];
        SCOPED_TRACE (e.name);
        ASSERT_EQ (byName.count (e.name), 1u);
        auto& p = byName[e.name];
        EXPECT_NEAR ((double) p["default"], e.defaultValue, 1e-6);
        if (e.text != nullptr)
        {
            EXPECT_NEAR ((double) p["value"], e.defaultValue, 1e-6);
        }
        EXPECT_EQ ((int) p["steps"], expectedSteps (i));
        EXPECT_EQ ((bool) p["boolean"], expectedSteps (i) == 2);
    }
    // The values of a choice carry the names the editor shows.
    EXPECT_EQ (byName["osc1_type"]["valueNames"],
               juce::var (juce::StringArray ({ "sine", "saw", "square", "triangle", "noise", "audio", "scan" })));
}

TEST_F (PluginHost, Lv2BundleReadByLilv)
{
    const auto env = "LV2_PATH=" + lv2Folder().getFullPathName();
    const auto listed = run ({ "/usr/bin/env", env, "lv2ls" });
    ASSERT_EQ (listed.exitCode, 0);
    EXPECT_TRUE (juce::StringArray::fromLines (listed.output).contains (TORAVEL_LV2_URI)) << listed.output;

    const auto info = run ({ "/usr/bin/env", env, "lv2info", TORAVEL_LV2_URI });
    ASSERT_EQ (info.exitCode, 0);
    const auto& text = info.output;
    EXPECT_TRUE (text.contains ("Name:              Toravel")) << text;
    EXPECT_EQ (text.indexOf ("Port 0:"), text.lastIndexOf ("Port 0:"));

    // lv2info prints one block per port, each starting with a "Port n:" line.
    int audioIn = 0, audioOut = 0, atomIn = 0;
    auto rest = text.fromFirstOccurrenceOf ("\tPort ", false, false);
    while (rest.isNotEmpty())
    {
        const auto port = rest.upToFirstOccurrenceOf ("\tPort ", false, false);
        const bool input = port.contains ("lv2core#InputPort");
        if (port.contains ("lv2core#AudioPort"))
            ++(input ? audioIn : audioOut);
        if (port.contains ("atom#AtomPort") && input)
            ++atomIn;
        rest = rest.fromFirstOccurrenceOf ("\tPort ", false, false);
    }
    EXPECT_EQ (audioIn, 2);
    EXPECT_EQ (audioOut, 2);
    EXPECT_EQ (atomIn, 1);
}

// What lilv-based hosts read as the plug-in's parameters: thirty distinct
// parameter URIs with the thirty names; and its one preset, with a label that a
// host's preset menu can show.
TEST_F (PluginHost, Lv2DataDeclaresThirtyDistinctParametersAndANamedPreset)
{
    const auto dsp = lv2Folder().getChildFile ("Toravel.lv2/dsp.ttl");
    const auto triples = run ({ "sordi", juce::URL (dsp).toString (false) });
    ASSERT_EQ (triples.exitCode, 0);
    const auto manifest =
        run ({ "sordi", juce::URL (lv2Folder().getChildFile ("Toravel.lv2/manifest.ttl")).toString (false) });
    ASSERT_EQ (manifest.exitCode, 0);

    std::map<juce::String, juce::String> labels;
    juce::StringArray parameterUris, presetUris;
    for (const auto& line : juce::StringArray::fromLines (triples.output + manifest.output))
    {
        const auto subject = line.upToFirstOccurrenceOf (" ", false, false);
        if (line.contains ("#type> <http://lv2plug.in/ns/lv2core#Parameter>"))
            parameterUris.addIfNotAlreadyThere (subject);
        if (line.contains ("#type> <http://lv2plug.in/ns/ext/presets#Preset>"))
            presetUris.addIfNotAlreadyThere (subject);
        if (line.contains ("rdf-schema#label> \""))
            labels[subject] =
                line.fromFirstOccurrenceOf ("#label> \"", false, false).upToFirstOccurrenceOf ("\"", false, false);
    }

    ASSERT_EQ (parameterUris.size(), 30) << triples.output;
    juce::StringArray names;
    for (const auto& uri : parameterUris)
        names.add (labels[uri]);
    for (const auto& e : expected)
        EXPECT_TRUE (names.contains (e.name)) << e.name;

    ASSERT_EQ (presetUris.size(), 1) << manifest.output;
    EXPECT_EQ (labels[presetUris[0]], "Default") << manifest.output;
}
