// tavine-render: runs an audio file through Tavine, through the processor compiled in here or a
// plug-in binary, and writes the result as WAV. See --help, or ArgumentParser::helpText().
#include "ArgumentParser.h"
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

    // Alone on the command line, as tools that describe programs (help2man) ask for it.
    if (arguments.size() == 1 && arguments[0] == "--version")
    {
        std::cout << "tavine-render " << TAVINE_VERSION << std::endl;
        return 0;
    }

    auto parsed = ArgumentParser::parse (arguments, juce::File::getCurrentWorkingDirectory(), juce::SystemStats::getEnvironmentVariable ("TAVINE_DEMO_DIR", {}));

    if (parsed.error.isNotEmpty())
        return fail (parsed.error, exitBadCommandLine);

    auto& options = parsed.options;

    if (options.showHelp)
    {
        std::cout << ArgumentParser::helpText();
        return 0;
    }

    if (options.demo)
        if (const auto result = RenderJob::prepareDemo (options); result.failed())
            return fail (result.getErrorMessage(), exitRenderFailed);

    RenderJob job (options);

    if (const auto result = job.run(); result.failed())
        return fail (result.getErrorMessage(), exitRenderFailed);

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
