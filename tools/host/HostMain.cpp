#include "Commands.h"
#include "X11Support.h"

#include <juce_events/juce_events.h>

#include <iostream>

int main (int argc, char** argv)
{
    prepareXlibForHosting();
    juce::ScopedJuceInitialiser_GUI framework;

    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    const auto command = args[0];
    args.remove (0);

    if (command == "inspect")
        return runInspect (args);
    if (command == "render")
        return runRender (args);
    if (command == "damage-state")
        return runDamageState (args);
    if (command == "editor")
        return runEditor (args);

    std::cerr << "usage: toravel-host <command> ...\n"
                 "commands:\n"
                 "  inspect       load a plug-in and print what a host sees of it\n"
                 "  render        play notes through a plug-in and write what it outputs to a WAV file\n"
                 "  damage-state  hand a plug-in damaged copies of its state and check that it survives them\n"
                 "  editor        open a plug-in's editor and work its \"Modulator\" window with synthetic clicks\n";
    return command == "help" || command == "--help" ? 0 : 2;
}
