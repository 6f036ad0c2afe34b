#pragma once

#include "WindowSnapshot.h"

/** The command line of the programs that draw the window after the demo phrase,
    `PROGRAM FILE [--red X] [--green X] [--blue X] [--x2 on|off] [--seconds S] [--scale K]`:
    one file, which each program uses in its own way, and the setting. What is wrong goes to
    standard error with the usage line. */
class SnapshotCommandLine
{
public:
    /** `program` and `fileName` as the usage line names them; `noFile` is what a command line
        without the file is told. */
    SnapshotCommandLine (const char* program, const char* fileName, const char* noFile);

    /** Reads the arguments after the program's name; false once what is wrong has been said. */
    bool read (int argc, char** argv);

    /** Says what is wrong, with the usage line; returns the exit status for it. */
    int fail (const juce::String& message) const;

    WindowSnapshot snapshot;

    /** The one argument that is not an option. */
    juce::String file;

private:
    /** Takes one option and its value; returns what is wrong with them, or nothing. */
    juce::String readOption (const juce::String& name, const juce::String& value);

    const char* program;
    const char* fileName;
    const char* noFile;
};
