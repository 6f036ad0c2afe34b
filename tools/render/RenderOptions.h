#pragma once

#include "AutomationLane.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

/** Everything one run of tavine-render is asked to do, as the command line gave it. */
struct RenderOptions
{
    juce::File input;
    juce::File output;

    // Many files at once: every input into outputFolder under its own name, as outputFormat
    // (an extension) or the input's own format, on up to `jobs` threads.
    juce::Array<juce::File> inputs;
    juce::File outputFolder;
    juce::String outputFormat;
    int jobs = 0; // 0: one per core

    // Knob positions given on the command line; unset ones come from the state file, or stay at
    // the plug-in's defaults.
    std::optional<float> red;
    std::optional<float> green;
    std::optional<float> blue;
    std::optional<float> x2;

    // Parameters moved during the render, at most one lane each; a knob automated here is
    // not among those above.
    std::vector<AutomationLane> automation;

    juce::File stateFile;
    juce::File saveStateFile;
    juce::File metersFile;
    juce::File pictureFile;
    std::optional<float> pictureScale; // the display scale --picture draws at; unset: 1

    /** A VST3 bundle, a VST2 library, an LV2 bundle or an LV2 URI; empty for the built-in
        processor. */
    juce::String pluginPath;

    int blockSize = 512;
    int bitsPerSample = 0; // 0: the output format's own default
    bool dither = true;
    bool overwrite = false;
    bool compensateLatency = true;
    bool quiet = false;
    bool showHelp = false;
    bool showVersion = false;

    /** Renders the built-in phrase into demoFolder instead of reading an input file. */
    bool demo = false;
    juce::File demoFolder;
};
