#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>
#include <vector>

/** Audio files as the renderer reads and writes them, through libsndfile: every format and
    encoding it knows on the way in, recognised by what the file holds, whatever its name; on
    the way out the format the output's extension names.

    The plug-ins themselves never touch files; this is the command line's business only.
*/
namespace SoundFile
{
    /** A format the renderer writes, named by the output's extension. */
    struct OutputFormat
    {
        const char* extension; // lower case, without the dot
        const char* name;      // for messages
        int majorFormat;       // libsndfile's SF_FORMAT_* container
        int floatSubtype;      // libsndfile's subtype for 32-bit float output, or 0 if none
        bool takes16, takes24; // integer sample formats the container stores
        int defaultBits;       // 16, 24, 32 (float) or 0 for a compressed format
        const char* rates;     // the sample rates it stores, for messages; empty for any
    };

    /** The format the extension of this file names, or null. */
    const OutputFormat* formatFor (const juce::File& output);

    /** The format for an extension given on its own ("flac" or ".flac"), or null. */
    const OutputFormat* formatForExtension (juce::String extension);

    /** ".wav, .aiff, .aif, ..." as far as this system's libsndfile writes them. */
    juce::String knownExtensions();

    /** Whether the format stores audio at this rate (Opus and MP3 know only a few). */
    bool storesRate (const OutputFormat& format, double sampleRate);

    /** The sample format to write: 16, 24 or 32 (float) bits for uncompressed formats, 0 for a
        compressed one; fails with a one-line reason when the format cannot store what --bits
        asked for. */
    juce::Result chooseBits (const OutputFormat& format, int requestedBits, int& bits);

    /** An audio file opened for reading. */
    class Reader
    {
    public:
        Reader();
        ~Reader();

        /** Opens the file and checks that it holds usable audio: a one-line reason if not. */
        juce::Result open (const juce::File& file);

        double getSampleRate() const noexcept { return sampleRate; }
        int getNumChannels() const noexcept { return numChannels; }
        std::int64_t getNumFrames() const noexcept { return numFrames; }

        /** Reads the next frames into the buffer's channels from `start`; false on a read error. */
        bool read (juce::AudioBuffer<float>& destination, int start, int numToRead);

    private:
        struct Handle;
        std::unique_ptr<Handle> handle;
        double sampleRate = 0.0;
        int numChannels = 0;
        std::int64_t numFrames = 0;
        std::vector<float> interleaved;

        JUCE_DECLARE_NON_COPYABLE (Reader)
    };

    /** An audio file being written. Integer formats get their samples quantised by the caller
        (see Quantiser); floats go as they are. */
    class Writer
    {
    public:
        Writer();
        ~Writer();

        /** Opens the file for audio of about `expectedFrames` frames (which picks the container
            when a format has a large-file form). */
        juce::Result open (const juce::File& file, const OutputFormat& format, double sampleRate, int numChannels, int bits, std::int64_t expectedFrames);

        /** Writes frames of whole numbers already scaled to the file's bits, or of floats. */
        bool writeIntegers (const int* interleavedSamples, int numFrames);
        bool writeFloats (const float* interleavedSamples, int numFrames);

        /** Finishes the file: headers, the encoder's last packets. */
        juce::Result close();

    private:
        struct Handle;
        std::unique_ptr<Handle> handle;
        juce::File path;

        JUCE_DECLARE_NON_COPYABLE (Writer)
    };
} // namespace SoundFile
