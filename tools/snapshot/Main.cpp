// Renders Tavine's window, as it looks after processing a stretch of the demo phrase with a
// given setting, to a PNG: for the README's screenshot and for checking the editor by eye.
//
//   tavine_snapshot OUT.png [--red X] [--green X] [--blue X] [--x2 on|off] [--seconds S] [--scale K]
//
// X is a number from 0 to 1, S one from 0 to 600 and K, the display scale (2 draws the window
// as a display at 200 % shows it, 900 x 600), one from 1 to 3, each written in full as
// tavine-render takes its numbers ("0.5", "1", "2.5e-1").
//
// With --locate SCREEN.png instead of an output file it looks for that exact picture of the
// window in a screenshot and prints where it found it ("x y"), or fails: the window tests
// use it to check what a real window shows.
#include "CommandLineNumbers.h"
#include "DemoPhrase.h"
#include "EditorPicture.h"
#include "plugin/ParameterIds.h"
#include "plugin/ZarivirAudioProcessor.h"

#include <iostream>
#include <optional>

namespace
{
    int fail (const juce::String& message)
    {
        std::cerr << "tavine_snapshot: " << message << "\n"
                  << "usage: tavine_snapshot (OUT.png | --locate SCREEN.png) [--red X] [--green X] [--blue X] [--x2 on|off] [--seconds S] [--scale K]\n";
        return 1;
    }

    // Where the picture appears, pixel for pixel (alpha ignored), in the screenshot.
    std::optional<juce::Point<int>> locate (const juce::Image& picture, const juce::Image& screen)
    {
        const juce::Image::BitmapData wanted (picture, juce::Image::BitmapData::readOnly);
        const juce::Image::BitmapData seen (screen, juce::Image::BitmapData::readOnly);
        const auto rgb = [] (const juce::Image::BitmapData& data, int x, int y) { return data.getPixelColour (x, y).getARGB() & 0xffffffu; };

        for (int top = 0; top + picture.getHeight() <= screen.getHeight(); ++top)
        {
            for (int left = 0; left + picture.getWidth() <= screen.getWidth(); ++left)
            {
                bool same = true;

                for (int y = 0; same && y < picture.getHeight(); ++y)
                    for (int x = 0; same && x < picture.getWidth(); ++x)
                        same = rgb (wanted, x, y) == rgb (seen, left + x, top + y);

                if (same)
                    return juce::Point<int> { left, top };
            }
        }

        return {};
    }
} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;

    juce::String outputPath, screenshotPath;
    float knobs[3] = { 0.6f, 0.5f, 0.7f };
    bool x2 = false;
    double seconds = 10.0;
    float scale = 1.0f;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        const auto needsValue = [&] { return i + 1 < argc ? juce::String (argv[++i]) : juce::String(); };

        if (arg == "--red" || arg == "--green" || arg == "--blue")
        {
            const auto number = CommandLineNumbers::parseUnitNumber (needsValue());

            if (! number.has_value())
                return fail (arg + " takes a number from 0 to 1");

            knobs[arg == "--red" ? 0 : (arg == "--green" ? 1 : 2)] = *number;
        }
        else if (arg == "--x2")
        {
            const auto value = needsValue();

            if (value != "on" && value != "off")
                return fail ("--x2 takes on or off");

            x2 = value == "on";
        }
        else if (arg == "--seconds")
        {
            const auto number = CommandLineNumbers::parseDecimal (needsValue());

            if (! number.has_value() || *number < 0.0 || *number > 600.0)
                return fail ("--seconds takes a duration from 0 to 600");

            seconds = *number;
        }
        else if (arg == "--scale")
        {
            const auto number = CommandLineNumbers::parseDecimal (needsValue());

            if (! number.has_value() || *number < EditorPicture::smallestScale || *number > EditorPicture::largestScale)
                return fail ("--scale takes a display scale from 1 to 3");

            scale = (float) *number;
        }
        else if (arg == "--locate")
        {
            screenshotPath = needsValue();
        }
        else if (outputPath.isEmpty() && ! arg.startsWith ("--"))
        {
            outputPath = arg;
        }
        else
        {
            return fail ("unknown argument " + arg);
        }
    }

    if (outputPath.isEmpty() == screenshotPath.isEmpty())
        return fail ("give either an output file or --locate");

    ZarivirAudioProcessor processor;
    const double rate = 44100.0;
    const int block = 441;
    processor.setRateAndBufferSizeDetails (rate, block);
    processor.prepareToPlay (rate, block);

    for (size_t k = 0; k < 3; ++k)
        processor.getValueTreeState().getParameter (ParameterIds::knobs[k])->setValueNotifyingHost (knobs[k]);

    processor.getValueTreeState().getParameter (ParameterIds::x2)->setValueNotifyingHost (x2 ? 1.0f : 0.0f);

    // The phrase in whole blocks of 10 ms, so that the last tick falls right after the last
    // block and the picture shows the window as that tick left it.
    EditorPicture picture (processor);
    auto audio = makeDemoPhrase (rate, seconds);
    juce::MidiBuffer midi;

    for (int start = 0; start + block <= audio.getNumSamples(); start += block)
    {
        juce::AudioBuffer<float> view (audio.getArrayOfWritePointers(), 2, start, block);
        processor.processBlock (view, midi);
        picture.advance (block);
    }

    const auto image = picture.draw (scale);

    if (screenshotPath.isNotEmpty())
    {
        const auto screen = juce::ImageFileFormat::loadFrom (juce::File::getCurrentWorkingDirectory().getChildFile (screenshotPath));

        if (! screen.isValid())
            return fail ("cannot read " + screenshotPath);

        const auto where = locate (image, screen);

        if (! where.has_value())
        {
            std::cerr << "tavine_snapshot: the window is not in " << screenshotPath << "\n";
            return 1;
        }

        std::cout << where->x << " " << where->y << "\n";
        return 0;
    }

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (outputPath);
    const auto png = EditorPicture::toPng (image);

    if (png.isEmpty() || ! file.replaceWithData (png.getData(), png.getSize()))
        return fail ("cannot write " + file.getFullPathName());

    std::cout << file.getFullPathName() << "\n";
    return 0;
}
