#include "Commands.h"
#include "HostEventLoop.h"
#include "HostWindow.h"
#include "PluginLoader.h"
#include "X11Support.h"

#include <iostream>

// Opens a plug-in's editor in a window of its own, as a host does, and works it with
// the mouse the way a user does: the clicks come from the X server, so they reach the
// plug-in's own windows through its own event handling, and what they do is read
// back from the screen. Each cycle shows and hides the "Modulator" window with the
// "curves" button and closes the editor while that window is showing.

namespace
{
// Where the editor's "curves" button lies at the editor's own size.
constexpr int editorWidth = 1200, editorHeight = 700;
const juce::Point<int> curvesButtonCentre{ 1110 + 40, 610 + 10 };
const char* const modulatorTitle = "Modulator";
// Where the editor places the Modulator window, and so where the window asks to be.
const juce::Point<int> modulatorPlace{ 100, 100 };

constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;

// Long enough for the editor's views, redrawn every 33 ms, to draw several frames,
// and for the X events of a window's coming and going to be dispatched.
constexpr int settleMilliseconds = 100;
// What a wait for the X server, a window manager and software OpenGL may take on a
// busy machine; a wait that is met returns at once.
constexpr int showTimeoutMilliseconds = 20000;
// Longer than the framework's native window keeps its paint image unused (3 s); at its
// next paint after that it sends the window's bounds again, which once walked a hidden
// window up by its title bar: a hide and show after that must still bring it back
// where it was.
constexpr int leftOpenMilliseconds = 4000;

void printUsage()
{
    std::cerr << "usage: toravel-host editor [<plug-in>] [--format vst3|lv2|vst] [--cycles N]\n"
                 "  opens the plug-in's editor in a window N times (default 10) while audio runs;\n"
                 "  each time clicks \"curves\" to show, hide and show the \"Modulator\" window\n"
                 "  (once clicking again the moment it goes), moves it and shows it\n"
                 "  again, checking after every show that it is where it was and that it asks to be\n"
                 "  where the editor put it, at 100, 100; in the first four cycles the first click\n"
                 "  comes 0, 0.7, 1.4 and 2.1 s after the editor opens; under a window\n"
                 "  manager also minimises it and hides it with \"curves\", hides and shows it\n"
                 "  after leaving it open 4 s, closes it through the window manager, and closes\n"
                 "  the editor with it minimised, otherwise with it open.\n"
                 "  Needs an X display with the XTest extension.\n";
}

// Ends the line of steps that a cycle prints, then says what went wrong.
bool fail (const juce::String& message)
{
    std::cout << std::endl;
    std::cerr << "toravel-host editor: " << message << std::endl;
    return false;
}

// The audio a host keeps running while its user works in an editor: a block at the
// pace of real time, on a thread of its own.
class AudioThread : private juce::Thread
{
public:
    explicit AudioThread (juce::AudioProcessor& p) : juce::Thread ("toravel-host audio"), processor (p)
    {
        startThread();
    }

    ~AudioThread() override { stopThread (5000); }

private:
    void run() override
    {
        juce::AudioBuffer<float> buffer (
            juce::jmax (processor.getTotalNumInputChannels(), processor.getTotalNumOutputChannels()), blockSize);
        juce::MidiBuffer midi;
        auto due = juce::Time::getMillisecondCounterHiRes();
        while (!threadShouldExit())
        {
            buffer.clear();
            {
                const juce::ScopedLock lock (processor.getCallbackLock());
                processor.processBlock (buffer, midi);
            }
            due += blockSize * 1000.0 / sampleRate;
            const auto ahead = due - juce::Time::getMillisecondCounterHiRes();
            if (ahead >= 1.0)
                wait ((int) ahead);
        }
    }

    juce::AudioProcessor& processor;
};

class EditorCycles
{
public:
    EditorCycles (juce::AudioPluginInstance& p, DesktopUser& u) : plugin (p), user (u) {}

    // Prints each step as soon as it is done, so that a crash's output tells where it came.
    bool run (int cycle)
    {
        const auto prefix = "cycle " + juce::String (cycle) + ": ";
        if (!open (prefix))
            return false;
        // In the first four cycles the first click comes at a different time after the
        // editor opens: what the window asks for at its first show must not depend on it.
        dispatchFor (cycle <= 4 ? (cycle - 1) * 700 : 0);
        std::cout << prefix << "editor open; Modulator window" << std::flush;
        steps = 0;
        modulator = 0; // a new editor's window, found at its first show

        if (!clickCurves (true, prefix) || !findModulator (prefix))
            return false;
        dispatchFor (settleMilliseconds);
        if (!asksForItsPlace (prefix))
            return false;
        const bool managed = user.hasWindowManager();

        // Minimised, then hidden with "curves", three times: the window manager must let
        // go of it, and the next click shows it again only if that hide took effect.
        if (managed)
        {
            for (int time = 0; time < 3; ++time)
            {
                if (!minimise (prefix))
                    return false;
                clickOnCurves();
                if (!dispatchUntil ([this] { return !user.isHeldByWindowManager (modulator); },
                                    showTimeoutMilliseconds))
                    return fail (prefix +
                                 "hidden while minimised, the Modulator window is still held by the window "
                                 "manager: " +
                                 user.describe (modulator));
                printStep ("hidden while minimised");
                dispatchFor (settleMilliseconds);
                if (!clickCurves (true, prefix))
                    return false;
            }
        }

        if (!clickCurves (false, prefix) || !clickCurves (true, prefix))
            return false;

        // As a user who clicks again the moment the window goes: it comes back while its
        // window manager may still be busy with the hide. (Two clicks with no time between
        // them come faster than a window manager that grabs the pointer at each press passes
        // them on: fluxbox kept the second, and the plug-in never saw it.)
        user.timesUnmapped();
        clickOnCurves();
        if (!dispatchUntil ([this] { return user.timesUnmapped() > 0; }, showTimeoutMilliseconds))
            return fail (prefix + "a click on \"curves\" did not hide the Modulator window: " +
                         user.describe (modulator));
        clickOnCurves();
        if (!dispatchUntil ([this] { return user.isShowing (modulatorTitle); }, showTimeoutMilliseconds))
            return fail (prefix + "a click on \"curves\" the moment the Modulator window went did not show it: " +
                         user.describe (modulator));
        printStep ("hidden and at once shown");
        if (!isWhereItWas (prefix))
            return false;

        if (managed)
        {
            dispatchFor (leftOpenMilliseconds);
            printStep ("left open");
            if (!clickCurves (false, prefix) || !clickCurves (true, prefix))
                return false;
        }

        // Moved by its user, it comes back where they put it.
        user.move (modulator, place.x + 40, place.y + 30);
        if (!dispatchUntil ([this] { return whereModulatorIs() != place; }, showTimeoutMilliseconds))
            return fail (prefix + "the Modulator window did not move: " + user.describe (modulator));
        dispatchFor (settleMilliseconds);
        place = whereModulatorIs();
        printStep ("moved");
        if (!clickCurves (false, prefix) || !clickCurves (true, prefix))
            return false;

        // Only a window manager gives a window a close box.
        if (managed)
        {
            user.close (modulator);
            if (!dispatchUntil ([this] { return !user.isShowing (modulatorTitle); }, showTimeoutMilliseconds))
                return fail (prefix + "closing the Modulator window through the window manager did not hide it: " +
                             user.describe (modulator));
            printStep ("closed through the window manager");
            if (!clickCurves (true, prefix) || !minimise (prefix))
                return false;
            closeWindow (window);
            std::cout << "; editor closed with it minimised" << std::flush;
        }
        else
        {
            closeWindow (window);
            std::cout << "; editor closed with it showing" << std::flush;
        }

        dispatchFor (settleMilliseconds);
        if (user.findWindow (modulatorTitle) != 0)
            return fail (prefix + "the Modulator window outlived the editor");
        std::cout << std::endl;
        return true;
    }

private:
    bool open (const juce::String& prefix)
    {
        auto* editor = plugin.createEditorIfNeeded();
        if (editor == nullptr)
            return fail (prefix + "the plug-in made no editor");

        juce::String error;
        window = showInWindow (editor, user, showTimeoutMilliseconds, error);
        if (window == nullptr)
            return fail (prefix + error);
        if (editor->getWidth() != editorWidth || editor->getHeight() != editorHeight)
            return fail (prefix + "the editor is " + juce::String (editor->getWidth()) + " x " +
                         juce::String (editor->getHeight()) + ", not " + juce::String (editorWidth) + " x " +
                         juce::String (editorHeight) + ", the size its controls' places are known for");

        // Where the button lies on the screen, from the X server: a window manager moves
        // a new window into a frame of its own, by its title bar, after it shows.
        ours = (unsigned long) (juce::pointer_sized_uint) window->getPeer()->getNativeHandle();
        inWindow = (window->getLocalPoint (editor, curvesButtonCentre).toDouble() *
                    window->getPeer()->getPlatformScaleFactor())
                       .roundToInt();
        const auto locateCurves = [&]
        {
            const auto before = curves;
            return user.toScreen (ours, inWindow.x, inWindow.y, curves.x, curves.y) &&
                   user.contains (curves.x, curves.y) && curves == before;
        };

        // Until the plug-in's own window lies under the button, a click reaches only the
        // host. The framework puts a VST 2.4 editor's window straight into ours, a VST3
        // editor's into an embedding window of its own inside ours, and an LV2 editor's
        // into an XEmbed window that lies in two more of its own. A user clicks once the
        // window has stopped moving and they see the button.
        const auto format = plugin.getPluginDescription().pluginFormatName;
        const int depth = format == "VST" ? 1 : format == "VST3" ? 2 : 4;
        if (!dispatchUntil (
                [&]
                {
                    dispatchFor (settleMilliseconds);
                    return locateCurves() && user.depthBelow (ours, curves.x, curves.y) >= depth &&
                           user.colourAt (curves.x - 30, curves.y) != 0;
                },
                showTimeoutMilliseconds))
            return fail (prefix + "the plug-in's editor did not show in the window (\"curves\" at " +
                         curves.toString() + " lies " + juce::String (user.depthBelow (ours, curves.x, curves.y)) +
                         " windows down, beside it colour " +
                         juce::String::toHexString ((juce::int64) user.colourAt (curves.x - 30, curves.y)) +
                         "); the editor's " + user.describe (ours));
        return true;
    }

    // Where the button is now, as a user sees before each click: a window manager may
    // still move the host's window after it first stood still.
    void clickOnCurves()
    {
        user.toScreen (ours, inWindow.x, inWindow.y, curves.x, curves.y);
        user.click (curves.x, curves.y);
    }

    // A show is checked for the place too, but for the first, which finds the window.
    bool clickCurves (bool shows, const juce::String& prefix)
    {
        clickOnCurves();
        if (!dispatchUntil ([&] { return user.isShowing (modulatorTitle) == shows; }, showTimeoutMilliseconds))
            return fail (prefix + "a click on \"curves\" did not " + (shows ? "show" : "hide") + " the " +
                         modulatorTitle + " window" +
                         (modulator != 0 ? juce::String (": ") + user.describe (modulator) : juce::String()));
        printStep (shows ? "shown" : "hidden");
        if (shows && modulator != 0 && !isWhereItWas (prefix))
            return false;
        dispatchFor (settleMilliseconds);
        return true;
    }

    bool findModulator (const juce::String& prefix)
    {
        modulator = user.findWindow (modulatorTitle);
        if (modulator == 0)
            return fail (prefix + "the Modulator window is gone");
        user.watch (modulator);
        place = whereModulatorIs();
        return true;
    }

    juce::Point<int> whereModulatorIs() const
    {
        juce::Point<int> p{ -1, -1 };
        user.toScreen (modulator, 0, 0, p.x, p.y);
        return p;
    }

    bool isWhereItWas (const juce::String& prefix)
    {
        // The editor may give the window a new native window each time it shows.
        if (const auto found = user.findWindow (modulatorTitle); found != modulator && found != 0)
            user.watch (modulator = found);

        // A window manager may place a window that comes back only once it has mapped it.
        if (!dispatchUntil ([this] { return whereModulatorIs() == place; }, showTimeoutMilliseconds / 4))
            return fail (prefix + "the Modulator window came back at " + whereModulatorIs().toString() +
                         ", not where it was, at " + place.toString() + ": " + user.describe (modulator));
        return asksForItsPlace (prefix);
    }

    // The window asks the window manager for the editor's place for it, whatever the
    // window manager did with it since: a window that sends back where it was put as a
    // new place of its own walks, and a window manager that honours it puts it there.
    bool asksForItsPlace (const juce::String& prefix)
    {
        juce::Point<int> asked{ -1, -1 };
        if (user.requestedPlace (modulator, asked.x, asked.y) && asked == modulatorPlace)
            return true;
        return fail (prefix + "the Modulator window asks to be at " + asked.toString() + ", not at " +
                     modulatorPlace.toString() + ": " + user.describe (modulator));
    }

    bool minimise (const juce::String& prefix)
    {
        user.minimise (modulator);
        if (!dispatchUntil ([this] { return !user.isShowing (modulatorTitle); }, showTimeoutMilliseconds))
            return fail (prefix +
                         "the window manager did not minimise the Modulator window: " + user.describe (modulator));
        printStep ("minimised");
        dispatchFor (settleMilliseconds);
        return true;
    }

    void printStep (const char* step) { std::cout << (steps++ == 0 ? " " : ", ") << step << std::flush; }

    juce::AudioPluginInstance& plugin;
    DesktopUser& user;
    std::unique_ptr<juce::DocumentWindow> window;
    unsigned long ours = 0;   // the host's window
    juce::Point<int> inWindow; // the button's centre in it
    juce::Point<int> curves;   // and on the screen
    unsigned long modulator = 0;
    juce::Point<int> place;
    int steps = 0;
};
} // namespace

int runEditor (const juce::StringArray& args)
{
    juce::String target, format = "vst3";
    int cycles = 10;
    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--format" && i + 1 < args.size())
            format = args[++i].toLowerCase();
        else if (args[i] == "--cycles" && i + 1 < args.size() && args[i + 1].containsOnly ("0123456789"))
            cycles = args[++i].getIntValue();
        else if (target.isEmpty() && !args[i].startsWith ("-"))
            target = args[i];
        else
            cycles = 0;
    }
    if (cycles < 1 || !juce::StringArray{ "vst3", "lv2", "vst" }.contains (format))
    {
        printUsage();
        return 2;
    }
    if (target.isEmpty())
        target = builtPlugin (format);

    DesktopUser user;
    if (user.problem() != nullptr)
    {
        fail (user.problem());
        return 1;
    }

    PluginLoader loader;
    juce::PluginDescription description;
    juce::String error;
    auto instance = loader.load (target, sampleRate, blockSize, description, error);
    if (instance == nullptr)
    {
        fail (error);
        return 1;
    }
    if (!instance->hasEditor())
    {
        fail (description.name + " has no editor");
        return 1;
    }
    instance->setRateAndBufferSizeDetails (sampleRate, blockSize);
    instance->prepareToPlay (sampleRate, blockSize);

    bool passed = true;
    {
        AudioThread audio (*instance);
        EditorCycles editor (*instance, user);
        for (int cycle = 1; cycle <= cycles && passed; ++cycle)
            passed = editor.run (cycle);
    }
    instance->releaseResources();
    instance.reset();
    if (!passed)
        return 1;

    std::cout << description.name << " (" << description.pluginFormatName << "): " << cycles
              << " cycles of the editor opened and the Modulator window shown, hidden, moved"
              << (user.hasWindowManager() ? ", left open, closed through the window manager and minimised" : "")
              << " without a lost click, back where it was after every show" << std::endl;
    return 0;
}
