#include "Commands.h"
#include "X11Support.h"

#include <juce_events/juce_events.h>

#include <cstdlib>
#include <iostream>

int main (int argc, char** argv)
{
    const auto command = juce::String::fromUTF8 (argc > 1 ? argv[1] : "");
    juce::StringArray args;
    for (int i = 2; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    // A plug-in's framework opens a connection to the display as soon as an instance
    // exists (its message thread does, in every format), though nothing is drawn, and to
    // ":0" when DISPLAY is unset or empty. Told a name that is no display's, it opens
    // none: commands that only process audio then neither depend on an X server nor die
    // when it goes away.
    if (command == "render" || command == "damage-state")
        setenv ("DISPLAY", "none", 1);

    prepareXlibForHosting();
    if (!args.contains ("--no-x-error-handler"))
        installXErrorHandler();
    juce::ScopedJuceInitialiser_GUI framework;

    if (command == "inspect")
        return runInspect (args);
    if (command == "render")
        return runRender (args);
    if (command == "damage-state")
        return runDamageState (args);
    if (command == "editor")
        return runEditor (args);
    if (command == "editor-lifetimes")
        return runEditorLifetimes (args);

    std::cerr << "usage: toravel-host <command> ...\n"
                 "commands:\n"
                 "  inspect           load a plug-in and print what a host sees of it\n"
                 "  render            play notes through a plug-in and write what it outputs to a WAV file\n"
                 "  damage-state      hand a plug-in damaged copies of its state and check that it survives them\n"
                 "  editor            open a plug-in's editor and work its \"Modulator\" window with synthetic clicks\n"
                 "  editor-lifetimes  make, show and delete an instance and its editor, again and again\n";
    return command == "help" || command == "--help" ? 0 : 2;
}
