#include "SnapshotCommandLine.h"

#include "CommandLineNumbers.h"
#include "EditorPicture.h"

#include <iostream>

SnapshotCommandLine::SnapshotCommandLine (const char* programName, const char* fileInUsage, const char* withoutFile)
    : program (programName)
    , fileName (fileInUsage)
    , noFile (withoutFile)
{
}

int SnapshotCommandLine::fail (const juce::String& message) const
{
    std::cerr << program << ": " << message << "\n"
              << "usage: " << program << " " << fileName << " [--red X] [--green X] [--blue X] [--x2 on|off] [--seconds S] [--scale K]\n";
    return 1;
}

bool SnapshotCommandLine::read (int argc, char** argv)
{
    const juce::StringArray options { "--red", "--green", "--blue", "--x2", "--seconds", "--scale" };

    for (int i = 1; i < argc; ++i)
    {
        const juce::String argument (argv[i]);
        juce::String error;

        // An option's value is the next argument; a missing one is an empty value, which every
        // option refuses.
        if (options.contains (argument))
            error = readOption (argument, i + 1 < argc ? juce::String (argv[++i]) : juce::String());
        else if (file.isEmpty() && ! argument.startsWith ("--"))
            file = argument;
        else
            error = "unknown argument " + argument;

        if (error.isNotEmpty())
        {
            fail (error);
            return false;
        }
    }

    if (file.isEmpty())
    {
        fail (noFile);
        return false;
    }

    return true;
}

juce::String SnapshotCommandLine::readOption (const juce::String& name, const juce::String& value)
{
    if (name == "--red" || name == "--green" || name == "--blue")
    {
        const auto number = CommandLineNumbers::parseUnitNumber (value);

        if (! number.has_value())
            return name + " takes a number from 0 to 1";

        snapshot.knobs[name == "--red" ? 0 : (name == "--green" ? 1 : 2)] = *number;
    }
    else if (name == "--x2")
    {
        if (value != "on" && value != "off")
            return "--x2 takes on or off";

        snapshot.x2 = value == "on";
    }
    else if (name == "--seconds")
    {
        const auto number = CommandLineNumbers::parseDecimal (value);

        if (! number.has_value() || *number < 0.0 || *number > 600.0)
            return "--seconds takes a duration from 0 to 600";

        snapshot.seconds = *number;
    }
    else if (name == "--scale")
    {
        const auto number = EditorPicture::parseScale (value);

        if (! number.has_value())
            return "--scale takes a display scale from 1 to 3";

        snapshot.scale = *number;
    }

    return {};
}
