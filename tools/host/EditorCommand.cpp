#include "Commands.h"
#include "PluginLoader.h"
#include "X11Support.h"

#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

// Opens a plug-in's editor in a window of its own, as a host does, and works it with
// the mouse the way a user does: the clicks come from the X server, so they reach the
// plug-in's own windows through its own event handling, and what they do is read
// back from the screen. Each cycle shows and hides the "Modulator" window with the
// "curves" button and closes the editor while that window is showing.

namespace juce
{
// The framework's dispatch step on Linux, which its headers do not declare. A console
// program runs no application loop, so it drives the message queue (its windows'
// events, timers, and the file descriptors a hosted plug-in registers for its own
// windows) through this.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

// The connections to the X server among the descriptors the event loop watches (the
// framework's own and those of hosted plug-ins' editors): sockets whose other end is
// the X server's. Its callback for such a connection only reads what is queued.
std::vector<int> xConnections()
{
    std::vector<int> found;
    for (const auto fd : juce::LinuxEventLoopInternal::getRegisteredFds())
    {
        sockaddr_un peer{};
        socklen_t length = sizeof (peer);
        if (getpeername (fd, (sockaddr*) &peer, &length) == 0 && peer.sun_family == AF_UNIX &&
            length > offsetof (sockaddr_un, sun_path) + 1)
        {
            // An abstract address starts with a zero byte; the X server listens on both.
            const std::string path (peer.sun_path + 1, length - offsetof (sockaddr_un, sun_path) - 1);
            if (path.find (".X11-unix/X") != std::string::npos)
                found.push_back (fd);
        }
    }
    return found;
}

namespace
{
// Where the editor's "curves" button lies at the editor's own size.
constexpr int editorWidth = 1200, editorHeight = 700;
const juce::Point<int> curvesButtonCentre{ 1110 + 40, 610 + 10 };
const char* const modulatorTitle = "Modulator";

constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;

// Long enough for the editor's views, redrawn every 33 ms, to draw several frames,
// and for the X events of a window's coming and going to be dispatched.
constexpr int settleMilliseconds = 100;
constexpr int showTimeoutMilliseconds = 10000;

void printUsage()
{
    std::cerr << "usage: toravel-host editor [<plug-in>] [--format vst3|lv2|vst] [--cycles N]\n"
                 "  opens the plug-in's editor in a window N times (default 10) while audio runs;\n"
                 "  each time clicks \"curves\" to show, hide and show the \"Modulator\" window\n"
                 "  (with a double click every second time), moves it, closes it from its title\n"
                 "  bar and shows it again, checking that it comes back where it was; under a\n"
                 "  window manager minimises it, hides and shows it, and closes the editor with\n"
                 "  it minimised, otherwise with it open.\n"
                 "  Needs an X display with the XTest extension.\n";
}

bool fail (const juce::String& message)
{
    std::cerr << "toravel-host editor: " << message << std::endl;
    return false;
}

void dispatchFor (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;
    while (juce::Time::getMillisecondCounter() < end)
    {
        if (juce::dispatchNextMessageOnSystemQueue (true))
            continue;
        // The loop above hands on X events only when a connection's socket has data;
        // those that this program's own requests (whether a window shows, where it lies)
        // moved into a connection's queue wait there until more data arrives. A hosted
        // LV2 editor's embedding window then stayed out of place, and the first click
        // on the editor went to this program.
        for (const auto fd : xConnections())
            juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (fd);
        juce::Thread::sleep (1);
    }
}

bool dispatchUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return false;
        dispatchFor (10);
    }
    return true;
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
        std::cout << prefix << "editor open; Modulator window" << std::flush;
        steps = 0;

        if (!clickCurves (true, prefix) || !findModulator (prefix))
            return false;

        // Minimised, then hidden with "curves", three times: the next click shows it
        // again only if that hide took effect.
        if (user.hasWindowManager())
        {
            for (int time = 0; time < 3; ++time)
            {
                if (!minimise (prefix))
                    return false;
                user.click (curves.x, curves.y);
                printStep ("hidden while minimised");
                dispatchFor (settleMilliseconds);
                if (!clickCurves (true, prefix))
                    return false;
            }
            if (!isWhereItWas (prefix))
                return false;
        }

        if (!clickCurves (false, prefix))
            return false;

        // As a user who clicks twice in a hurry: the window comes and goes before the
        // first click's events are dispatched, and the next click shows it again only
        // if both clicks took effect.
        if (cycle % 2 == 0)
        {
            user.click (curves.x, curves.y, 2);
            printStep ("double-clicked");
            dispatchFor (settleMilliseconds);
        }

        if (!clickCurves (true, prefix) || !isWhereItWas (prefix))
            return false;

        // Moved by its user, it comes back where they put it.
        user.move (modulator, place.x + 40, place.y + 30);
        if (!dispatchUntil ([this] { return whereModulatorIs() != place; }, showTimeoutMilliseconds))
            return fail (prefix + "the Modulator window did not move");
        place = whereModulatorIs();
        printStep ("moved");
        if (!clickCurves (false, prefix) || !clickCurves (true, prefix) || !isWhereItWas (prefix))
            return false;

        // Only a window manager gives a window a title bar to close it from (and makes
        // the names of that request exist on the server before the plug-in looks them up).
        if (user.hasWindowManager())
        {
            // Closed from its title bar, it hides as "curves" hides it.
            user.close (modulator);
            if (!dispatchUntil ([this] { return !user.isShowing (modulatorTitle); }, showTimeoutMilliseconds))
                return fail (prefix + "closing the Modulator window from its title bar did not hide it");
            printStep ("closed from its title bar");
            if (!clickCurves (true, prefix) || !isWhereItWas (prefix) || !minimise (prefix))
                return false;
            window.reset();
            std::cout << "; editor closed with it minimised" << std::flush;
        }
        else
        {
            window.reset();
            std::cout << "; editor closed with it showing" << std::flush;
        }

        dispatchFor (settleMilliseconds);
        if (user.findWindow (modulatorTitle) != 0)
        {
            std::cout << std::endl;
            return fail (prefix + "the Modulator window outlived the editor");
        }
        std::cout << std::endl;
        return true;
    }

private:
    bool open (const juce::String& prefix)
    {
        auto* editor = plugin.createEditorIfNeeded();
        if (editor == nullptr)
            return fail (prefix + "the plug-in made no editor");

        window = std::make_unique<juce::DocumentWindow> (plugin.getName(), juce::Colours::black, 0, false);
        window->setUsingNativeTitleBar (true);
        window->setTopLeftPosition (0, 0);
        window->setVisible (true);
        window->addToDesktop();
        window->setContentOwned (editor, true);

        if (!dispatchUntil ([this] { return window->isShowing(); }, showTimeoutMilliseconds))
            return fail (prefix + "the editor's window did not show");
        if (editor->getWidth() != editorWidth || editor->getHeight() != editorHeight)
            return fail (prefix + "the editor is " + juce::String (editor->getWidth()) + " x " +
                         juce::String (editor->getHeight()) + ", not " + juce::String (editorWidth) + " x " +
                         juce::String (editorHeight) + ", the size its controls' places are known for");

        // Where the button lies on the screen, from the X server: a window manager moves
        // a new window into a frame of its own, by its title bar, after it shows.
        const auto ours = (unsigned long) (juce::pointer_sized_uint) window->getPeer()->getNativeHandle();
        const auto inWindow = (window->getLocalPoint (editor, curvesButtonCentre).toDouble() *
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
                         juce::String::toHexString ((juce::int64) user.colourAt (curves.x - 30, curves.y)) + ")");
        return true;
    }

    bool clickCurves (bool shows, const juce::String& prefix)
    {
        user.click (curves.x, curves.y);
        if (!dispatchUntil ([&] { return user.isShowing (modulatorTitle) == shows; }, showTimeoutMilliseconds))
        {
            std::cout << std::endl;
            return fail (prefix + "a click on \"curves\" did not " + (shows ? "show" : "hide") + " the " +
                         modulatorTitle + " window");
        }
        printStep (shows ? "shown" : "hidden");
        dispatchFor (settleMilliseconds);
        if (shows && modulator != 0)
            modulator = user.findWindow (modulatorTitle);
        return true;
    }

    bool findModulator (const juce::String& prefix)
    {
        modulator = user.findWindow (modulatorTitle);
        place = whereModulatorIs();
        return modulator != 0 || fail (prefix + "the Modulator window is gone");
    }

    juce::Point<int> whereModulatorIs() const
    {
        juce::Point<int> p{ -1, -1 };
        user.toScreen (modulator, 0, 0, p.x, p.y);
        return p;
    }

    bool isWhereItWas (const juce::String& prefix)
    {
        // A window manager may place a window that comes back only once it has mapped it.
        dispatchUntil ([this] { return whereModulatorIs() == place; }, settleMilliseconds);
        const auto now = whereModulatorIs();
        if (now == place)
            return true;
        std::cout << std::endl;
        return fail (prefix + "the Modulator window came back at " + now.toString() + ", not where it was, at " +
                     place.toString());
    }

    bool minimise (const juce::String& prefix)
    {
        user.minimise (modulator);
        if (!dispatchUntil ([this] { return !user.isShowing (modulatorTitle); }, showTimeoutMilliseconds))
            return fail (prefix + "the window manager did not minimise the Modulator window");
        printStep ("minimised");
        dispatchFor (settleMilliseconds);
        return true;
    }

    void printStep (const char* step) { std::cout << (steps++ == 0 ? " " : ", ") << step << std::flush; }

    juce::AudioPluginInstance& plugin;
    DesktopUser& user;
    std::unique_ptr<juce::DocumentWindow> window;
    juce::Point<int> curves;
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
              << (user.hasWindowManager() ? ", closed from its title bar and minimised" : "") << " without a lost click"
              << std::endl;
    return 0;
}
