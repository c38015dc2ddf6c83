#include "Commands.h"
#include "HostEventLoop.h"
#include "HostWindow.h"
#include "PluginLoader.h"
#include "X11Support.h"

#include <iostream>
#include <optional>

// What a host does with a plug-in's lifetimes in one process: it makes an instance and
// its editor, shows the editor a while, deletes both, and does it again. When a
// plug-in's last instance goes its framework shuts down and closes its X connection,
// and the next instance opens a new one; what the editor kept of the old one is then
// stale. A host also makes the editor before it has put it in a window (a host built
// on the framework makes a VST3's view to ask whether it has one), maybe before it has
// any window of its own and before its toolkit has set an X error handler.

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;
constexpr int showTimeoutMilliseconds = 20000;

void printUsage()
{
    std::cerr << "usage: toravel-host editor-lifetimes [<plug-in>] [--format vst3|lv2|vst] [--times N]\n"
                 "                                     [--seconds S] [--no-x-error-handler]\n"
                 "  N times (default 5) in this one process: makes an instance of the plug-in and its\n"
                 "  editor, runs the message loop for S seconds (default 1) with the editor in no window,\n"
                 "  shows it in a window for S seconds, and deletes the editor, the window and the\n"
                 "  instance.\n"
                 "  --no-x-error-handler  set no X error handler until the program opens its first window,\n"
                 "                        as a host's toolkit does; a refused X request then ends the program\n"
                 "  Prints after each time whether the plug-in's binary is still loaded and how many X\n"
                 "  connections besides this program's own are open, and exits 1 if any is: the\n"
                 "  plug-in's framework must close its own when its last instance goes.\n"
                 "  Needs an X display.\n";
}

// Each format's binary of the plug-in is Toravel.so or libToravel.so.
bool isPluginBinaryLoaded()
{
    for (const auto& line : juce::StringArray::fromLines (juce::File ("/proc/self/maps").loadFileAsString()))
        if (line.endsWith ("/Toravel.so") || line.endsWith ("/libToravel.so"))
            return true;
    return false;
}
} // namespace

int runEditorLifetimes (const juce::StringArray& args)
{
    juce::String target, format = "vst3";
    int times = 5;
    double seconds = 1.0;
    bool errorHandlerSet = true, usable = true;
    for (int i = 0; i < args.size(); ++i)
    {
        const bool hasNumber = i + 1 < args.size() && args[i + 1].containsOnly ("0123456789.");
        if (args[i] == "--format" && i + 1 < args.size())
            format = args[++i].toLowerCase();
        else if (args[i] == "--times" && hasNumber)
            times = args[++i].getIntValue();
        else if (args[i] == "--seconds" && hasNumber)
            seconds = args[++i].getDoubleValue();
        else if (args[i] == "--no-x-error-handler")
            errorHandlerSet = false;
        else if (target.isEmpty() && !args[i].startsWith ("-"))
            target = args[i];
        else
            usable = false;
    }
    if (!usable || times < 1 || !juce::StringArray{ "vst3", "lv2", "vst" }.contains (format))
    {
        printUsage();
        return 2;
    }
    if (target.isEmpty())
        target = builtPlugin (format);

    const int milliseconds = juce::roundToInt (seconds * 1000.0);
    PluginLoader loader;
    std::optional<DesktopUser> user;
    for (int time = 1; time <= times; ++time)
    {
        const auto prefix = "time " + juce::String (time) + ": ";
        const auto stop = [&] (const juce::String& why)
        {
            std::cout << std::endl;
            std::cerr << "toravel-host editor-lifetimes: " << prefix << why << std::endl;
            return 1;
        };
        juce::PluginDescription description;
        juce::String error;
        auto instance = loader.load (target, sampleRate, blockSize, description, error);
        if (instance == nullptr)
            return stop (error);
        instance->prepareToPlay (sampleRate, blockSize);
        std::cout << prefix << description.name << " (" << description.pluginFormatName << ") instance made"
                  << std::flush;

        if (!instance->hasEditor())
            return stop ("the plug-in has no editor");
        auto* editor = instance->createEditorIfNeeded();
        if (editor == nullptr)
            return stop ("the plug-in made no editor");
        dispatchFor (milliseconds);
        std::cout << ", editor made and run in no window" << std::flush;

        if (!errorHandlerSet) // as a toolkit does when it opens its first window
        {
            installXErrorHandler();
            errorHandlerSet = true;
        }
        if (!user)
            user.emplace();
        if (user->problem() != nullptr)
            return stop (user->problem());

        auto window = showInWindow (editor, *user, showTimeoutMilliseconds, error);
        if (window == nullptr)
            return stop (error);
        dispatchFor (milliseconds);
        std::cout << ", editor shown" << std::flush;

        closeWindow (window);
        instance->releaseResources();
        instance.reset();
        dispatchFor (100);
        const int left = otherXConnections (user->connectionNumber());
        std::cout << ", all deleted; the plug-in's binary is " << (isPluginBinaryLoaded() ? "still loaded" : "unloaded")
                  << ", " << left << " X connections besides this program's own are open" << std::endl;
        // Its framework shuts down with its last instance and closes its connection; one
        // left open was leaked, or the framework lives on with what it holds.
        if (left != 0)
            return stop ("the plug-in's instances are gone, yet " + juce::String (left) +
                         " X connections besides this program's own are open");
    }

    std::cout << "editor-lifetimes: " << times << " times an instance and its editor made, shown and deleted"
              << std::endl;
    return 0;
}
