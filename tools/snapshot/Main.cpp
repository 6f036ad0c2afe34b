// Renders Tavine's window, as it looks after processing a stretch of audio with a given
// setting, to a PNG: for the README's screenshot and for checking the editor by eye.
//
//   tavine_snapshot OUT.png [--red X] [--green X] [--blue X] [--x2 on|off] [--seconds S]
#include "DemoPhrase.h"
#include "editor/ZarivirAudioProcessorEditor.h"
#include "plugin/ZarivirAudioProcessor.h"

#include <iostream>

namespace
{
    int fail (const juce::String& message)
    {
        std::cerr << "tavine_snapshot: " << message << "\n"
                  << "usage: tavine_snapshot OUT.png [--red X] [--green X] [--blue X] [--x2 on|off] [--seconds S]\n";
        return 1;
    }
} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;

    juce::String outputPath;
    float knobs[3] = { 0.6f, 0.5f, 0.7f };
    bool x2 = false;
    double seconds = 10.0;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        const auto needsValue = [&] { return i + 1 < argc ? juce::String (argv[++i]) : juce::String(); };

        if (arg == "--red" || arg == "--green" || arg == "--blue")
        {
            const auto value = needsValue();
            const float number = value.getFloatValue();

            if (! value.containsOnly ("0123456789.") || number < 0.0f || number > 1.0f)
                return fail (arg + " takes a number from 0 to 1");

            knobs[arg == "--red" ? 0 : (arg == "--green" ? 1 : 2)] = number;
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
            seconds = needsValue().getDoubleValue();

            if (! (seconds > 0.0 && seconds <= 600.0))
                return fail ("--seconds takes a duration from 0 to 600");
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

    if (outputPath.isEmpty())
        return fail ("no output file");

    ZarivirAudioProcessor processor;
    const double rate = 44100.0;
    processor.prepareToPlay (rate, 512);

    const char* ids[] = { "red", "green", "blue" };

    for (int k = 0; k < 3; ++k)
        processor.parameters->getParameter (ids[k])->setValueNotifyingHost (knobs[k]);

    processor.parameters->getParameter ("x2")->setValueNotifyingHost (x2 ? 1.0f : 0.0f);

    std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
    auto& window = dynamic_cast<ZarivirAudioProcessorEditor&> (*editor);

    // Process the phrase block by block, ticking the editor's timers every 100 ms of audio as
    // they would tick while it plays.
    auto audio = makeDemoPhrase (rate, seconds);
    juce::MidiBuffer midi;
    const int block = 441;

    for (int start = 0; start + block <= audio.getNumSamples(); start += block)
    {
        juce::AudioBuffer<float> view (audio.getArrayOfWritePointers(), 2, start, block);
        processor.processBlock (view, midi);

        if ((start / block) % 10 == 9)
        {
            window.timerCallback();
            window.visualisation.timerCallback();
        }
    }

    const auto image = window.createComponentSnapshot (window.getLocalBounds());
    juce::File file (juce::File::getCurrentWorkingDirectory().getChildFile (outputPath));
    file.deleteFile();
    juce::FileOutputStream stream (file);
    juce::PNGImageFormat png;

    if (! stream.openedOk() || ! png.writeImageToStream (image, stream))
        return fail ("cannot write " + file.getFullPathName());

    std::cout << file.getFullPathName() << "\n";
    return 0;
}
