// tavine_plugin_render: renders one fixed piece of material through a built plug-in binary, as a
// host would, and writes the raw output; or compares two such outputs. It is built for Linux and
// for Windows alike, so that the Windows plug-ins can be held to the Linux ones sample for
// sample (tests/hosting/CompareWithLinux.sh).
//
//   tavine_plugin_render render vst3|vst2 PLUGIN OUTPUT
//   tavine_plugin_render compare FIRST SECOND TOLERANCE
//
// The material is made with nothing but integer arithmetic and single IEEE operations, never a
// maths library function, so both platforms feed the plug-in the very same samples.

#include "PluginHosting.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

namespace
{
    constexpr double sampleRate = 44100.0;
    constexpr int numChannels = 2;
    constexpr int numSamples = 441000; // ten seconds

    /** A low tone, a high tone, noise bursts and steps: every stage and every meter has work. */
    juce::AudioBuffer<float> makeMaterial()
    {
        juce::AudioBuffer<float> material (numChannels, numSamples);
        juce::Random random (0x54617669);

        // Tones by rotation: a point on the unit circle turned by a fixed step every sample,
        // 80 Hz and 12 kHz at 44.1 kHz (the steps' cosines and sines, written out).
        double lowRe = 1.0, lowIm = 0.0, highRe = 1.0, highIm = 0.0;
        const double lowStepRe = 0.9999350427195256, lowStepIm = 0.011397821787538034;
        const double highStepRe = -0.13846761924537396, highStepIm = 0.990366961494838;

        for (int i = 0; i < numSamples; ++i)
        {
            const auto low = lowRe * lowStepRe - lowIm * lowStepIm;
            lowIm = lowRe * lowStepIm + lowIm * lowStepRe;
            lowRe = low;
            const auto high = highRe * highStepRe - highIm * highStepIm;
            highIm = highRe * highStepIm + highIm * highStepRe;
            highRe = high;

            const auto burst = (i / 4410) % 4 == 0 ? 0.2f * (random.nextFloat() - 0.5f) : 0.0f;
            const auto step = (i / 22050) % 2 == 0 ? 0.05f : -0.05f;

            material.setSample (0, i, static_cast<float> (0.4 * lowRe) + static_cast<float> (0.1 * highRe) + burst + step);
            material.setSample (1, i, static_cast<float> (0.4 * lowIm) + static_cast<float> (0.1 * highIm) - burst + step);
        }

        return material;
    }

    int render (const juce::String& formatName, const juce::String& location, const juce::File& output)
    {
        juce::AudioPluginFormatManager formats;
        formats.addDefaultFormats();

        juce::String error;
        auto plugin = test::createPluginInstance (formats, formatName == "vst2" ? "VST" : "VST3", location, sampleRate, 512, error);

        if (plugin == nullptr)
        {
            std::cerr << "cannot load " << location << ": " << error << "\n";
            return 1;
        }

        // A host sets the track's layout; left alone, a plug-in may start in its first one, mono.
        juce::AudioProcessor::BusesLayout stereo;
        stereo.inputBuses.add (juce::AudioChannelSet::stereo());
        stereo.outputBuses.add (juce::AudioChannelSet::stereo());

        if (! plugin->setBusesLayout (stereo) || plugin->getTotalNumOutputChannels() != numChannels)
            return (std::cerr << "the plug-in does not take a stereo layout\n", 1);

        for (const auto& [name, value] : { std::pair ("red", 0.6f), std::pair ("green", 0.5f), std::pair ("blue", 0.7f), std::pair ("x2", 1.0f) })
        {
            if (auto* parameter = test::findParameter (*plugin, name))
                parameter->setValue (value);
            else
                return (std::cerr << "no parameter " << name << "\n", 1);
        }

        plugin->prepareToPlay (sampleRate, 1024);

        // Blocks of changing sizes, the odd single sample among them, as hosts deliver them.
        auto audio = makeMaterial();
        juce::MidiBuffer midi;
        const int blockSizes[] = { 512, 1, 333, 1024, 64, 700 };

        for (int start = 0, block = 0; start < numSamples; ++block)
        {
            const auto length = juce::jmin (blockSizes[block % 6], numSamples - start);
            juce::AudioBuffer<float> slice (audio.getArrayOfWritePointers(), numChannels, start, length);
            plugin->processBlock (slice, midi);
            start += length;
        }

        plugin->releaseResources();

        // Interleaved 32-bit floats in the machine's byte order (both builds are x86-64).
        std::vector<float> interleaved;
        interleaved.reserve ((size_t) (numSamples * numChannels));

        for (int i = 0; i < numSamples; ++i)
            for (int channel = 0; channel < numChannels; ++channel)
                interleaved.push_back (audio.getSample (channel, i));

        if (! output.replaceWithData (interleaved.data(), interleaved.size() * sizeof (float)))
            return (std::cerr << "cannot write " << output.getFullPathName() << "\n", 1);

        return 0;
    }

    int compare (const juce::File& first, const juce::File& second, double tolerance)
    {
        juce::MemoryBlock a, b;

        if (! first.loadFileAsData (a) || ! second.loadFileAsData (b) || a.getSize() == 0)
            return (std::cerr << "cannot read both renders\n", 1);

        if (a.getSize() != b.getSize())
            return (std::cerr << "the renders differ in length: " << a.getSize() << " and " << b.getSize() << " bytes\n", 1);

        const auto count = a.getSize() / sizeof (float);
        const auto* x = static_cast<const float*> (a.getData());
        const auto* y = static_cast<const float*> (b.getData());
        double largest = 0.0, peak = 0.0;
        size_t different = 0;

        for (size_t i = 0; i < count; ++i)
        {
            if (! std::isfinite (x[i]) || ! std::isfinite (y[i]))
                return (std::cerr << "sample " << i << " is not a number\n", 1);

            largest = juce::jmax (largest, std::abs ((double) x[i] - (double) y[i]));
            peak = juce::jmax (peak, (double) std::abs (x[i]));
            different += std::memcmp (x + i, y + i, sizeof (float)) != 0 ? 1 : 0;
        }

        std::cout << count << " samples, peak " << peak << ", " << different << " differ, by at most " << largest << "\n";

        // A render that is silent or stuck would agree with anything.
        if (peak < 0.1)
            return (std::cerr << "the render is too quiet to tell anything\n", 1);

        return largest <= tolerance ? 0 : 1;
    }
} // namespace

int main (int argc, char* argv[])
{
    const juce::ScopedJuceInitialiser_GUI juce;
    const juce::StringArray args (argv + 1, argc - 1);

    if (args.size() == 4 && args[0] == "render" && (args[1] == "vst3" || args[1] == "vst2"))
        return render (args[1], args[2], juce::File::getCurrentWorkingDirectory().getChildFile (args[3]));

    if (args.size() == 4 && args[0] == "compare")
        return compare (juce::File::getCurrentWorkingDirectory().getChildFile (args[1]),
                        juce::File::getCurrentWorkingDirectory().getChildFile (args[2]),
                        args[3].getDoubleValue());

    std::cerr << "Usage: tavine_plugin_render render vst3|vst2 PLUGIN OUTPUT\n"
                 "       tavine_plugin_render compare FIRST SECOND TOLERANCE\n";
    return 2;
}
