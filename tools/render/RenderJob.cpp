#include "RenderJob.h"

#include "DemoPhrase.h"
#include "EditorPicture.h"
#include "Interruption.h"
#include "MeterRecorder.h"
#include "OutputFile.h"
#include "ProgressBar.h"
#include "Quantiser.h"
#include "SoundFile.h"
#include "plugin/ParameterIds.h"
#include "plugin/StateBlock.h"
#include "plugin/ZarivirAudioProcessor.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace
{
    /** Interleaves one block, skipping its first `start` frames. */
    void interleave (const juce::AudioBuffer<float>& block, int start, std::vector<float>& interleaved)
    {
        const int channels = block.getNumChannels();
        const int frames = block.getNumSamples() - start;
        interleaved.resize ((std::size_t) (frames * channels));

        for (int channel = 0; channel < channels; ++channel)
        {
            const auto* samples = block.getReadPointer (channel, start);

            for (int i = 0; i < frames; ++i)
                interleaved[(std::size_t) (i * channels + channel)] = samples[i];
        }
    }

    /** An audio file written block by block: quantised and dithered for integer formats,
        inspected for samples a decoder would clip for compressed ones, as it is for float. */
    class AudioOutput
    {
    public:
        AudioOutput (const SoundFile::OutputFormat& formatToWrite, int bitsToWrite, bool dither)
            : format (formatToWrite)
            , bits (bitsToWrite)
            , quantiser (bitsToWrite == 32 ? 0 : bitsToWrite, dither)
        {
        }

        juce::Result open (OutputFile& file, double sampleRate, int numChannels, std::int64_t expectedFrames)
        {
            if (auto result = file.open(); result.failed())
                return result;

            file.closeStream();

            if (auto result = writer.open (file.getTemporaryFile(), format, sampleRate, numChannels, bits, expectedFrames); result.failed())
                return juce::Result::fail ("cannot write " + file.getTarget().getFullPathName() + ": " + result.getErrorMessage());

            return juce::Result::ok();
        }

        bool write (const juce::AudioBuffer<float>& block, int start)
        {
            const int frames = block.getNumSamples() - start;

            if (frames <= 0)
                return true;

            interleave (block, start, interleaved);

            if (bits == 16 || bits == 24)
            {
                wholeNumbers.resize (interleaved.size());
                quantiser.quantise (interleaved.data(), wholeNumbers.data(), interleaved.size());
                return writer.writeIntegers (wholeNumbers.data(), frames);
            }

            if (bits == 0)
                quantiser.inspect (interleaved.data(), interleaved.size());

            return writer.writeFloats (interleaved.data(), frames);
        }

        juce::Result close() { return writer.close(); }

        /** A line saying how many samples had to be limited, and by how much; empty when none. */
        juce::String describeClipping (const juce::File& target) const
        {
            const auto clipped = quantiser.getClippedSamples();

            if (clipped == 0)
                return {};

            const auto share = 100.0 * (double) clipped / (double) juce::jmax ((std::int64_t) 1, quantiser.getSamplesSeen());
            const auto over = juce::Decibels::gainToDecibels (quantiser.getPeak());
            return juce::String (clipped) + " sample" + (clipped == 1 ? "" : "s") + " (" + juce::String (share, share < 0.01 ? 4 : 2) + " %) " + (bits == 0 ? "exceed full scale and will clip when decoded" : "clipped") + " in " + target.getFileName() + ", by up to " + juce::String (over, 2) + " dB; lower the level" + (format.floatSubtype != 0 ? juce::String (" or write 32-bit float (--bits 32)") : juce::String());
        }

    private:
        const SoundFile::OutputFormat& format;
        int bits;
        Quantiser quantiser;
        SoundFile::Writer writer;
        std::vector<float> interleaved;
        std::vector<int> wholeNumbers;
    };

    /** Whether two paths name the same file, through links too. */
    bool isSameFile (const juce::File& a, const juce::File& b)
    {
        std::error_code error;
        return std::filesystem::equivalent (a.getFullPathName().toStdString(), b.getFullPathName().toStdString(), error);
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

    /** Sets every automated parameter, and the bypass, to the value its lane has at `seconds`,
        as a host does before the block that starts then. */
    juce::Result automate (PluginSource& target, const std::vector<AutomationLane>& lanes, double seconds)
    {
        for (const auto& lane : lanes)
        {
            const auto value = lane.valueAt (seconds);

            if (lane.isBypass())
                target.setBypassed (AutomationLane::isOn (value));
            else if (auto result = target.setParameter (lane.getParameter().toRawUTF8(), value); result.failed())
                return result;
        }

        return juce::Result::ok();
    }

    /** Refuses an input that is missing, a folder or unreadable, before the reader tries it. */
    juce::Result checkInput (const juce::File& input)
    {
        const auto path = input.getFullPathName();

        if (! input.exists())
            return juce::Result::fail ("cannot find the input " + path);

        if (input.isDirectory())
            return juce::Result::fail ("the input " + path + " is a folder, not an audio file");

        if (! input.hasReadAccess() || juce::FileInputStream (input).failedToOpen())
            return juce::Result::fail ("cannot read the input " + path + ": permission denied");

        return juce::Result::ok();
    }

    /** The files a render writes besides the audio: the meters, the picture and the saved
        state, each only when asked for. They are claimed before the work starts, so that an
        unwritable path fails at once, and appear under their names only at the very end. */
    struct SideFiles
    {
        std::unique_ptr<OutputFile> meters, picture, state;

        juce::Result open (const RenderOptions& options)
        {
            pictureScale = options.pictureScale.value_or (1.0f);

            for (auto [target, file] : { std::pair (options.metersFile, &meters), std::pair (options.pictureFile, &picture), std::pair (options.saveStateFile, &state) })
            {
                if (target == juce::File())
                    continue;

                *file = std::make_unique<OutputFile> (target, options.overwrite);

                if (auto result = (*file)->open(); result.failed())
                    return result;
            }

            return juce::Result::ok();
        }

        /** Whether the meters or the window are wanted, which means watching a processor. */
        bool needWatching() const noexcept { return meters != nullptr || picture != nullptr; }

        /** The display scale the picture is drawn at. */
        float pictureScale = 1.0f;
    };

    /** The processor whose meters and window a render records: the one it renders through
        when that is the built-in processor; otherwise, since a hosted binary's insides are out
        of reach, a built-in processor run alongside on the same audio (the observer). */
    struct Watchers
    {
        std::unique_ptr<PluginSource> observer;
        std::unique_ptr<MeterRecorder> recorder;
        std::unique_ptr<EditorPicture> picture;

        juce::Result watch (PluginSource& source, const SideFiles& files, const ParameterValues& values, double sampleRate, int blockSize, int numChannels)
        {
            if (! files.needWatching())
                return juce::Result::ok();

            PluginSource* watched = source.getBuiltInProcessor() != nullptr ? &source : nullptr;

            if (watched == nullptr)
            {
                observer = PluginSource::createBuiltIn();
                observer->setParameters (values);

                if (auto result = observer->prepare (sampleRate, blockSize, numChannels); result.failed())
                    return result;

                watched = observer.get();
            }

            if (files.meters != nullptr)
                recorder = std::make_unique<MeterRecorder> (watched->getBuiltInProcessor()->getEngine(), watched->getLatency());

            if (files.picture != nullptr)
                picture = std::make_unique<EditorPicture> (*watched->getBuiltInProcessor());

            return juce::Result::ok();
        }

        /** Once the audio is done: the meters' table, and the window as the file's end left it. */
        juce::Result writeInto (SideFiles& files)
        {
            if (recorder != nullptr)
            {
                const auto csv = recorder->toCsv();

                if (auto result = files.meters->write (csv.toRawUTF8(), csv.getNumBytesAsUTF8()); result.failed())
                    return result;
            }

            if (picture != nullptr)
            {
                // One more tick for the audio since the last: the picture shows the file's very end.
                picture->tick();
                const auto png = EditorPicture::toPng (picture->draw (files.pictureScale));

                if (auto result = files.picture->write (png.getData(), png.getSize()); result.failed())
                    return result;
            }

            return juce::Result::ok();
        }
    };
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

juce::Result RenderJob::resolveSetting (const RenderOptions& options, ParameterValues& values, juce::MemoryBlock& stateBlock, double seconds)
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

    const std::pair<const char*, std::optional<float>> given[] = { { ParameterIds::red, options.red }, { ParameterIds::green, options.green }, { ParameterIds::blue, options.blue }, { ParameterIds::x2, options.x2 } };

    for (const auto& [id, value] : given)
        if (value.has_value())
            settings.getValueTreeState().getParameter (id)->setValueNotifyingHost (*value);

    for (const auto& lane : options.automation)
        if (! lane.isBypass())
            settings.getValueTreeState().getParameter (lane.getParameter())->setValueNotifyingHost (lane.valueAt (seconds));

    const auto read = [&settings] (const char* id) { return settings.getValueTreeState().getParameter (id)->getValue(); };
    values = { read (ParameterIds::red), read (ParameterIds::green), read (ParameterIds::blue), read (ParameterIds::x2) };
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

    // An automated knob is a setting given too; the bypass is not.
    const bool knobAutomated = std::any_of (options.automation.begin(), options.automation.end(), [] (const auto& lane) { return ! lane.isBypass(); });

    if (options.stateFile == juce::File() && ! options.red && ! options.green && ! options.blue && ! options.x2 && ! knobAutomated)
    {
        options.red = DemoPhrase::red;
        options.green = DemoPhrase::green;
        options.blue = DemoPhrase::blue;
    }

    // The demo folder is the renderer's own: a new demo replaces the last one's files.
    options.overwrite = true;

    const auto phrase = makeDemoPhrase (DemoPhrase::sampleRate, DemoPhrase::seconds);
    OutputFile input (options.input, true);
    AudioOutput output (*SoundFile::formatForExtension ("wav"), 32, false);

    if (auto result = output.open (input, DemoPhrase::sampleRate, phrase.getNumChannels(), phrase.getNumSamples()); result.failed())
        return result;

    if (! output.write (phrase, 0))
        return juce::Result::fail ("cannot write " + options.input.getFullPathName() + ": the disk refused the data");

    if (auto result = output.close(); result.failed())
        return result;

    return input.commit();
}

juce::Result RenderJob::checkOutputs (const RenderOptions& options)
{
    juce::Array<juce::File> outputs { options.output };

    for (const auto& extra : { options.metersFile, options.pictureFile, options.saveStateFile })
        if (extra != juce::File())
            outputs.add (extra);

    for (int i = 0; i < outputs.size(); ++i)
    {
        const auto& output = outputs.getReference (i);

        // Through a link, a hard link or another spelling, the input must never be written over.
        for (const auto& source : { options.input, options.stateFile })
            if (source != juce::File() && (output == source || isSameFile (output, source)))
                return juce::Result::fail (output.getFullPathName() + " is " + (source == options.input ? "the input" : "the state file") + "; write the result to another file");

        for (int j = 0; j < i; ++j)
            if (output == outputs.getReference (j) || isSameFile (output, outputs.getReference (j)))
                return juce::Result::fail (output.getFullPathName() + " is named for two outputs");
    }

    return juce::Result::ok();
}

/** What one run carries from phase to phase. The members go in the reverse of their order
    here: the writer closes before its temporary file is deleted, and the processor and its
    watchers go before the files they write into. */
struct RenderJob::Run
{
    ParameterValues values;
    juce::MemoryBlock stateBlock;
    const SoundFile::OutputFormat* format = nullptr;
    int bits = 0;
    SoundFile::Reader reader;
    std::optional<OutputFile> audioFile;
    std::optional<AudioOutput> output;
    SideFiles sideFiles;
    std::unique_ptr<PluginSource> source;
    Watchers watchers;

    // The samples dropped at the output's start to undo the latency.
    int compensation = 0;

    // Where in the output the last block started: the automation's time for the saved state.
    double lastBlockSeconds = 0.0;
};

juce::Result RenderJob::run (const Progress& reportProgress)
{
    Run pass;

    if (auto result = checkRequest (pass); result.failed())
        return result;

    if (auto result = openInput (pass); result.failed())
        return result;

    if (auto result = claimOutputs (pass); result.failed())
        return result;

    if (auto result = startSource (pass); result.failed())
        return result;

    if (auto result = startWatching (pass); result.failed())
        return result;

    if (auto result = processInput (pass, reportProgress); result.failed())
        return result;

    return commitOutputs (pass);
}

juce::Result RenderJob::checkRequest (Run& pass)
{
    if (auto result = resolveSetting (options, pass.values, pass.stateBlock); result.failed())
        return result;

    if (auto result = checkOutputs (options); result.failed())
        return result;

    pass.format = SoundFile::formatFor (options.output);

    if (pass.format == nullptr)
        return juce::Result::fail ("cannot tell the format to write from the name " + options.output.getFileName() + ": end it in " + SoundFile::knownExtensions());

    return SoundFile::chooseBits (*pass.format, options.bitsPerSample, pass.bits);
}

juce::Result RenderJob::openInput (Run& pass)
{
    if (auto result = checkInput (options.input); result.failed())
        return result;

    if (auto result = pass.reader.open (options.input); result.failed())
        return result;

    sampleRate = pass.reader.getSampleRate();
    numChannels = pass.reader.getNumChannels();
    numSamples = pass.reader.getNumFrames();

    if (! SoundFile::storesRate (*pass.format, sampleRate))
        return juce::Result::fail (juce::String (pass.format->name) + " stores " + pass.format->rates + " audio, not " + juce::String (sampleRate) + " Hz; choose another format for " + options.output.getFileName());

    return juce::Result::ok();
}

juce::Result RenderJob::claimOutputs (Run& pass)
{
    // Every output is claimed before the work starts, so an unwritable path fails at once.
    pass.audioFile.emplace (options.output, options.overwrite);
    pass.output.emplace (*pass.format, pass.bits, options.dither);

    if (auto result = pass.output->open (*pass.audioFile, sampleRate, numChannels, numSamples); result.failed())
        return result;

    return pass.sideFiles.open (options);
}

juce::Result RenderJob::startSource (Run& pass)
{
    juce::String sourceError;
    pass.source = createSource (sourceError);

    if (pass.source == nullptr)
        return juce::Result::fail (sourceError);

    sourceDescription = pass.source->getDescription();

    if (auto result = pass.source->setParameters (pass.values); result.failed())
        return result;

    // The setting before the first block is the automation's at time 0, bypass included: what
    // the processor holds when it starts, it applies at once, where a change after the first
    // block would glide in. It is set before prepare(), in which a hosted binary already
    // processes a block of silence.
    if (auto result = automate (*pass.source, options.automation, 0.0); result.failed())
        return result;

    if (auto result = pass.source->prepare (sampleRate, options.blockSize, numChannels); result.failed())
        return result;

    latency = pass.source->getLatency();
    pass.compensation = options.compensateLatency ? latency : 0;
    return juce::Result::ok();
}

juce::Result RenderJob::startWatching (Run& pass)
{
    return pass.watchers.watch (*pass.source, pass.sideFiles, pass.values, sampleRate, options.blockSize, numChannels);
}

juce::Result RenderJob::processInput (Run& pass, const Progress& reportProgress)
{
    // The input runs on by the latency in silence, and the output drops as many samples at its
    // start: what remains lines up with the input and has its length.
    const juce::int64 totalToProcess = numSamples + pass.compensation;
    const bool observed = pass.watchers.observer != nullptr;
    juce::AudioBuffer<float> block (numChannels, options.blockSize);
    juce::AudioBuffer<float> observerBlock (observed ? numChannels : 0, observed ? options.blockSize : 0);
    ProgressBar bar (! reportProgress && ProgressBar::isWanted (options.quiet, (double) numSamples / sampleRate));

    for (juce::int64 position = 0; position < totalToProcess;)
    {
        if (auto result = Interruption::check(); result.failed())
            return result;

        if (auto result = automateBlock (pass, position); result.failed())
            return result;

        const int length = (int) juce::jmin ((juce::int64) options.blockSize, totalToProcess - position);

        if (auto result = readBlock (pass, position, length, block); result.failed())
            return result;

        processBlock (pass, block, observerBlock);

        if (auto result = writeBlock (pass, position, block); result.failed())
            return result;

        position += length;
        const auto fraction = (double) position / (double) juce::jmax ((juce::int64) 1, totalToProcess);

        if (reportProgress)
            reportProgress (fraction);
        else
            bar.update (fraction);
    }

    bar.finish();
    return juce::Result::ok();
}

juce::Result RenderJob::automateBlock (Run& pass, juce::int64 position)
{
    if (options.automation.empty())
        return juce::Result::ok();

    // Automation times are times in the output. With the latency compensated, a block's start
    // lands that much earlier in the output than in the processor's input, so a change set
    // for 2 s is heard at 2 s, as a host compensating the delay plays it.
    pass.lastBlockSeconds = (double) (position - pass.compensation) / sampleRate;

    for (auto* target : { pass.source.get(), pass.watchers.observer.get() })
        if (target != nullptr)
            if (auto result = automate (*target, options.automation, pass.lastBlockSeconds); result.failed())
                return result;

    return juce::Result::ok();
}

juce::Result RenderJob::readBlock (Run& pass, juce::int64 position, int length, juce::AudioBuffer<float>& block)
{
    // Past the file's end the block is silence, for the latency to run out.
    const int fromFile = (int) juce::jlimit ((juce::int64) 0, (juce::int64) length, numSamples - position);
    block.setSize (numChannels, length, false, false, true);
    block.clear();

    if (fromFile > 0 && ! pass.reader.read (block, 0, fromFile))
        return juce::Result::fail ("cannot read " + options.input.getFullPathName() + " at sample " + juce::String (position));

    return juce::Result::ok();
}

void RenderJob::processBlock (Run& pass, juce::AudioBuffer<float>& block, juce::AudioBuffer<float>& observerBlock)
{
    auto* const recorder = pass.watchers.recorder.get();
    auto* const picture = pass.watchers.picture.get();

    if (auto* const observer = pass.watchers.observer.get())
    {
        observerBlock.makeCopyOf (block, true);
        processWatched (*observer, observerBlock, recorder, picture);
        pass.source->process (block);
    }
    else
    {
        processWatched (*pass.source, block, recorder, picture);
    }
}

juce::Result RenderJob::writeBlock (Run& pass, juce::int64 position, const juce::AudioBuffer<float>& block)
{
    const int length = block.getNumSamples();

    // How many of this block's samples still fall in the dropped start.
    const auto skip = (int) juce::jlimit ((juce::int64) 0, (juce::int64) length, pass.compensation - position);

    // A sound processor never gets here; a damaged binary or a fault of ours might, and a
    // file full of infinities must not pass for a render.
    if (const auto bad = findNonFiniteSample (block, skip); bad >= 0)
        return juce::Result::fail ("the render went wrong: " + sourceDescription + " produced a sample that is not a number at " + juce::String ((double) (position + bad - pass.compensation) / sampleRate, 3) + " s; nothing was written");

    if (skip < length && ! pass.output->write (block, skip))
        return juce::Result::fail ("cannot write " + options.output.getFullPathName() + ": the disk refused the data");

    return juce::Result::ok();
}

juce::Result RenderJob::commitOutputs (Run& pass)
{
    // Closing the writer completes the file: its header, a compressed stream's last packets.
    if (auto result = pass.output->close(); result.failed())
        return result;

    if (auto result = pass.watchers.writeInto (pass.sideFiles); result.failed())
        return result;

    if (auto result = writeState (pass); result.failed())
        return result;

    // The last chance to stop before anything appears under its real name.
    if (auto result = Interruption::check(); result.failed())
        return result;

    for (auto* file : { pass.sideFiles.meters.get(), pass.sideFiles.picture.get(), pass.sideFiles.state.get(), &*pass.audioFile })
        if (file != nullptr)
            if (auto result = file->commit(); result.failed())
                return result;

    clippingReport = pass.output->describeClipping (options.output);
    return juce::Result::ok();
}

juce::Result RenderJob::writeState (Run& pass)
{
    if (pass.sideFiles.state == nullptr)
        return juce::Result::ok();

    // Saved as a host would save it after playing the file: automated knobs where the last
    // block left them.
    if (! options.automation.empty())
    {
        ParameterValues atTheEnd;

        if (auto result = resolveSetting (options, atTheEnd, pass.stateBlock, pass.lastBlockSeconds); result.failed())
            return result;
    }

    return pass.sideFiles.state->write (pass.stateBlock.getData(), pass.stateBlock.getSize());
}
