#include "BatchRender.h"

#include "Interruption.h"
#include "ProgressBar.h"
#include "RenderJob.h"
#include "SoundFile.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>

#include <unistd.h>

BatchRender::BatchRender (const RenderOptions& batchOptions)
    : options (batchOptions)
{
}

juce::Result BatchRender::plan()
{
    const auto& folder = options.outputFolder;

    if (folder.existsAsFile())
        return juce::Result::fail ("the output folder " + folder.getFullPathName() + " is a file, not a folder");

    outcomes.clear();
    std::map<juce::String, juce::File> claimed;

    for (const auto& input : options.inputs)
    {
        Outcome outcome;
        outcome.input = input;

        // The format --format names, or the input's own; an input whose extension names no
        // format that can be written fails on its own, and the others go ahead.
        const auto extension = options.outputFormat.isNotEmpty() ? options.outputFormat : input.getFileExtension();
        const auto* format = SoundFile::formatForExtension (extension);

        if (format == nullptr)
        {
            outcome.result = juce::Result::fail ("cannot tell the format to write for " + input.getFileName() + " from its name: give --format, one of " + SoundFile::knownExtensions());
        }
        else
        {
            outcome.output = folder.getChildFile (input.getFileNameWithoutExtension() + "." + format->extension);
            const auto key = outcome.output.getFullPathName();

            if (const auto earlier = claimed.find (key); earlier != claimed.end())
                return juce::Result::fail (earlier->second.getFullPathName() + " and " + input.getFullPathName() + " would both be written to " + key);

            claimed.emplace (key, input);
        }

        outcomes.push_back (outcome);
    }

    if (const auto created = createOutputFolder(); created.failed())
        return created;

    const bool hosted = options.pluginPath.isNotEmpty();
    const int wanted = options.jobs > 0 ? options.jobs : juce::SystemStats::getNumCpus();
    numThreads = hosted ? 1 : juce::jlimit (1, juce::jmax (1, (int) outcomes.size()), wanted);
    return juce::Result::ok();
}

juce::Result BatchRender::createOutputFolder()
{
    createdFolders.clear();

    for (auto missing = options.outputFolder; ! missing.exists() && missing != missing.getParentDirectory(); missing = missing.getParentDirectory())
        createdFolders.push_back (missing);

    if (createdFolders.empty())
        return juce::Result::ok();

    if (const auto result = options.outputFolder.createDirectory(); result.failed())
    {
        removeCreatedFolders();
        return juce::Result::fail ("cannot create the output folder " + options.outputFolder.getFullPathName() + ": " + result.getErrorMessage());
    }

    return juce::Result::ok();
}

void BatchRender::removeCreatedFolders()
{
    // Deepest first. Removing a folder removes only an empty one, so a folder someone has put
    // a file into meanwhile stays, and so do the folders above it.
    for (const auto& created : createdFolders)
        if (created.isDirectory())
            created.deleteFile();

    createdFolders.clear();
}

juce::Result BatchRender::renderOne (Outcome& outcome, const std::function<void (double)>& progress)
{
    if (outcome.result.failed())
        return outcome.result;

    auto single = options;
    single.input = outcome.input;
    single.output = outcome.output;
    single.quiet = true;

    RenderJob job (single);
    const auto result = job.run (progress);
    outcome.clippingReport = job.getClippingReport();
    return result;
}

int BatchRender::run (std::ostream& messages)
{
    std::vector<std::atomic<double>> progress (outcomes.size());
    std::atomic<std::size_t> next { 0 };
    std::mutex screen; // the progress bar and the messages share standard error
    ProgressBar bar (! options.quiet && isatty (STDERR_FILENO) != 0);

    const auto showProgress = [&] {
        double done = 0.0;

        for (const auto& fraction : progress)
            done += fraction.load (std::memory_order_relaxed);

        bar.update (done / (double) juce::jmax ((std::size_t) 1, progress.size()));
    };

    // Renders files until none is left. A lone worker draws the bar itself; several leave it to
    // the thread that waits for them.
    const auto work = [&] (bool drawBar) {
        for (auto index = next++; index < outcomes.size(); index = next++)
        {
            auto& outcome = outcomes[index];
            outcome.result = renderOne (outcome, [&, index] (double fraction) {
                progress[index].store (fraction, std::memory_order_relaxed);

                if (drawBar)
                    showProgress();
            });

            progress[index].store (1.0, std::memory_order_relaxed);

            // One whole line per file that failed or clipped, whichever thread it comes from,
            // on a line of its own rather than after the bar.
            const std::lock_guard<std::mutex> lock (screen);

            if (outcome.result.failed() && Interruption::signalReceived() == 0)
            {
                bar.finish();
                messages << "tavine-render: " << outcome.input.getFullPathName() << ": " << outcome.result.getErrorMessage() << std::endl;
            }

            if (outcome.clippingReport.isNotEmpty())
            {
                bar.finish();
                messages << "tavine-render: warning: " << outcome.clippingReport << std::endl;
            }
        }
    };

    if (numThreads == 1)
    {
        // On this thread: a hosted plug-in belongs to the message thread.
        work (true);
    }
    else
    {
        std::atomic<int> running { numThreads };
        std::vector<std::thread> threads;

        for (int i = 0; i < numThreads; ++i)
            threads.emplace_back ([&] {
                work (false);
                --running;
            });

        while (running.load() > 0)
        {
            {
                const std::lock_guard<std::mutex> lock (screen);
                showProgress();
            }

            std::this_thread::sleep_for (std::chrono::milliseconds (100));
        }

        for (auto& thread : threads)
            thread.join();
    }

    bar.finish();

    // A batch that wrote nothing leaves no trace, not even the folder it made for its files.
    const auto failed = countFailures();

    if ((std::size_t) failed == outcomes.size())
        removeCreatedFolders();

    return failed;
}

int BatchRender::countFailures() const
{
    int failed = 0;

    for (const auto& outcome : outcomes)
        failed += outcome.result.failed() ? 1 : 0;

    return failed;
}

juce::String BatchRender::summary() const
{
    const auto total = (int) outcomes.size();
    const auto failed = countFailures();

    return "Rendered " + juce::String (total - failed) + " of " + juce::String (total) + " file" + (total == 1 ? "" : "s") + " into " + options.outputFolder.getFullPathName() + (failed == 0 ? juce::String (".") : "; " + juce::String (failed) + " failed.");
}
