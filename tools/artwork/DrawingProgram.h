#pragma once

#include "Lettering.h"

#include <juce_events/juce_events.h>

#include <iostream>
#include <optional>

/** What the programs that draw the committed pictures (tavine_artwork, tavine_response) do
    around their drawing: the framework, the command line and the typeface. */
namespace DrawingProgram
{
    /** Returns what `work` returns for the arguments after the program's name, read as UTF-8.
        JUCE's GUI initialiser is held meanwhile: it sets up and tears down the framework's
        singletons (the font list among them), so nothing is reported as leaked at exit. */
    inline int run (int argc, char* argv[], int (*work) (const juce::StringArray& arguments))
    {
        const juce::ScopedJuceInitialiser_GUI juceLifetime;

        juce::StringArray arguments;

        for (int i = 1; i < argc; ++i)
            arguments.add (juce::String::fromUTF8 (argv[i]));

        return work (arguments);
    }

    /** The lettering from the default font file; nothing, once standard error has said which
        package the file comes from, when it cannot be loaded. */
    inline std::optional<Lettering> loadLettering()
    {
        Lettering lettering (Lettering::defaultFontFile());

        if (! lettering.isValid())
        {
            std::cerr << "cannot load the font " << Lettering::defaultFontFile().getFullPathName() << " (Debian package fonts-dejavu-core)\n";
            return std::nullopt;
        }

        return lettering;
    }
} // namespace DrawingProgram
