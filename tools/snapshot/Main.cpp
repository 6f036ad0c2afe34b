// Renders Tavine's window, as it looks after processing a stretch of the demo phrase with a
// given setting, to a PNG: for the README's screenshot and for checking the editor by eye.
//
//   tavine_snapshot OUT.png [--red X] [--green X] [--blue X] [--x2 on|off] [--seconds S] [--scale K]
//
// X is a number from 0 to 1, S one from 0 to 600 and K, the display scale (2 draws the window
// as a display at 200 % shows it, 900 x 600), one from 1 to 3, each written in full as
// tavine-render takes its numbers ("0.5", "1", "2.5e-1").
#include "EditorPicture.h"
#include "SnapshotCommandLine.h"

#include <iostream>

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    SnapshotCommandLine commandLine ("tavine_snapshot", "OUT.png", "give an output file");

    if (! commandLine.read (argc, argv))
        return 1;

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (commandLine.file);
    const auto png = EditorPicture::toPng (commandLine.snapshot.draw());

    if (png.isEmpty() || ! file.replaceWithData (png.getData(), png.getSize()))
        return commandLine.fail ("cannot write " + file.getFullPathName());

    std::cout << file.getFullPathName() << "\n";
    return 0;
}
