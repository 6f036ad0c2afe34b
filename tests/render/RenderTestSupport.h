#pragma once

#include "ArgumentParser.h"
#include "RenderJob.h"
#include "plugin/ParameterIds.h"
#include "plugin/ZarivirAudioProcessor.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <functional>
#include <memory>
#include <utility>

namespace test
{
    // Two instances draw their own noise floor of at most 1e-7, which the stages lift a little.
    constexpr float noiseTolerance = 1.0e-5f;

    /** A folder of its own for each test, removed afterwards. */
    class ScratchFolder
    {
    public:
        ScratchFolder() { folder.createDirectory(); }
        ~ScratchFolder() { folder.deleteRecursively(); }

        juce::File operator[] (const char* name) const { return folder.getChildFile (name); }
        const juce::File& get() const noexcept { return folder; }

        /** The names of the files in the folder, hidden ones included. */
        juce::StringArray list() const { return listOf (folder); }

        static juce::StringArray listOf (const juce::File& directory)
        {
            juce::StringArray names;

            for (const auto& entry : juce::RangedDirectoryIterator (directory, false, "*", juce::File::findFilesAndDirectories))
                names.add (entry.getFile().getFileName());

            names.sort (false);
            return names;
        }

    private:
        juce::File folder { juce::File::createTempFile ("render-test") };
    };

    /** Material in all three bands: a low sine, a high sine and a step every 1000 samples. */
    inline juce::AudioBuffer<float> makeProgramme (int numChannels, int numSamples, double sampleRate)
    {
        juce::AudioBuffer<float> buffer (numChannels, numSamples);

        for (int channel = 0; channel < numChannels; ++channel)
        {
            for (int i = 0; i < numSamples; ++i)
            {
                const auto t = (double) i / sampleRate;
                const auto low = 0.3 * std::sin (juce::MathConstants<double>::twoPi * 80.0 * t + channel);
                const auto high = 0.1 * std::sin (juce::MathConstants<double>::twoPi * 0.27 * sampleRate * t);
                const auto step = (i / 1000) % 2 == 0 ? 0.05 : -0.05;
                buffer.setSample (channel, i, (float) (low + high + step));
            }
        }

        return buffer;
    }

    inline void writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bits = 32)
    {
        file.deleteFile();
        auto stream = std::make_unique<juce::FileOutputStream> (file);
        ASSERT_TRUE (stream->openedOk());
        std::unique_ptr<juce::AudioFormatWriter> writer (juce::WavAudioFormat().createWriterFor (stream.get(), sampleRate, (unsigned int) audio.getNumChannels(), bits, {}, 0));
        ASSERT_NE (writer, nullptr);
        stream.release();
        ASSERT_TRUE (writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()));
    }

    struct Audio
    {
        juce::AudioBuffer<float> samples;
        double sampleRate = 0.0;
        int bitsPerSample = 0;
    };

    inline Audio readAudio (const juce::File& file)
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
        Audio audio;

        if (reader == nullptr)
            return audio;

        audio.samples.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&audio.samples, 0, (int) reader->lengthInSamples, 0, true, true);
        audio.sampleRate = reader->sampleRate;
        audio.bitsPerSample = (int) reader->bitsPerSample;
        return audio;
    }

    inline float maxDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
            return INFINITY;

        float largest = 0.0f;

        for (int channel = 0; channel < a.getNumChannels(); ++channel)
            for (int i = 0; i < a.getNumSamples(); ++i)
                largest = juce::jmax (largest, std::abs (a.getSample (channel, i) - b.getSample (channel, i)));

        return largest;
    }

    /** Options as the command line would give them, relative to the scratch folder. */
    inline RenderOptions parse (const ScratchFolder& folder, const juce::StringArray& arguments)
    {
        auto parsed = ArgumentParser::parse (arguments, folder.get(), {});
        EXPECT_TRUE (parsed.error.isEmpty()) << parsed.error;
        return parsed.options;
    }

    /** Renders in-process; the failure message, or empty. */
    inline juce::String render (const ScratchFolder& folder, const juce::StringArray& arguments)
    {
        RenderJob job (parse (folder, arguments));
        return job.run().getErrorMessage();
    }

    /** A processor of a test's own, in place of the built-in one, as what a render goes
        through. */
    template <typename Processor>
    class SourceAround : public PluginSource
    {
    public:
        template <typename... Arguments>
        explicit SourceAround (juce::String descriptionToGive, Arguments&&... arguments)
            : description (std::move (descriptionToGive))
            , processor (std::forward<Arguments> (arguments)...)
        {
        }

        juce::String getDescription() const override { return description; }

    protected:
        juce::AudioProcessor& getProcessor() noexcept override { return processor; }

    private:
        juce::String description;
        Processor processor;
    };

    /** A render through the source a test makes. */
    class JobWithSource : public RenderJob
    {
    public:
        JobWithSource (const RenderOptions& renderOptions, std::function<std::unique_ptr<PluginSource>()> sourceMaker)
            : RenderJob (renderOptions)
            , makeSource (std::move (sourceMaker))
        {
        }

    protected:
        std::unique_ptr<PluginSource> createSource (juce::String&) override { return makeSource(); }

    private:
        std::function<std::unique_ptr<PluginSource>()> makeSource;
    };

    struct ProgramRun
    {
        int exitCode = -1;
        juce::String output; // standard output and standard error together
    };

    /** Runs the tavine-render program itself. */
    inline ProgramRun runProgram (const juce::StringArray& arguments)
    {
        juce::StringArray command { TAVINE_RENDER_PROGRAM };
        command.addArray (arguments);

        juce::ChildProcess process;
        ProgramRun run;

        if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            return run;

        run.output = process.readAllProcessOutput();
        process.waitForProcessToFinish (60000);
        run.exitCode = (int) process.getExitCode();
        return run;
    }

    /** Sets the four parameters, as a host sets them. */
    inline void setKnobs (ZarivirAudioProcessor& processor, const ParameterValues& values)
    {
        const std::pair<const char*, float> settings[] = { { ParameterIds::red, values.red }, { ParameterIds::green, values.green }, { ParameterIds::blue, values.blue }, { ParameterIds::x2, values.x2 } };

        for (const auto& [id, value] : settings)
            processor.getValueTreeState().getParameter (id)->setValueNotifyingHost (value);
    }

    /** What a host does before each block it plays automation into: sets the parameters, and
        says whether the block is bypassed. */
    using BeforeBlock = std::function<bool (int blockIndex, ZarivirAudioProcessor& processor)>;

    /** The processor used directly, as a host would drive it: prepared, set, fed in blocks. The
        input is followed by `padding` samples of silence. */
    inline juce::AudioBuffer<float> processDirectly (const juce::AudioBuffer<float>& input, double sampleRate, const ParameterValues& values, int padding, int blockSize = 512, const BeforeBlock& beforeBlock = {})
    {
        ZarivirAudioProcessor processor;
        setKnobs (processor, values);

        processor.prepareToPlay (sampleRate, blockSize);

        juce::AudioBuffer<float> audio (input.getNumChannels(), input.getNumSamples() + padding);
        audio.clear();

        for (int channel = 0; channel < input.getNumChannels(); ++channel)
            audio.copyFrom (channel, 0, input, channel, 0, input.getNumSamples());

        juce::MidiBuffer midi;

        for (int start = 0; start < audio.getNumSamples(); start += blockSize)
        {
            juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), audio.getNumChannels(), start, juce::jmin (blockSize, audio.getNumSamples() - start));

            if (beforeBlock && beforeBlock (start / blockSize, processor))
                processor.processBlockBypassed (block, midi);
            else
                processor.processBlock (block, midi);
        }

        return audio;
    }

    /** The state block the plug-in saves for a setting. */
    inline juce::MemoryBlock stateSavedByThePlugin (const ParameterValues& values)
    {
        ZarivirAudioProcessor plugin;
        setKnobs (plugin, values);

        juce::MemoryBlock block;
        plugin.getStateInformation (block);
        return block;
    }

    /** The samples from `start` on, `length` of them. */
    inline juce::AudioBuffer<float> slice (const juce::AudioBuffer<float>& audio, int start, int length)
    {
        juce::AudioBuffer<float> result (audio.getNumChannels(), length);

        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
            result.copyFrom (channel, 0, audio, channel, start, length);

        return result;
    }
} // namespace test
