// The renderer against the processor used directly: the same audio for the same input and
// setting, whatever the channels, rate and block size, and lined up with the input.

#include "RenderTestSupport.h"

namespace
{
    struct ParityCase
    {
        int numChannels;
        double sampleRate;
        int blockSize;
    };

    class RenderParity : public testing::TestWithParam<ParityCase>
    {
    };

    // Every stage driven hard, so a lost parameter, channel or sample shows far above the floor.
    const ParameterValues strongSetting { 0.8f, 0.6f, 1.0f, 1.0f };

    TEST_P (RenderParity, MatchesTheProcessorUsedDirectly)
    {
        const auto [numChannels, sampleRate, blockSize] = GetParam();
        test::ScratchFolder folder;
        const int numSamples = (int) (sampleRate * 0.3) + 17;
        const auto input = test::makeProgramme (numChannels, numSamples, sampleRate);
        test::writeWav (folder["in.wav"], input, sampleRate);

        ASSERT_EQ (test::render (folder, { "in.wav", "out.wav", "--red", "0.8", "--green", "0.6", "--blue", "1", "--x2", "--block", juce::String (blockSize) }), "");

        const auto rendered = test::readAudio (folder["out.wav"]);
        EXPECT_EQ (rendered.sampleRate, sampleRate);
        EXPECT_EQ (rendered.bitsPerSample, 32);
        ASSERT_EQ (rendered.samples.getNumChannels(), numChannels);
        ASSERT_EQ (rendered.samples.getNumSamples(), numSamples) << "the output must have the input's length";

        ZarivirAudioProcessor probe;
        probe.prepareToPlay (sampleRate, 512);
        const int latency = probe.getLatencySamples();

        const auto direct = test::processDirectly (input, sampleRate, strongSetting, latency);
        const auto neutral = test::processDirectly (input, sampleRate, {}, latency);

        // Agreement means something only if the setting changes the sound well beyond the floor.
        EXPECT_GT (test::maxDifference (test::slice (direct, latency, numSamples), test::slice (neutral, latency, numSamples)), 0.01f);

        // Agreeing with the processor is worth nothing if both are wrong: the stages together
        // raise no level by more than 3.5 dB, so the output stays close to the input's peak.
        EXPECT_LT (rendered.samples.getMagnitude (0, numSamples), 1.5f * input.getMagnitude (0, numSamples));
        EXPECT_LT (test::maxDifference (rendered.samples, test::slice (direct, latency, numSamples)), test::noiseTolerance);
    }

    INSTANTIATE_TEST_SUITE_P (ChannelsRatesAndBlocks,
                              RenderParity,
                              testing::Values (ParityCase { 2, 44100.0, 512 },
                                               ParityCase { 1, 44100.0, 512 },
                                               ParityCase { 2, 48000.0, 1 },
                                               ParityCase { 1, 48000.0, 1 },
                                               ParityCase { 2, 96000.0, 4097 },
                                               ParityCase { 1, 96000.0, 65536 },
                                               ParityCase { 2, 192000.0, 8192 },
                                               ParityCase { 2, 22050.0, 300 },
                                               ParityCase { 2, 16000.0, 512 },
                                               ParityCase { 1, 12000.0, 333 },
                                               ParityCase { 2, 11025.0, 4096 },
                                               ParityCase { 1, 8000.0, 65536 }),
                              [] (const auto& instance) {
                                  const auto& c = instance.param;
                                  return std::string (c.numChannels == 1 ? "Mono" : "Stereo") + std::to_string ((int) c.sampleRate) + "HzBlock" + std::to_string (c.blockSize);
                              });

    struct ClickCase
    {
        double sampleRate;
        int latency;
    };

    class RenderAlignment : public testing::TestWithParam<ClickCase>
    {
    };

    int loudestSample (const juce::AudioBuffer<float>& audio, int channel)
    {
        const auto* samples = audio.getReadPointer (channel);
        const auto peak = std::max_element (samples, samples + audio.getNumSamples(), [] (float a, float b) { return std::abs (a) < std::abs (b); });
        return (int) (peak - samples);
    }

    TEST_P (RenderAlignment, AClickComesOutAtItsOwnSample)
    {
        const auto [sampleRate, latency] = GetParam();
        test::ScratchFolder folder;
        const int numSamples = 3 * latency + 1000;
        const int clickAt = latency + 123;

        juce::AudioBuffer<float> input (2, numSamples);
        input.clear();
        input.setSample (0, clickAt, 0.9f);
        input.setSample (1, clickAt, -0.9f);
        test::writeWav (folder["click.wav"], input, sampleRate);

        ASSERT_EQ (test::render (folder, { "click.wav", "aligned.wav", "--block", "1000" }), "");
        ASSERT_EQ (test::render (folder, { "click.wav", "raw.wav", "--block", "1000", "--no-latency-compensation" }), "");

        const auto aligned = test::readAudio (folder["aligned.wav"]).samples;
        const auto raw = test::readAudio (folder["raw.wav"]).samples;
        ASSERT_EQ (aligned.getNumSamples(), numSamples);
        ASSERT_EQ (raw.getNumSamples(), numSamples);

        for (int channel = 0; channel < 2; ++channel)
        {
            EXPECT_EQ (loudestSample (aligned, channel), clickAt) << "channel " << channel;
            EXPECT_NEAR (aligned.getSample (channel, clickAt), input.getSample (channel, clickAt), 0.01f);
            EXPECT_EQ (loudestSample (raw, channel), clickAt + latency) << "channel " << channel;
        }
    }

    // One case for each delay the engine uses.
    INSTANTIATE_TEST_SUITE_P (Rates,
                              RenderAlignment,
                              testing::Values (ClickCase { 44100.0, 512 }, ClickCase { 96000.0, 1024 }, ClickCase { 192000.0, 2048 }),
                              [] (const auto& instance) { return std::to_string ((int) instance.param.sampleRate) + "Hz"; });

    TEST (RenderFormats, ReadsAiffAndFlacAndWritesTheRequestedBits)
    {
        test::ScratchFolder folder;
        const double sampleRate = 48000.0;
        const auto input = test::makeProgramme (2, 9000, sampleRate);

        // 24-bit integer sources, as FLAC holds them: the float render of the WAV is the yardstick.
        test::writeWav (folder["in.wav"], input, sampleRate, 24);
        const auto source = test::readAudio (folder["in.wav"]).samples;

        for (auto* format : { static_cast<juce::AudioFormat*> (new juce::AiffAudioFormat()), static_cast<juce::AudioFormat*> (new juce::FlacAudioFormat()) })
        {
            std::unique_ptr<juce::AudioFormat> owned (format);
            const auto file = folder.get().getChildFile ("in" + format->getFileExtensions()[0]);
            auto stream = std::make_unique<juce::FileOutputStream> (file);
            std::unique_ptr<juce::AudioFormatWriter> writer (format->createWriterFor (stream.get(), sampleRate, 2, 24, {}, 0));
            ASSERT_NE (writer, nullptr);
            stream.release();
            writer->writeFromAudioSampleBuffer (source, 0, source.getNumSamples());
        }

        ASSERT_EQ (test::render (folder, { "in.wav", "from-wav.wav", "--blue", "1" }), "");
        ASSERT_EQ (test::render (folder, { "in.aiff", "from-aiff.wav", "--blue", "1" }), "");
        ASSERT_EQ (test::render (folder, { "in.flac", "from-flac.wav", "--blue", "1" }), "");
        ASSERT_EQ (test::render (folder, { "in.flac", "16.wav", "--blue", "1", "--bits", "16", "--no-dither" }), "");
        ASSERT_EQ (test::render (folder, { "in.flac", "24.wav", "--blue", "1", "--bits", "24", "--no-dither" }), "");

        const auto reference = test::readAudio (folder["from-wav.wav"]).samples;
        EXPECT_EQ (test::maxDifference (test::readAudio (folder["from-aiff.wav"]).samples, reference), 0.0f);
        EXPECT_EQ (test::maxDifference (test::readAudio (folder["from-flac.wav"]).samples, reference), 0.0f);

        const auto sixteen = test::readAudio (folder["16.wav"]);
        const auto twentyFour = test::readAudio (folder["24.wav"]);
        EXPECT_EQ (sixteen.bitsPerSample, 16);
        EXPECT_EQ (twentyFour.bitsPerSample, 24);
        // Rounded to the nearest step, without dither: at most half a step away.
        EXPECT_LT (test::maxDifference (sixteen.samples, reference), 0.5f / 32768.0f + 1.0e-7f);
        EXPECT_LT (test::maxDifference (twentyFour.samples, reference), 0.5f / 8388608.0f + 1.0e-8f);
    }
} // namespace
