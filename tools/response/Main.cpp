// tavine_response: measures how each knob shapes the spectrum, through the processor with
// steady sines, and draws it as docs/response.png for the README. Runs without a display.
//
//   tavine_response OUT.png          draw the picture
//   tavine_response --check FILE     compare FILE byte for byte with a fresh drawing

#include "../artwork/DrawingProgram.h"
#include "ResponseMeasurement.h"
#include "ResponsePlot.h"

#include <iostream>

namespace
{
    int usage()
    {
        std::cerr << "usage: tavine_response OUT.png          measure and draw the knobs' frequency response\n"
                     "       tavine_response --check FILE     compare FILE byte for byte with a fresh drawing\n";
        return 2;
    }

    juce::MemoryBlock drawPng (const Lettering& lettering)
    {
        // A 48th of an octave between points: finer than a pixel of the plot's width.
        const auto frequencies = ResponseMeasurement::logFrequencies (20.0, 20000.0, 48);
        std::vector<ResponseCurve> curves;

        for (const bool x2 : { false, true })
            for (int knob = 0; knob < 3; ++knob)
                for (const float amount : { 0.5f, 1.0f })
                {
                    const ResponseMeasurement::Setting setting { knob, amount, x2 };
                    curves.push_back ({ setting, ResponseMeasurement::gainsInDecibels (setting, frequencies) });
                }

        juce::MemoryOutputStream stream;
        juce::PNGImageFormat png;

        if (! png.writeImageToStream (ResponsePlot::draw (frequencies, curves, lettering), stream))
            return {};

        return stream.getMemoryBlock();
    }

    int run (const juce::StringArray& args)
    {
        const bool check = args.size() == 2 && args[0] == "--check";

        if (! check && (args.size() != 1 || args[0].startsWith ("--")))
            return usage();

        const auto lettering = DrawingProgram::loadLettering();

        if (! lettering.has_value())
            return 1;

        const auto drawn = drawPng (*lettering);
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (args[args.size() - 1]);

        if (drawn.isEmpty())
        {
            std::cerr << "cannot encode the picture\n";
            return 1;
        }

        if (check)
        {
            juce::MemoryBlock committed;

            if (! file.loadFileAsData (committed))
            {
                std::cerr << file.getFullPathName() << ": missing\n";
                return 1;
            }

            if (committed != drawn)
            {
                std::cerr << file.getFullPathName() << ": differs (" << committed.getSize() << " bytes on disk, " << drawn.getSize() << " bytes drawn)\n"
                          << "redraw it with: tavine_response " << file.getFullPathName() << "\n";
                return 1;
            }

            return 0;
        }

        if (! file.replaceWithData (drawn.getData(), drawn.getSize()))
        {
            std::cerr << "cannot write " << file.getFullPathName() << "\n";
            return 1;
        }

        return 0;
    }
} // namespace

int main (int argc, char* argv[])
{
    return DrawingProgram::run (argc, argv, run);
}
