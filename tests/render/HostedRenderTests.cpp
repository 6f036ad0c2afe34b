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

        ASSERT_EQ (test::render (folder, builtIn), "");
        ASSERT_EQ (test::render (folder, hosted), "");
        ASSERT_EQ (test::render (folder, neutral), "");

        const auto reference = test::readAudio (folder["built-in.wav"]).samples;
        const auto throughPlugin = test::readAudio (folder["hosted.wav"]).samples;
        ASSERT_EQ (throughPlugin.getNumSamples(), numSamples);
        EXPECT_GT (test::maxDifference (test::readAudio (folder["neutral.wav"]).samples, reference), 0.01f) << "the setting must reach the plug-in";
        EXPECT_LT (test::maxDifference (throughPlugin, reference), test::noiseTolerance);
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
