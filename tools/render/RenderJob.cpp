#include "RenderJob.h"

#include "DemoPhrase.h"
#include "EditorPicture.h"
#include "MeterRecorder.h"
#include "OutputFile.h"
#include "ProgressBar.h"
#include "plugin/StateBlock.h"
#include "plugin/ZarivirAudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{
    constexpr double demoSampleRate = 44100.0;
    constexpr double demoSeconds = 10.0;

    /** Opens a WAV writer on the output's temporary file. */
    std::unique_ptr<juce::AudioFormatWriter> createWavWriter (OutputFile& file, double sampleRate, int numChannels, int bitsPerSample)
    {
        auto stream = file.takeStream();

        // JUCE writes 32-bit WAV as IEEE float, 16 and 24-bit as integers.
        std::unique_ptr<juce::AudioFormatWriter> writer (juce::WavAudioFormat().createWriterFor (stream.get(), sampleRate, (unsigned int) numChannels, bitsPerSample, {}, 0));

        // The writer owns the stream only when it was made.
        if (writer != nullptr)
            stream.release();

        return writer;
    }

    juce::Result writeWholeWav (OutputFile& file, const juce::AudioBuffer<float>& audio, double sampleRate)
    {
        if (auto result = file.open(); result.failed())
            return result;

        auto writer = createWavWriter (file, sampleRate, audio.getNumChannels(), 32);

        if (writer == nullptr || ! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            return juce::Result::fail ("cannot write " + file.getTarget().getFullPathName());

        writer.reset();
        return file.commit();
    }

    /** The input, checked for what can go wrong before any audio flows. */
    juce::Result openInput (const juce::File& file, juce::AudioFormatManager& formats, std::unique_ptr<juce::AudioFormatReader>& reader)
    {
        const auto path = file.getFullPathName();

        if (! file.exists())
            return juce::Result::fail ("cannot find the input " + path);

        if (file.isDirectory())
            return juce::Result::fail ("the input " + path + " is a folder, not an audio file");

        if (! file.hasReadAccess() || juce::FileInputStream (file).failedToOpen())
            return juce::Result::fail ("cannot read the input " + path + ": permission denied");

        reader.reset (formats.createReaderFor (file));

        if (reader == nullptr)
            return juce::Result::fail (path + " is not a WAV, AIFF or FLAC file, or it is damaged");

        if (reader->numChannels == 0 || reader->lengthInSamples < 0 || ! (reader->sampleRate > 0.0))
            return juce::Result::fail (path + " is damaged: its header describes no usable audio");

        if (reader->numChannels > 2)
            return juce::Result::fail (path + " has " + juce::String (reader->numChannels) + " channels; only mono and stereo files can be rendered");

        // An uncompressed file cut short still opens; its reader would fill the missing part
        // with silence. Its audio data alone cannot be longer than the whole file.
        const bool uncompressed = reader->getFormatName() != "FLAC file";
        const auto audioBytes = (double) reader->lengthInSamples * reader->numChannels * (reader->bitsPerSample / 8);

        if (uncompressed && audioBytes > (double) file.getSize())
            return juce::Result::fail (path + " is damaged: it ends before the " + juce::String (reader->lengthInSamples) + " samples its header announces");

        return juce::Result::ok();
    }

    /** Processes one block through the processor whose meters and window are watched, in
        pieces short enough for the recorder to see every display point. */
    void processWatched (PluginSource& source, juce::AudioBuffer<float>& block, MeterRecorder* recorder, EditorPicture* picture)
    {
        const int total = block.getNumSamples();
        const int piece = recorder != nullptr ? juce::jmin (total, recorder->getMaximumSamplesBetweenCaptures()) : total;

        for (int start = 0; start < total; start += piece)
        {
            const int length = juce::jmin (piece, total - start);
            juce::AudioBuffer<float> view (block.getArrayOfWritePointers(), block.getNumChannels(), start, length);
            source.process (view);

            if (recorder != nullptr)
                recorder->capture();

            if (picture != nullptr)
                picture->advance (length);
        }
    }
} // namespace

RenderJob::RenderJob (const RenderOptions& renderOptions)
    : options (renderOptions)
{
}

std::unique_ptr<PluginSource> RenderJob::createSource (juce::String& error)
{
    if (options.pluginPath.isNotEmpty())
        return PluginSource::createHosted (options.pluginPath, error);

    return PluginSource::createBuiltIn();
}

int RenderJob::findNonFiniteSample (const juce::AudioBuffer<float>& block, int start) noexcept
{
    for (int i = start; i < block.getNumSamples(); ++i)
        for (int channel = 0; channel < block.getNumChannels(); ++channel)
            if (! std::isfinite (block.getSample (channel, i)))
                return i;

    return -1;
}

juce::Result RenderJob::resolveSetting (const RenderOptions& options, ParameterValues& values, juce::MemoryBlock& stateBlock)
{
    // The plug-in's own processor reads the state block and writes the new one, so both mean
    // exactly what they mean to the plug-in.
    ZarivirAudioProcessor settings;

    if (options.stateFile != juce::File())
    {
        const auto path = options.stateFile.getFullPathName();
        juce::MemoryBlock bytes;

        if (! options.stateFile.existsAsFile())
            return juce::Result::fail ("cannot find the state file " + path);

        if (! options.stateFile.loadFileAsData (bytes))
            return juce::Result::fail ("cannot read the state file " + path);

        // The plug-in ignores a bad block silently, as hosts expect; here it is a mistake the
        // user should hear about.
        if (StateBlock::read (bytes.getData(), (int) bytes.getSize()) == nullptr)
            return juce::Result::fail (path + " is not a valid Tavine state block");

        settings.setStateInformation (bytes.getData(), (int) bytes.getSize());
    }

    const std::pair<const char*, std::optional<float>> given[] = { { "red", options.red }, { "green", options.green }, { "blue", options.blue }, { "x2", options.x2 } };

    for (const auto& [id, value] : given)
        if (value.has_value())
            settings.parameters->getParameter (id)->setValueNotifyingHost (*value);

    const auto read = [&settings] (const char* id) { return settings.parameters->getParameter (id)->getValue(); };
    values = { read ("red"), read ("green"), read ("blue"), read ("x2") };
    settings.getStateInformation (stateBlock);
    return juce::Result::ok();
}

juce::Result RenderJob::prepareDemo (RenderOptions& options)
{
    const auto& folder = options.demoFolder;

    if (! folder.isDirectory() && ! folder.createDirectory())
        return juce::Result::fail ("cannot make the demo folder " + folder.getFullPathName());

    options.input = folder.getChildFile ("demo-input.wav");
    options.output = folder.getChildFile ("demo-output.wav");

    if (options.pictureFile == juce::File())
        options.pictureFile = folder.getChildFile ("demo-picture.png");

    if (options.metersFile == juce::File())
        options.metersFile = folder.getChildFile ("demo-meters.csv");

    // Warm low end, some space, a good deal of punch: every stage audible, nothing extreme.
    if (options.stateFile == juce::File() && ! options.red && ! options.green && ! options.blue && ! options.x2)
    {
        options.red = 0.6f;
        options.green = 0.5f;
        options.blue = 0.7f;
    }

    OutputFile input (options.input);
    return writeWholeWav (input, makeDemoPhrase (demoSampleRate, demoSeconds), demoSampleRate);
}

juce::Result RenderJob::run()
{
    ParameterValues values;
    juce::MemoryBlock stateBlock;

    if (auto result = resolveSetting (options, values, stateBlock); result.failed())
        return result;

    juce::AudioFormatManager formats;
    formats.registerFormat (new juce::WavAudioFormat(), true);
    formats.registerFormat (new juce::AiffAudioFormat(), false);
    formats.registerFormat (new juce::FlacAudioFormat(), false);

    std::unique_ptr<juce::AudioFormatReader> reader;

    if (auto result = openInput (options.input, formats, reader); result.failed())
        return result;

    sampleRate = reader->sampleRate;
    numChannels = (int) reader->numChannels;
    numSamples = reader->lengthInSamples;

    // Every output is claimed before the work starts, so an unwritable path fails at once.
    OutputFile audioFile (options.output);
    std::unique_ptr<OutputFile> metersFile, pictureFile, stateFile;

    if (auto result = audioFile.open(); result.failed())
        return result;

    for (auto [target, file] : { std::pair (options.metersFile, &metersFile), std::pair (options.pictureFile, &pictureFile), std::pair (options.saveStateFile, &stateFile) })
    {
        if (target == juce::File())
            continue;

        *file = std::make_unique<OutputFile> (target);

        if (auto result = (*file)->open(); result.failed())
            return result;
    }

    auto writer = createWavWriter (audioFile, sampleRate, numChannels, options.bitsPerSample);

    if (writer == nullptr)
        return juce::Result::fail ("cannot write " + options.output.getFullPathName() + " as a " + juce::String (options.bitsPerSample) + "-bit WAV file at " + juce::String (sampleRate) + " Hz");

    juce::String sourceError;
    auto source = createSource (sourceError);

    if (source == nullptr)
        return juce::Result::fail (sourceError);

    sourceDescription = source->getDescription();

    if (auto result = source->setParameters (values); result.failed())
        return result;

    if (auto result = source->prepare (sampleRate, options.blockSize, numChannels); result.failed())
        return result;

    latency = source->getLatency();
    const int compensation = options.compensateLatency ? latency : 0;

    // The meters and the window belong to the compiled-in processor. A hosted binary's insides
    // are out of reach, so then the built-in processor runs alongside on the same audio.
    const bool watching = metersFile != nullptr || pictureFile != nullptr;
    std::unique_ptr<PluginSource> observer;
    PluginSource* watched = source->getBuiltInProcessor() != nullptr ? source.get() : nullptr;

    if (watching && watched == nullptr)
    {
        observer = PluginSource::createBuiltIn();
        observer->setParameters (values);

        if (auto result = observer->prepare (sampleRate, options.blockSize, numChannels); result.failed())
            return result;

        watched = observer.get();
    }

    std::unique_ptr<MeterRecorder> recorder;
    std::unique_ptr<EditorPicture> picture;

    if (metersFile != nullptr)
        recorder = std::make_unique<MeterRecorder> (watched->getBuiltInProcessor()->engine, watched->getLatency());

    if (pictureFile != nullptr)
        picture = std::make_unique<EditorPicture> (*watched->getBuiltInProcessor());

    // The input runs on by the latency in silence, and the output drops as many samples at its
    // start: what remains lines up with the input and has its length.
    const juce::int64 totalToProcess = numSamples + compensation;
    juce::AudioBuffer<float> block (numChannels, options.blockSize);
    juce::AudioBuffer<float> observerBlock (observer != nullptr ? numChannels : 0, observer != nullptr ? options.blockSize : 0);
    ProgressBar progress (ProgressBar::isWanted (options.quiet, (double) numSamples / sampleRate));

    for (juce::int64 position = 0; position < totalToProcess;)
    {
        const int length = (int) juce::jmin ((juce::int64) options.blockSize, totalToProcess - position);
        const int fromFile = (int) juce::jlimit ((juce::int64) 0, (juce::int64) length, numSamples - position);
        block.setSize (numChannels, length, false, false, true);
        block.clear();

        if (fromFile > 0 && ! reader->read (&block, 0, fromFile, position, true, true))
            return juce::Result::fail ("cannot read " + options.input.getFullPathName() + " at sample " + juce::String (position));

        if (observer != nullptr)
        {
            observerBlock.makeCopyOf (block, true);
            processWatched (*observer, observerBlock, recorder.get(), picture.get());
            source->process (block);
        }
        else
        {
            processWatched (*source, block, recorder.get(), picture.get());
        }

        // The part of this block that falls after the dropped start.
        const auto skip = (int) juce::jlimit ((juce::int64) 0, (juce::int64) length, compensation - position);

        // A sound processor never gets here; a damaged binary or a fault of ours might, and a
        // file full of infinities must not pass for a render.
        if (const auto bad = findNonFiniteSample (block, skip); bad >= 0)
            return juce::Result::fail ("the render went wrong: " + sourceDescription + " produced a sample that is not a number at " + juce::String ((double) (position + bad - compensation) / sampleRate, 3) + " s; nothing was written");

        if (skip < length && ! writer->writeFromAudioSampleBuffer (block, skip, length - skip))
            return juce::Result::fail ("cannot write " + options.output.getFullPathName() + ": the disk refused the data");

        position += length;
        progress.update ((double) position / (double) juce::jmax ((juce::int64) 1, totalToProcess));
    }

    progress.finish();

    // Closing the writer completes the file's header.
    writer.reset();

    if (recorder != nullptr)
    {
        const auto csv = recorder->toCsv();

        if (auto result = metersFile->write (csv.toRawUTF8(), csv.getNumBytesAsUTF8()); result.failed())
            return result;
    }

    if (picture != nullptr)
    {
        const auto png = EditorPicture::toPng (picture->draw());

        if (auto result = pictureFile->write (png.getData(), png.getSize()); result.failed())
            return result;
    }

    if (stateFile != nullptr)
        if (auto result = stateFile->write (stateBlock.getData(), stateBlock.getSize()); result.failed())
            return result;

    for (auto* file : { metersFile.get(), pictureFile.get(), stateFile.get(), &audioFile })
        if (file != nullptr)
            if (auto result = file->commit(); result.failed())
                return result;

    return juce::Result::ok();
}
