// tavine_artwork: draws the editor's eight images and writes, checks or
// previews them. Run without a display; it only uses the software renderer.

#include "ArtworkSet.h"
#include "ContactSheet.h"
#include "DrawingProgram.h"

#include <iostream>

namespace
{
    void printUsage()
    {
        std::cerr << "usage: tavine_artwork OUTPUT_DIR              write the eight PNG images at 1x and 2x\n"
                     "       tavine_artwork --check DIR             compare DIR's PNGs byte for byte with a fresh drawing\n"
                     "       tavine_artwork --contact-sheet OUT.png write an enlarged overview of all images and frames\n";
    }

    int run (const juce::StringArray& args)
    {
        if (args.size() != 1 && args.size() != 2)
        {
            printUsage();
            return 2;
        }

        const auto lettering = DrawingProgram::loadLettering();

        if (! lettering.has_value())
            return 1;

        const auto artwork = ArtworkSet::draw (*lettering);
        const auto cwd = juce::File::getCurrentWorkingDirectory();

        if (args.size() == 1 && ! args[0].startsWith ("--"))
        {
            const auto error = ArtworkSet::write (artwork, cwd.getChildFile (args[0]));

            if (error.isNotEmpty())
            {
                std::cerr << error << "\n";
                return 1;
            }

            return 0;
        }

        if (args.size() == 2 && args[0] == "--check")
        {
            const auto differences = ArtworkSet::findDifferences (artwork, cwd.getChildFile (args[1]));

            for (const auto& line : differences)
                std::cerr << line << "\n";

            if (! differences.isEmpty())
                std::cerr << "the images differ from what tavine_artwork draws; regenerate them with: tavine_artwork <resources dir>\n";

            return differences.isEmpty() ? 0 : 1;
        }

        if (args.size() == 2 && args[0] == "--contact-sheet")
        {
            const auto sheet = ContactSheet::compose (artwork, *lettering);
            const auto bytes = ArtworkSet::encodePng (sheet);
            const auto file = cwd.getChildFile (args[1]);

            if (bytes.isEmpty() || ! file.replaceWithData (bytes.getData(), bytes.getSize()))
            {
                std::cerr << "cannot write " << file.getFullPathName() << "\n";
                return 1;
            }

            return 0;
        }

        printUsage();
        return 2;
    }
} // namespace

int main (int argc, char* argv[])
{
    return DrawingProgram::run (argc, argv, run);
}
