// The files a render reads and writes, read and written here through libsndfile on its own:
// every format and encoding goes in and comes out as what it claims to be, sounding as the
// processor used directly makes it sound.

#include "RenderTestSupport.h"

#include <sndfile.h>

#include <cmath>

#include <unistd.h>

namespace
{
    // The setting of every render below, and of the processor used directly that it is
    // compared with: every stage at work, x2 on.
    const ParameterValues setting { 0.8f, 0.6f, 1.0f, 1.0f };
    const juce::StringArray settingArguments { "--red", "0.8", "--green", "0.6", "--blue", "1", "--x2" };

    struct Decoded
    {
        juce::AudioBuffer<float> samples;
        double sampleRate = 0.0;
        int format = 0;
    };

    /** A whole file as libsndfile reads it, at full scale. */
    Decoded decode (const juce::File& file)
    {
        Decoded decoded;
        SF_INFO info {};
        auto* handle = sf_open (file.getFullPathName().toRawUTF8(), SFM_READ, &info);

        if (handle == nullptr)
            return decoded;

        std::vector<float> interleaved ((std::size_t) (info.frames * info.channels));
        const auto frames = (int) sf_readf_float (handle, interleaved.data(), info.frames);
        sf_close (handle);

        decoded.samples.setSize (info.channels, frames);

        for (int channel = 0; channel < info.channels; ++channel)
            for (int i = 0; i < frames; ++i)
                decoded.samples.setSample (channel, i, interleaved[(std::size_t) (i * info.channels + channel)]);

        decoded.sampleRate = info.samplerate;
        decoded.format = info.format;
        return decoded;
    }

    /** Writes audio in any format libsndfile writes; false when it refuses. */
    bool encode (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int format)
    {
        SF_INFO info {};
        info.samplerate = (int) sampleRate;
        info.channels = audio.getNumChannels();
        info.format = format;
        auto* handle = sf_open (file.getFullPathName().toRawUTF8(), SFM_WRITE, &info);

        if (handle == nullptr)
            return false;

        std::vector<float> interleaved ((std::size_t) (audio.getNumSamples() * audio.getNumChannels()));

        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
            for (int i = 0; i < audio.getNumSamples(); ++i)
                interleaved[(std::size_t) (i * audio.getNumChannels() + channel)] = audio.getSample (channel, i);

        const auto written = sf_writef_float (handle, interleaved.data(), audio.getNumSamples());
        sf_close (handle);
        return written == audio.getNumSamples();
    }

    /** How far a decoded render lies from the reference, in dB of the reference's level. */
    double errorLevel (const juce::AudioBuffer<float>& rendered, const juce::AudioBuffer<float>& reference)
    {
        double error = 0.0, level = 0.0;

        for (int channel = 0; channel < reference.getNumChannels(); ++channel)
        {
            for (int i = 0; i < reference.getNumSamples(); ++i)
            {
                const double difference = (double) rendered.getSample (channel, i) - reference.getSample (channel, i);
                error += difference * difference;
                level += (double) reference.getSample (channel, i) * reference.getSample (channel, i);
            }
        }

        return 10.0 * std::log10 (error / level);
    }

    struct InputCase
    {
        const char* name;
        int format;
        double sampleRate;
        float tolerance; // how far the render may lie from the processor fed the decoded input
    };

    class RenderReads : public testing::TestWithParam<InputCase>
    {
    };

    // Whatever the encoding, the renderer hears what libsndfile decodes from the file, and
    // makes of it what the processor makes of those samples.
    TEST_P (RenderReads, EveryFormatAndEncodingSoundsAsItsDecodedSamples)
    {
        const auto [name, format, sampleRate, tolerance] = GetParam();
        test::ScratchFolder folder;
        const auto input = test::makeProgramme (2, (int) (sampleRate * 0.25), sampleRate);
        const auto file = folder["input"];

        if (! encode (file, input, sampleRate, format))
            GTEST_SKIP() << "this system's libsndfile does not write " << name;

        const auto decoded = decode (file);
        ASSERT_GT (decoded.samples.getNumSamples(), 0);

        // No extension at all: the file is known by what it holds.
        auto arguments = juce::StringArray { "input", "out.wav" };
        arguments.addArray (settingArguments);
        ASSERT_EQ (test::render (folder, arguments), "");

        ZarivirAudioProcessor probe;
        probe.prepareToPlay (sampleRate, 512);
        const int latency = probe.getLatencySamples();
        const int length = decoded.samples.getNumSamples();
        const auto direct = test::slice (test::processDirectly (decoded.samples, sampleRate, setting, latency), latency, length);
        const auto rendered = decode (folder["out.wav"]);

        EXPECT_EQ (rendered.sampleRate, sampleRate);
        EXPECT_EQ (rendered.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        EXPECT_LT (test::maxDifference (rendered.samples, direct), tolerance);
    }

    INSTANTIATE_TEST_SUITE_P (
        Formats,
        RenderReads,
        testing::Values (InputCase { "Wav16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100.0, test::noiseTolerance },
                         InputCase { "Wav24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000.0, test::noiseTolerance },
                         InputCase { "Wav32", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 44100.0, test::noiseTolerance },
                         InputCase { "WavFloat", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 96000.0, test::noiseTolerance },
                         InputCase { "WavDouble", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 44100.0, test::noiseTolerance },
                         InputCase { "WavULaw", SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000.0, test::noiseTolerance },
                         InputCase { "WavALaw", SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000.0, test::noiseTolerance },
                         InputCase { "WavExtensible", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 48000.0, test::noiseTolerance },
                         InputCase { "Aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100.0, test::noiseTolerance },
                         InputCase { "AiffCFloat", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 44100.0, test::noiseTolerance },
                         InputCase { "W64", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 48000.0, test::noiseTolerance },
                         InputCase { "Rf64", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, 48000.0, test::noiseTolerance },
                         InputCase { "Caf", SF_FORMAT_CAF | SF_FORMAT_PCM_24, 44100.0, test::noiseTolerance },
                         InputCase { "Flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000.0, test::noiseTolerance },
                         InputCase { "OggVorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100.0, test::noiseTolerance },
                         InputCase { "Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000.0, test::noiseTolerance },
                         InputCase { "Mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100.0, test::noiseTolerance }),
        [] (const auto& instance) { return std::string (instance.param.name); });

    struct OutputCase
    {
        const char* extension;
        int majorFormat;
        juce::StringArray extraArguments;
        double sampleRate;
        double largestError; // in dB below the signal: two instances' noise floors lie near
                             // -130 dB, 16-bit steps near -90 dB; compression is audible
    };

    class RenderWrites : public testing::TestWithParam<OutputCase>
    {
    };

    // The output is the format its name says, whatever the input's, and sounds like the render.
    TEST_P (RenderWrites, TheFormatTheExtensionNames)
    {
        const auto& [extension, majorFormat, extraArguments, sampleRate, largestError] = GetParam();
        test::ScratchFolder folder;
        const auto input = test::makeProgramme (2, (int) sampleRate, sampleRate);
        test::writeWav (folder["in.wav"], input, sampleRate);

        const auto output = juce::String ("out.") + extension;
        auto arguments = juce::StringArray { "in.wav", output };
        arguments.addArray (settingArguments);
        arguments.addArray (extraArguments);
        ASSERT_EQ (test::render (folder, arguments), "");

        const auto decoded = decode (folder[output.toRawUTF8()]);
        EXPECT_EQ (decoded.format & SF_FORMAT_TYPEMASK, majorFormat & SF_FORMAT_TYPEMASK) << output;
        EXPECT_EQ (decoded.sampleRate, sampleRate);
        ASSERT_EQ (decoded.samples.getNumChannels(), 2);

        // Compressed streams may carry a few frames of their encoder's delay: compare the part
        // both have, which is all but those frames.
        ZarivirAudioProcessor probe;
        probe.prepareToPlay (sampleRate, 512);
        const int latency = probe.getLatencySamples();
        const int length = juce::jmin (decoded.samples.getNumSamples(), input.getNumSamples());
        EXPECT_GE (length, input.getNumSamples() - 2048);
        const auto direct = test::slice (test::processDirectly (input, sampleRate, setting, latency), latency, length);
        EXPECT_LT (errorLevel (test::slice (decoded.samples, 0, length), direct), largestError) << output;
    }

    INSTANTIATE_TEST_SUITE_P (
        Extensions,
        RenderWrites,
        testing::Values (OutputCase { "wav", SF_FORMAT_WAV, {}, 44100.0, -120.0 },
                         OutputCase { "aiff", SF_FORMAT_AIFF, { "--bits", "24" }, 48000.0, -120.0 },
                         OutputCase { "aif", SF_FORMAT_AIFF, { "--bits", "16" }, 44100.0, -85.0 },
                         OutputCase { "flac", SF_FORMAT_FLAC, {}, 96000.0, -120.0 },
                         OutputCase { "ogg", SF_FORMAT_OGG, {}, 44100.0, -20.0 },
                         OutputCase { "opus", SF_FORMAT_OGG, {}, 48000.0, -20.0 },
                         OutputCase { "mp3", SF_FORMAT_MPEG, {}, 44100.0, -15.0 }),
        [] (const auto& instance) { return std::string (instance.param.extension); });

    TEST (RenderFiles, NeverWritesOverTheInputEvenThroughALink)
    {
        test::ScratchFolder folder;
        test::writeWav (folder["in.flac"], test::makeProgramme (2, 4000, 44100.0), 44100.0);
        juce::MemoryBlock before;
        ASSERT_TRUE (folder["in.flac"].loadFileAsData (before));

        ASSERT_EQ (link (folder["in.flac"].getFullPathName().toRawUTF8(), folder["hard.wav"].getFullPathName().toRawUTF8()), 0);
        ASSERT_TRUE (folder["in.flac"].createSymbolicLink (folder["soft.wav"], true));

        for (const auto* output : { "in.flac", "hard.wav", "soft.wav", "./in.flac" })
        {
            const auto message = test::render (folder, { "in.flac", output, "--overwrite" });
            EXPECT_TRUE (message.contains ("is the input; write the result to another file")) << output << ": " << message;
        }

        juce::MemoryBlock after;
        ASSERT_TRUE (folder["in.flac"].loadFileAsData (after));
        EXPECT_EQ (after, before);
        EXPECT_EQ (folder.list(), juce::StringArray ({ "hard.wav", "in.flac", "soft.wav" }));
    }

    TEST (RenderFiles, ReplacesAnExistingOutputOnlyWhenToldTo)
    {
        test::ScratchFolder folder;
        test::writeWav (folder["in.wav"], test::makeProgramme (1, 4000, 44100.0), 44100.0);
        folder["out.wav"].replaceWithText ("an earlier take");

        for (const auto* option : { "--overwrite", "-y" })
        {
            const auto refused = test::runProgram ({ folder["in.wav"].getFullPathName(), folder["out.wav"].getFullPathName() });
            EXPECT_EQ (refused.exitCode, 1);
            EXPECT_TRUE (refused.output.contains ("exists; add --overwrite (-y) to replace it")) << refused.output;
            EXPECT_EQ (folder["out.wav"].loadFileAsString(), "an earlier take");

            const auto replaced = test::runProgram ({ folder["in.wav"].getFullPathName(), folder["out.wav"].getFullPathName(), option });
            EXPECT_EQ (replaced.exitCode, 0) << replaced.output;
            EXPECT_EQ (decode (folder["out.wav"]).samples.getNumSamples(), 4000);
            folder["out.wav"].replaceWithText ("an earlier take");
        }

        EXPECT_EQ (folder.list(), juce::StringArray ({ "in.wav", "out.wav" }));
    }
} // namespace
