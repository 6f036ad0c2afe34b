#pragma once

#include "RenderOptions.h"

/** Turns tavine-render's command line into RenderOptions, refusing anything it does not
    understand with a message that fits on one line. */
namespace ArgumentParser
{
    struct Result
    {
        RenderOptions options;

        /** Empty when the command line was understood. */
        juce::String error;
    };

    /** Parses the arguments after the program name. Relative paths are taken from
        workingDirectory; the demo folder defaults to demoFolderVariable, then ~/tavine-demo. */
    Result parse (const juce::StringArray& arguments,
                  const juce::File& workingDirectory,
                  const juce::String& demoFolderVariable);

    /** The text of --help. */
    juce::String helpText();

    /** "tavine-render 1.1.0". */
    juce::String versionText();
} // namespace ArgumentParser
