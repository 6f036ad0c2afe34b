// Rendering through the built plug-in binaries, as a user checks an installed plug-in: each
// format must sound like the built-in processor.

#include "../hosting/HostingSupport.h"
#include "RenderTestSupport.h"

namespace
{
    using test::Format;

    struct HostedCase
    {
        Format format;
        int numChannels;
        double sampleRate;
    };

    juce::String pluginPath (Format format)
    {
        switch (format)
        {
            // The library inside the bundle, as the build names it; the renderer finds the bundle.
            case Format::vst3:
                return TAVINE_VST3_MODULE;
            case Format::vst2:
                return TAVINE_VST2_LIBRARY;
            case Format::lv2:
                return TAVINE_LV2_BUNDLE;
        }

        return {};
    }

    /** Renders each command line; then the plug-in's render, hosted.wav, must have the input's
        length and sound like the built-in processor's, built-in.wav. Both are read back. */
    void renderAndCompare (const test::ScratchFolder& folder, std::initializer_list<juce::StringArray> commandLines, int numSamples, juce::AudioBuffer<float>& throughPlugin, juce::AudioBuffer<float>& reference)
    {
        for (const auto& arguments : commandLines)
            ASSERT_EQ (test::render (folder, arguments), "") << arguments.joinIntoString (" ");

        reference = test::readAudio (folder["built-in.wav"]).samples;
        throughPlugin = test::readAudio (folder["hosted.wav"]).samples;
        ASSERT_EQ (throughPlugin.getNumSamples(), numSamples);
        EXPECT_LT (test::maxDifference (throughPlugin, reference), test::noiseTolerance);
    }

    class HostedRender : public testing::TestWithParam<HostedCase>
    {
    };

    // 96 kHz changes the plug-in's latency from the 512 samples of a fresh instance: a render
    // that took the latency before the plug-in had settled would come out shifted.
    TEST_P (HostedRender, SoundsLikeTheBuiltInProcessor)
    {
        const auto [format, numChannels, sampleRate] = GetParam();
        test::ScratchFolder folder;
        const int numSamples = (int) (sampleRate * 0.25);
        test::writeWav (folder["in.wav"], test::makeProgramme (numChannels, numSamples, sampleRate), sampleRate);

        const juce::StringArray setting { "--red", "0.9", "--green", "0.4", "--blue", "1", "--x2=on", "--block", "480" };
        auto builtIn = setting;
        builtIn.insert (0, "in.wav");
        builtIn.insert (1, "built-in.wav");
        auto hosted = setting;
        hosted.insert (0, "in.wav");
        hosted.insert (1, "hosted.wav");
        hosted.addArray ({ "--plugin", pluginPath (format) });
        auto neutral = hosted;
        neutral.set (1, "neutral.wav");
        neutral.removeRange (2, 7);

        juce::AudioBuffer<float> throughPlugin, reference;
        ASSERT_NO_FATAL_FAILURE (renderAndCompare (folder, { builtIn, hosted, neutral }, numSamples, throughPlugin, reference));
        EXPECT_GT (test::maxDifference (test::readAudio (folder["neutral.wav"]).samples, reference), 0.01f) << "the setting must reach the plug-in";
    }

    // The LV2 plug-in has a fixed stereo port set: a mono file runs through it in the left
    // channel with the right one silent.
    INSTANTIATE_TEST_SUITE_P (Formats,
                              HostedRender,
                              testing::Values (HostedCase { Format::vst3, 2, 44100.0 },
                                               HostedCase { Format::vst3, 1, 96000.0 },
                                               HostedCase { Format::vst2, 2, 96000.0 },
                                               HostedCase { Format::vst2, 1, 44100.0 },
                                               HostedCase { Format::lv2, 2, 96000.0 },
                                               HostedCase { Format::lv2, 1, 48000.0 }),
                              [] (const auto& instance) {
                                  const auto& c = instance.param;
                                  return test::formatLabel (c.format) + (c.numChannels == 1 ? "Mono" : "Stereo") + std::to_string ((int) c.sampleRate) + "Hz";
                              });

    class HostedAutomation : public testing::TestWithParam<Format>
    {
    };

    TEST_P (HostedAutomation, BypassesThroughTheFormatsOwnBypassAndMovesTheKnobsInThePicture)
    {
        // Bypassed from 100 ms to 250 ms in the output, as a host switches it, while green
        // goes up; the picture comes from the built-in processor run alongside, which must be
        // driven alike.
        const double sampleRate = 48000.0;
        const int numSamples = (int) (sampleRate * 0.35);
        test::ScratchFolder folder;
        const auto input = test::makeProgramme (2, numSamples, sampleRate);
        test::writeWav (folder["in.wav"], input, sampleRate);

        const juce::StringArray setting { "in.wav", "built-in.wav", "--blue", "1", "--block", "480", "--picture", "built-in.png", "--automate", "green:0@0s,1@100ms", "--automate", "bypass:off@100ms,on@100ms,on@250ms,off@250ms" };
        auto hosted = setting;
        hosted.set (1, "hosted.wav");
        hosted.set (7, "hosted.png");
        hosted.addArray ({ "--plugin", pluginPath (GetParam()) });
        auto unmoved = setting;
        unmoved.set (1, "unmoved.wav");
        unmoved.set (7, "unmoved.png");
        unmoved.removeRange (8, 4);

        juce::AudioBuffer<float> throughPlugin, reference;
        ASSERT_NO_FATAL_FAILURE (renderAndCompare (folder, { setting, hosted, unmoved }, numSamples, throughPlugin, reference));

        // Processed before the bypass; bypassed, the input itself, lined up, once any switching
        // has had 100 ms to settle and until the last bypassed block ends.
        const auto processedPart = (int) (0.1 * sampleRate);
        const auto bypassedFrom = (int) (0.2 * sampleRate), bypassedTo = (int) (0.25 * sampleRate);
        EXPECT_GT (test::maxDifference (test::slice (throughPlugin, 0, processedPart), test::slice (input, 0, processedPart)), 0.01f);
        EXPECT_LT (test::maxDifference (test::slice (throughPlugin, bypassedFrom, bypassedTo - bypassedFrom), test::slice (input, bypassedFrom, bypassedTo - bypassedFrom)), test::noiseTolerance);

        const auto picture = [&folder] (const char* name) {
            juce::MemoryBlock png;
            folder[name].loadFileAsData (png);
            return png;
        };

        EXPECT_EQ (picture ("hosted.png"), picture ("built-in.png"));
        EXPECT_NE (picture ("hosted.png"), picture ("unmoved.png")) << "the green knob must end at 1, or the pictures' agreement proves nothing";
    }

    INSTANTIATE_TEST_SUITE_P (Formats,
                              HostedAutomation,
                              testing::Values (Format::vst3, Format::vst2, Format::lv2),
                              [] (const auto& instance) { return test::formatLabel (instance.param); });

    TEST (HostedRenderProgram, RendersThroughTheVst3BundleAndDrawsThePicture)
    {
        // The program as the setup script runs it, with the bundle path a user would give.
        test::ScratchFolder folder;
        const auto bundle = juce::File (TAVINE_VST3_MODULE).getParentDirectory().getParentDirectory().getParentDirectory();
        ASSERT_TRUE (bundle.hasFileExtension ("vst3"));

        const auto run = test::runProgram ({ "--demo", "--demo-dir", folder.get().getFullPathName(), "--plugin", bundle.getFullPathName() });
        ASSERT_EQ (run.exitCode, 0) << run.output;

        for (const auto* name : { "demo-input.wav", "demo-output.wav", "demo-picture.png", "demo-meters.csv" })
        {
            EXPECT_TRUE (run.output.contains (folder[name].getFullPathName())) << name << " not announced in:\n"
                                                                               << run.output;
            EXPECT_GT (folder[name].getSize(), 1000) << name;
        }

        EXPECT_TRUE (run.output.contains ("VST3")) << run.output;
        EXPECT_EQ (test::readAudio (folder["demo-output.wav"]).samples.getNumSamples(), test::readAudio (folder["demo-input.wav"]).samples.getNumSamples());
    }
} // namespace
