// tavine_locate_window: finds Tavine's window, exactly as tavine_snapshot draws it for a
// setting, in a screenshot, and prints where ("x y"); fails when it is not there. The window
// tests use it to check what a real window shows.
//
//   tavine_locate_window SCREEN.png [--red X] [--green X] [--blue X] [--x2 on|off] [--seconds S] [--scale K]
#include "SnapshotCommandLine.h"
#include "support/ScreenSearch.h"

#include <iostream>

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    SnapshotCommandLine commandLine ("tavine_locate_window", "SCREEN.png", "give a screenshot");

    if (! commandLine.read (argc, argv))
        return 1;

    const auto picture = commandLine.snapshot.draw();
    const auto screen = juce::ImageFileFormat::loadFrom (juce::File::getCurrentWorkingDirectory().getChildFile (commandLine.file));

    if (! screen.isValid())
        return commandLine.fail ("cannot read " + commandLine.file);

    const auto where = test::findOnScreen (picture, screen);

    if (! where.has_value())
    {
        std::cerr << "tavine_locate_window: the window is not in " << commandLine.file << "\n";
        return 1;
    }

    std::cout << where->x << " " << where->y << "\n";
    return 0;
}
