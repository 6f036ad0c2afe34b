// Integer output: the dither's level and independence from the signal, its repeatability,
// and a clip report that says exactly what happened.

#include "Quantiser.h"
#include "RenderTestSupport.h"

#include <cmath>
#include <numeric>
#include <vector>

namespace
{
    struct ErrorStatistics
    {
        double mean = 0.0, rms = 0.0, correlation = 0.0;
    };

    /** The rounding error of quantising a slow sine to 16 bits, in steps. */
    ErrorStatistics quantisationError (bool dither)
    {
        constexpr std::size_t count = 200000;
        std::vector<float> signal (count);
        std::vector<int> steps (count);

        for (std::size_t i = 0; i < count; ++i)
            signal[i] = 0.3f * (float) std::sin (0.001 * (double) i);

        Quantiser quantiser (16, dither);
        quantiser.quantise (signal.data(), steps.data(), count);

        ErrorStatistics statistics;
        double sumSquares = 0.0, signalSquares = 0.0, cross = 0.0;

        for (std::size_t i = 0; i < count; ++i)
        {
            const double error = (double) steps[i] - (double) signal[i] * 32768.0;
            statistics.mean += error;
            sumSquares += error * error;
            signalSquares += (double) signal[i] * signal[i];
            cross += error * signal[i];
        }

        statistics.mean /= (double) count;
        statistics.rms = std::sqrt (sumSquares / (double) count);
        statistics.correlation = cross / std::sqrt (sumSquares * signalSquares);
        return statistics;
    }

    TEST (Quantiser, TriangularDitherAddsOneSixthOfAStepSquaredAndNothingCorrelated)
    {
        // Rounding alone leaves an error of 1/12 step squared; triangular dither over two steps
        // adds 1/6: half a step RMS in all, centred, and unrelated to the signal.
        const auto dithered = quantisationError (true);
        EXPECT_NEAR (dithered.rms, 0.5, 0.01);
        EXPECT_NEAR (dithered.mean, 0.0, 0.01);
        EXPECT_LT (std::abs (dithered.correlation), 0.01);

        const auto rounded = quantisationError (false);
        EXPECT_NEAR (rounded.rms, std::sqrt (1.0 / 12.0), 0.01);
    }

    TEST (Quantiser, DitherOfSilenceStaysWithinOneStepAndRepeats)
    {
        std::vector<float> silence (100000, 0.0f);
        std::vector<int> first (silence.size()), second (silence.size());
        Quantiser (24, true).quantise (silence.data(), first.data(), silence.size());
        Quantiser (24, true).quantise (silence.data(), second.data(), silence.size());

        EXPECT_EQ (first, second) << "the same seed gives the same file";

        // Triangular over -1..1 steps, rounded: 0 three times in four, +1 and -1 one in eight.
        const auto share = [&] (int value) { return (double) std::count (first.begin(), first.end(), value) / (double) first.size(); };
        EXPECT_NEAR (share (0), 0.75, 0.01);
        EXPECT_NEAR (share (1), 0.125, 0.01);
        EXPECT_NEAR (share (-1), 0.125, 0.01);
        EXPECT_EQ (share (0) + share (1) + share (-1), 1.0);
    }

    TEST (Quantiser, CountsAndLimitsEverySampleBeyondTheRange)
    {
        const float samples[] = { 0.5f, 1.0f, -1.0f, 1.5f, -2.0f, 32767.0f / 32768.0f, -0.25f };
        int steps[7] = {};
        Quantiser quantiser (16, false);
        quantiser.quantise (samples, steps, 7);

        const int expected[] = { 16384, 32767, -32768, 32767, -32768, 32767, -8192 };

        for (int i = 0; i < 7; ++i)
            EXPECT_EQ (steps[i], expected[i]) << i;

        EXPECT_EQ (quantiser.getClippedSamples(), 3); // 1.0, 1.5 and -2.0; -1.0 fits
        EXPECT_EQ (quantiser.getSamplesSeen(), 7);
        EXPECT_EQ (quantiser.getPeak(), 2.0f);
    }

    TEST (RenderClipping, SaysHowManySamplesClippedAndByHowMuch)
    {
        test::ScratchFolder folder;
        constexpr double rate = 44100.0;
        juce::AudioBuffer<float> loud (2, 44100);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < loud.getNumSamples(); ++i)
                loud.setSample (channel, i, 0.95f * (float) std::sin (0.05 * i + channel));

        test::writeWav (folder["loud.wav"], loud, rate);

        // Green up with x2 lifts the level by 2.4 dB, past full scale. Rendered as floats, the
        // samples are kept as they are, nothing is said, and they tell what the report on an
        // integer render of the same setting must say.
        const juce::StringArray setting { "--green", "1", "--x2" };
        auto floatArguments = juce::StringArray { folder["loud.wav"].getFullPathName(), folder["float.wav"].getFullPathName() };
        floatArguments.addArray (setting);
        const auto asFloat = test::runProgram (floatArguments);
        ASSERT_EQ (asFloat.exitCode, 0);
        EXPECT_EQ (asFloat.output, "");

        const auto samples = test::readAudio (folder["float.wav"]).samples;
        int clipped = 0;

        for (int channel = 0; channel < 2; ++channel)
        {
            for (int i = 0; i < samples.getNumSamples(); ++i)
            {
                const auto value = std::floor ((double) samples.getSample (channel, i) * 32768.0 + 0.5);
                clipped += (value > 32767.0 || value < -32768.0) ? 1 : 0;
            }
        }

        const auto peak = samples.getMagnitude (0, samples.getNumSamples());
        ASSERT_GT (clipped, 1000);
        ASSERT_GT (peak, 1.2f);

        auto integerArguments = juce::StringArray { folder["loud.wav"].getFullPathName(), folder["out.wav"].getFullPathName(), "--bits", "16", "--no-dither" };
        integerArguments.addArray (setting);
        const auto run = test::runProgram (integerArguments);
        ASSERT_EQ (run.exitCode, 0) << run.output;

        const auto share = 100.0 * clipped / (2.0 * samples.getNumSamples());
        const auto expected = "tavine-render: warning: " + juce::String (clipped) + " samples (" + juce::String (share, 2) + " %) clipped in out.wav, by up to " + juce::String (juce::Decibels::gainToDecibels (peak), 2) + " dB; lower the level or write 32-bit float (--bits 32)";
        EXPECT_EQ (run.output.trimEnd(), expected);

        // The file is there, limited to full scale.
        const auto written = test::readAudio (folder["out.wav"]);
        EXPECT_EQ (written.bitsPerSample, 16);
        EXPECT_LE (written.samples.getMagnitude (0, written.samples.getNumSamples()), 1.0f);
    }

    TEST (RenderClipping, IntegerRendersRepeatExactly)
    {
        test::ScratchFolder folder;
        test::writeWav (folder["in.wav"], test::makeProgramme (2, 20000, 48000.0), 48000.0);

        for (const auto* name : { "a.wav", "b.wav" })
            ASSERT_EQ (test::render (folder, { "in.wav", name, "--bits", "16", "--red", "0.5" }), "");

        juce::MemoryBlock a, b;
        ASSERT_TRUE (folder["a.wav"].loadFileAsData (a));
        ASSERT_TRUE (folder["b.wav"].loadFileAsData (b));
        EXPECT_EQ (a, b);
    }
} // namespace
