// tavine-render: runs audio files through Tavine, through the processor compiled in here or a
// plug-in binary. See --help, or ArgumentParser::helpText().
#include "ArgumentParser.h"
#include "BatchRender.h"
#include "Interruption.h"
#include "RenderJob.h"

#include <juce_events/juce_events.h>

#include <iostream>

namespace
{
    constexpr int exitRenderFailed = 1;
    constexpr int exitBadCommandLine = 2;

    int fail (const juce::String& message, int status)
    {
        std::cerr << "tavine-render: " << message << (status == exitBadCommandLine ? " (see tavine-render --help)" : "") << std::endl;
        return status;
    }
} // namespace

int main (int argc, char** argv)
{
    // Components and images need the framework's GUI side; with no display it draws into
    // images all the same.
    const juce::ScopedJuceInitialiser_GUI juce;

    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    auto parsed = ArgumentParser::parse (arguments, juce::File::getCurrentWorkingDirectory(), juce::SystemStats::getEnvironmentVariable ("TAVINE_DEMO_DIR", {}));

    if (parsed.error.isNotEmpty())
        return fail (parsed.error, exitBadCommandLine);

    auto& options = parsed.options;

    if (options.showHelp)
    {
        std::cout << ArgumentParser::helpText();
        return 0;
    }

    if (options.showVersion)
    {
        std::cout << ArgumentParser::versionText();
        return 0;
    }

    // From here on a signal stops the renders at their next block; their temporary files go
    // with them, and the exit status tells which signal it was.
    Interruption::install();

    if (options.outputFolder != juce::File())
    {
        BatchRender batch (options);

        if (const auto result = batch.plan(); result.failed())
            return fail (result.getErrorMessage(), exitRenderFailed);

        const auto failed = batch.run (std::cerr);

        if (Interruption::signalReceived() != 0)
            return fail (Interruption::check().getErrorMessage(), Interruption::exitStatus());

        std::cout << batch.summary() << std::endl;
        return failed == 0 ? 0 : exitRenderFailed;
    }

    if (options.demo)
        if (const auto result = RenderJob::prepareDemo (options); result.failed())
            return fail (result.getErrorMessage(), exitRenderFailed);

    RenderJob job (options);

    if (const auto result = job.run(); result.failed())
        return fail (result.getErrorMessage(), Interruption::signalReceived() != 0 ? Interruption::exitStatus() : exitRenderFailed);

    if (job.getClippingReport().isNotEmpty())
        std::cerr << "tavine-render: warning: " << job.getClippingReport() << std::endl;

    if (options.demo)
    {
        std::cout << "Rendered the demo through " << job.getSourceDescription() << ":\n"
                  << "  input    " << options.input.getFullPathName() << "\n"
                  << "  output   " << options.output.getFullPathName() << "\n"
                  << "  picture  " << options.pictureFile.getFullPathName() << "\n"
                  << "  meters   " << options.metersFile.getFullPathName() << "\n";
    }

    return 0;
}
