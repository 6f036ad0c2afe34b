#pragma once

#include "RenderOptions.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <iosfwd>
#include <vector>

/** Many files processed alike: every input into the output folder under its own name, as the
    format --format names or the input's own, on several threads at once. A file that fails is
    reported and the others carry on.

    Renders through a hosted plug-in binary run one after another on the calling thread: the
    framework's plug-in hosting belongs to the message thread.
*/
class BatchRender
{
public:
    explicit BatchRender (const RenderOptions& options);

    /** Works out every output's name and creates the output folder, with its parents, when it
        is missing. Fails before anything runs, and leaves no folder behind, when the output
        folder is a file or cannot be created, or when two inputs would be written to one
        file. */
    juce::Result plan();

    /** Runs every render, with one progress bar for all, and reports each failure and clipping
        warning on `messages` as it happens. Returns the number of files that failed. */
    int run (std::ostream& messages);

    /** "Rendered 12 of 13 files into DIR; 1 failed." */
    juce::String summary() const;

private:
    struct Outcome
    {
        juce::File input, output;
        juce::Result result = juce::Result::ok();
        juce::String clippingReport;
    };

    juce::Result renderOne (Outcome& outcome, const std::function<void (double)>& progress);
    int countFailures() const;
    juce::Result createOutputFolder();
    void removeCreatedFolders();

    RenderOptions options;
    std::vector<Outcome> outcomes;
    std::vector<juce::File> createdFolders; // the folders plan() made, deepest first
    int numThreads = 1;
};
