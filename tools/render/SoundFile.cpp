#include "SoundFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace SoundFile
{
    namespace
    {
        // What the renderer writes.
        const OutputFormat outputFormats[] = {
            { "wav", "WAV", SF_FORMAT_WAV, SF_FORMAT_FLOAT, true, true, 32, "" },
            { "aiff", "AIFF", SF_FORMAT_AIFF, SF_FORMAT_FLOAT, true, true, 32, "" },
            { "aif", "AIFF", SF_FORMAT_AIFF, SF_FORMAT_FLOAT, true, true, 32, "" },
            { "flac", "FLAC", SF_FORMAT_FLAC, 0, true, true, 24, "" },
            { "ogg", "Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0, false, false, 0, "" },
            { "opus", "Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 0, false, false, 0, "8, 12, 16, 24 or 48 kHz" },
            { "mp3", "MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 0, false, false, 0, "8, 11.025, 12, 16, 22.05, 24, 32, 44.1 or 48 kHz" },
        };

        /** Whether this system's libsndfile can write the format at all: MP3 and Opus depend on
            how it was built. */
        bool isWritable (const OutputFormat& format)
        {
            const int subtype = format.defaultBits == 0 ? 0 : (format.defaultBits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16);
            SF_INFO info {};
            info.samplerate = 48000;
            info.channels = 2;
            info.format = format.majorFormat | subtype;
            return sf_format_check (&info) != 0;
        }

        int subtypeFor (const OutputFormat& format, int bits)
        {
            switch (bits)
            {
                case 16:
                    return SF_FORMAT_PCM_16;
                case 24:
                    return SF_FORMAT_PCM_24;
                case 32:
                    return format.floatSubtype;
                default:
                    return 0;
            }
        }

        /** libsndfile's log says "(should be N)" beside a chunk whose length the header
            overstates: the file was cut short after its header was written. */
        bool endsBeforeItsHeaderSays (SNDFILE* file)
        {
            char log[8192] = {};
            sf_command (file, SFC_GET_LOG_INFO, log, (int) sizeof (log));

            for (const auto& line : juce::StringArray::fromLines (log))
            {
                const auto chunk = line.trimStart().upToFirstOccurrenceOf (" ", false, false);

                if ((chunk == "data" || chunk == "SSND") && line.contains ("(should be"))
                    return true;
            }

            return false;
        }
    } // namespace

    const OutputFormat* formatForExtension (juce::String extension)
    {
        extension = extension.trimCharactersAtStart (".").toLowerCase();

        for (const auto& format : outputFormats)
            if (extension == format.extension && isWritable (format))
                return &format;

        return nullptr;
    }

    const OutputFormat* formatFor (const juce::File& output)
    {
        const auto extension = output.getFileExtension();
        return extension.isEmpty() ? nullptr : formatForExtension (extension);
    }

    juce::String knownExtensions()
    {
        juce::StringArray known;

        for (const auto& format : outputFormats)
            if (isWritable (format))
                known.add (juce::String (".") + format.extension);

        return known.joinIntoString (", ");
    }

    bool storesRate (const OutputFormat& format, double sampleRate)
    {
        const auto among = [sampleRate] (std::initializer_list<double> rates) {
            return std::find (rates.begin(), rates.end(), sampleRate) != rates.end();
        };

        if (format.majorFormat == (SF_FORMAT_OGG | SF_FORMAT_OPUS))
            return among ({ 8000.0, 12000.0, 16000.0, 24000.0, 48000.0 });

        if (format.majorFormat == (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III))
            return among ({ 8000.0, 11025.0, 12000.0, 16000.0, 22050.0, 24000.0, 32000.0, 44100.0, 48000.0 });

        // FLAC's header has room for rates up to 655,350 Hz.
        if (format.majorFormat == SF_FORMAT_FLAC)
            return sampleRate <= 655350.0;

        return true;
    }

    juce::Result chooseBits (const OutputFormat& format, int requestedBits, int& bits)
    {
        if (format.defaultBits == 0)
        {
            if (requestedBits != 0)
                return juce::Result::fail ("--bits does not apply to " + juce::String (format.name) + ", which stores compressed audio");

            bits = 0;
            return juce::Result::ok();
        }

        bits = requestedBits != 0 ? requestedBits : format.defaultBits;
        const bool stored = (bits == 16 && format.takes16) || (bits == 24 && format.takes24) || (bits == 32 && format.floatSubtype != 0);

        if (! stored)
            return juce::Result::fail (juce::String (format.name) + " stores " + (format.floatSubtype != 0 ? "16 or 24-bit integers or 32-bit floats" : "16 or 24-bit samples") + ", not " + juce::String (bits) + "-bit ones");

        return juce::Result::ok();
    }

    //==============================================================================
    struct Reader::Handle
    {
        SNDFILE* file = nullptr;
        ~Handle()
        {
            if (file != nullptr)
                sf_close (file);
        }
    };

    Reader::Reader() = default;
    Reader::~Reader() = default;

    juce::Result Reader::open (const juce::File& file)
    {
        const auto path = file.getFullPathName();
        SF_INFO info {};
        auto opened = std::make_unique<Handle>();
        opened->file = sf_open (path.toRawUTF8(), SFM_READ, &info);

        if (opened->file == nullptr)
            return juce::Result::fail (path + " is not an audio file that can be read, or it is damaged (" + juce::String (sf_strerror (nullptr)).toLowerCase().trimCharactersAtEnd (".") + ")");

        if (info.channels <= 0 || info.samplerate <= 0 || info.frames < 0)
            return juce::Result::fail (path + " is damaged: its header describes no usable audio");

        if (info.channels > 2)
            return juce::Result::fail (path + " has " + juce::String (info.channels) + " channels; only mono and stereo files can be rendered");

        if (endsBeforeItsHeaderSays (opened->file))
            return juce::Result::fail (path + " is damaged: it ends before the audio its header announces");

        // Integer files are read at their full scale: a 16-bit sample of -32768 reads as -1.
        sf_command (opened->file, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);

        handle = std::move (opened);
        sampleRate = (double) info.samplerate;
        numChannels = info.channels;
        numFrames = (std::int64_t) info.frames;
        return juce::Result::ok();
    }

    bool Reader::read (juce::AudioBuffer<float>& destination, int start, int numToRead)
    {
        if (handle == nullptr || numToRead <= 0)
            return numToRead == 0;

        interleaved.assign ((std::size_t) (numToRead * numChannels), 0.0f);
        const auto got = sf_readf_float (handle->file, interleaved.data(), numToRead);

        // A compressed stream may end a few frames short of the length its header estimated;
        // those frames stay silent. A failing read is an error.
        if (got < 0 || sf_error (handle->file) != SF_ERR_NO_ERROR)
            return false;

        for (int channel = 0; channel < numChannels; ++channel)
        {
            auto* out = destination.getWritePointer (channel, start);

            for (int i = 0; i < numToRead; ++i)
                out[i] = interleaved[(std::size_t) (i * numChannels + channel)];
        }

        return true;
    }

    //==============================================================================
    struct Writer::Handle
    {
        SNDFILE* file = nullptr;
        int numChannels = 0;
        int shift = 0; // from the file's bits to libsndfile's 32-bit integers
        std::vector<int> scaled;

        ~Handle()
        {
            if (file != nullptr)
                sf_close (file);
        }
    };

    Writer::Writer() = default;
    Writer::~Writer() = default;

    juce::Result Writer::open (const juce::File& file, const OutputFormat& format, double sampleRate, int numChannels, int bits, std::int64_t expectedFrames)
    {
        path = file;
        SF_INFO info {};
        info.samplerate = (int) sampleRate;
        info.channels = numChannels;
        info.format = format.majorFormat | subtypeFor (format, bits);

        // Plain WAV counts its bytes in 32 bits: audio that would outgrow 4 GB goes out as RF64,
        // WAV's 64-bit form, which the same readers know.
        const auto expectedBytes = (double) expectedFrames * numChannels * (bits == 0 ? 4 : bits / 8);

        if (format.majorFormat == SF_FORMAT_WAV && expectedBytes > 4.0e9)
            info.format = SF_FORMAT_RF64 | subtypeFor (format, bits);

        if (! sf_format_check (&info))
            return juce::Result::fail (juce::String (format.name) + " cannot store " + juce::String (numChannels) + "-channel audio at " + juce::String (sampleRate) + " Hz");

        auto opened = std::make_unique<Handle>();
        opened->file = sf_open (file.getFullPathName().toRawUTF8(), SFM_WRITE, &info);

        if (opened->file == nullptr)
            return juce::Result::fail (juce::String (sf_strerror (nullptr)).toLowerCase());

        // Floats are written as they are, never limited: 32-bit float output keeps every
        // sample above full scale for whoever reads it next.
        sf_command (opened->file, SFC_SET_CLIPPING, nullptr, SF_FALSE);

        if (bits == 16 || bits == 24)
            opened->shift = 32 - bits;

        opened->numChannels = numChannels;

        handle = std::move (opened);
        return juce::Result::ok();
    }

    bool Writer::writeIntegers (const int* interleavedSamples, int numFrames)
    {
        if (handle == nullptr)
            return false;

        const auto count = (std::size_t) numFrames * (std::size_t) handle->numChannels;
        handle->scaled.resize (count);

        // libsndfile takes whole numbers left-justified in 32 bits.
        for (std::size_t i = 0; i < count; ++i)
            handle->scaled[i] = (int) ((unsigned int) interleavedSamples[i] << handle->shift);

        return sf_writef_int (handle->file, handle->scaled.data(), numFrames) == numFrames;
    }

    bool Writer::writeFloats (const float* interleavedSamples, int numFrames)
    {
        return handle != nullptr && sf_writef_float (handle->file, interleavedSamples, numFrames) == numFrames;
    }

    juce::Result Writer::close()
    {
        if (handle == nullptr)
            return juce::Result::ok();

        const auto status = sf_error (handle->file);
        const auto closed = sf_close (handle->file);
        handle->file = nullptr;
        handle.reset();

        if (status != SF_ERR_NO_ERROR || closed != 0)
            return juce::Result::fail ("cannot finish " + path.getFullPathName() + ": " + juce::String (sf_error_number (status != 0 ? status : closed)).toLowerCase());

        return juce::Result::ok();
    }
} // namespace SoundFile
