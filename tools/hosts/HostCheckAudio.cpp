// tavine_host_check_audio: the audio side of the check of Tavine in real Linux hosts.
//
//   tavine_host_check_audio signal OUT.wav --rate HZ --channels 1|2
//   tavine_host_check_audio compare EXPECTED ACTUAL [--tolerance-db DB] [--max-lag FRAMES]
//
// `signal` writes the input every host is given: two seconds of 32-bit float WAV with a lone
// impulse at frame 1000 (where an output that is late or early shows at a glance) and then
// tones at 80 Hz, 1 kHz and 10 kHz (the red stage's band, the middle that only green's gain
// touches, and the blue stage's band, or a fifth of the rate where that is lower) with a click
// every quarter second for the transients, a little different in each channel so that swapped
// or copied channels show too.
//
// `compare` tells whether what a host made of that file is what Tavine itself makes of it.
// Hosts write their results in their own ways (a latency they did or did not compensate, a
// padded start), so a byte comparison says nothing; this compares the samples, and where they do
// not match, finds the offset at which they would. Exit status 0 when ACTUAL lines up with
// EXPECTED at offset 0 and no sample differs by more than the tolerance (default -120 dBFS:
// Tavine's own noise floor lies 20 dB below that), 1 when they differ, 2 when a file cannot be
// read or written or the command line is wrong.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
    struct Sound
    {
        int channels = 0;
        int sampleRate = 0;
        std::vector<float> samples; // interleaved

        long frames() const { return channels > 0 ? (long) samples.size() / channels : 0; }
        float at (long frame, int channel) const { return samples[(size_t) (frame * channels + channel)]; }
    };

    bool read (const char* path, Sound& sound)
    {
        SF_INFO info {};
        SNDFILE* file = sf_open (path, SFM_READ, &info);

        if (file == nullptr)
        {
            std::fprintf (stderr, "tavine_host_check_audio: cannot read %s: %s\n", path, sf_strerror (nullptr));
            return false;
        }

        sound.channels = info.channels;
        sound.sampleRate = info.samplerate;
        sound.samples.resize ((size_t) (info.frames * info.channels));
        const auto got = sf_readf_float (file, sound.samples.data(), info.frames);
        sf_close (file);
        sound.samples.resize ((size_t) (got * info.channels));
        return true;
    }

    // The largest difference with ACTUAL read `lag` frames later than EXPECTED, over the frames
    // both cover. A mono EXPECTED stands for every channel of ACTUAL: hosts run a mono file
    // through both inputs of a stereo plug-in.
    double largestDifference (const Sound& expected, const Sound& actual, long lag)
    {
        const auto first = std::max (0L, -lag);
        const auto end = std::min (expected.frames(), actual.frames() - lag);
        double largest = 0.0;

        for (long frame = first; frame < end; ++frame)
            for (int channel = 0; channel < actual.channels; ++channel)
                largest = std::max (largest, (double) std::abs (expected.at (frame, std::min (channel, expected.channels - 1)) - actual.at (frame + lag, channel)));

        return largest;
    }

    double decibels (double amplitude)
    {
        return amplitude > 0.0 ? 20.0 * std::log10 (amplitude) : -400.0;
    }

    double peak (const Sound& sound)
    {
        double largest = 0.0;

        for (const auto sample : sound.samples)
            largest = std::max (largest, (double) std::abs (sample));

        return largest;
    }

    const char* const usage = "usage: tavine_host_check_audio signal OUT.wav --rate HZ --channels 1|2\n"
                              "       tavine_host_check_audio compare EXPECTED ACTUAL [--tolerance-db DB] [--max-lag FRAMES]\n";

    int writeSignal (int argc, char** argv)
    {
        const char* path = nullptr;
        double rate = 0.0, channels = 0.0;

        for (int i = 2; i < argc; ++i)
        {
            const std::string argument = argv[i];

            if ((argument == "--rate" || argument == "--channels") && i + 1 < argc)
            {
                char* end = nullptr;
                const auto value = std::strtod (argv[++i], &end);
                (argument == "--rate" ? rate : channels) = (end == argv[i] || *end != '\0') ? 0.0 : value;
            }
            else if (path == nullptr && argument.rfind ("--", 0) != 0)
            {
                path = argv[i];
            }
            else
            {
                path = nullptr;
                break;
            }
        }

        if (path == nullptr || ! (rate >= 8000.0 && rate <= 384000.0) || (channels != 1.0 && channels != 2.0))
        {
            std::fputs (usage, stderr);
            return 2;
        }

        const auto frames = (long) (2.0 * rate);
        const auto channelCount = (int) channels;
        const auto twoPi = 2.0 * 3.14159265358979323846;
        std::vector<float> samples ((size_t) (frames * channelCount), 0.0f);

        for (int channel = 0; channel < channelCount; ++channel)
        {
            samples[(size_t) (1000 * channelCount + channel)] = 0.5f;

            for (long frame = (long) (0.25 * rate); frame < frames; ++frame)
            {
                const auto t = (double) frame / rate;
                const auto phase = 0.7 * channel;
                auto value = 0.1 * std::sin (twoPi * 80.0 * t + phase) + 0.05 * std::sin (twoPi * 1000.0 * t + 2.0 * phase) + 0.03 * std::sin (twoPi * std::min (10000.0, 0.2 * rate) * t + 3.0 * phase);

                // A click every quarter second, for the transients.
                if (frame % (long) (0.25 * rate) == 0)
                    value += 0.4;

                samples[(size_t) (frame * channelCount + channel)] = (float) value;
            }
        }

        SF_INFO info {};
        info.samplerate = (int) rate;
        info.channels = channelCount;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open (path, SFM_WRITE, &info);

        if (file == nullptr)
        {
            std::fprintf (stderr, "tavine_host_check_audio: cannot write %s: %s\n", path, sf_strerror (nullptr));
            return 2;
        }

        const auto written = sf_writef_float (file, samples.data(), frames);
        const auto closed = sf_close (file);

        if (written != frames || closed != 0)
        {
            std::fprintf (stderr, "tavine_host_check_audio: cannot write %s\n", path);
            std::remove (path);
            return 2;
        }

        return 0;
    }

    int compare (int argc, char** argv)
    {
        std::vector<std::string> files;
        double toleranceDb = -120.0;
        long maxLag = 4096;

        for (int i = 2; i < argc; ++i)
        {
            const std::string argument = argv[i];

            if ((argument == "--tolerance-db" || argument == "--max-lag") && i + 1 < argc)
            {
                char* end = nullptr;
                const auto value = std::strtod (argv[++i], &end);

                if (end == argv[i] || *end != '\0' || ! std::isfinite (value))
                {
                    std::fprintf (stderr, "tavine_host_check_audio: %s needs a number\n", argument.c_str());
                    return 2;
                }

                if (argument == "--tolerance-db")
                    toleranceDb = value;
                else
                    maxLag = std::max (0L, (long) value);
            }
            else if (argument.rfind ("--", 0) == 0)
            {
                std::fputs (usage, stderr);
                return 2;
            }
            else
            {
                files.push_back (argument);
            }
        }

        if (files.size() != 2)
        {
            std::fputs (usage, stderr);
            return 2;
        }

        Sound expected, actual;

        if (! read (files[0].c_str(), expected) || ! read (files[1].c_str(), actual))
            return 2;

        std::printf ("expected: %ld frames, %d channels, %d Hz, peak %.1f dBFS\n",
                     expected.frames(),
                     expected.channels,
                     expected.sampleRate,
                     decibels (peak (expected)));
        std::printf ("actual:   %ld frames, %d channels, %d Hz, peak %.1f dBFS\n",
                     actual.frames(),
                     actual.channels,
                     actual.sampleRate,
                     decibels (peak (actual)));

        bool same = true;

        if (expected.sampleRate != actual.sampleRate || (expected.channels != actual.channels && expected.channels != 1))
        {
            std::printf ("different rate or channel count\n");
            same = false;
        }

        // A silent or near-silent file lines up with anything: the check needs something to hear.
        if (peak (expected) < 1.0e-3)
        {
            std::printf ("the expected file is silent: nothing to line up\n");
            return 1;
        }

        if (expected.frames() == 0 || actual.frames() == 0)
            return 1;

        auto differenceAtZero = largestDifference (expected, actual, 0);
        long bestLag = 0;
        auto bestDifference = differenceAtZero;

        // Where they do not match at offset 0, say where they would: a host that forgot the
        // latency, or padded the start, shows up as a round number here.
        if (decibels (differenceAtZero) > toleranceDb)
        {
            for (long lag = -maxLag; lag <= maxLag; ++lag)
            {
                const auto difference = largestDifference (expected, actual, lag);

                if (difference < bestDifference)
                {
                    bestDifference = difference;
                    bestLag = lag;
                }
            }
        }

        const auto coveredFrames = std::min (expected.frames(), actual.frames());
        std::printf ("largest difference at offset 0: %.1f dBFS over %ld frames\n", decibels (differenceAtZero), coveredFrames);

        if (bestLag != 0)
            std::printf ("best match %+ld frames later: %.1f dBFS\n", bestLag, decibels (bestDifference));

        if (expected.frames() != actual.frames())
            std::printf ("note: lengths differ (%ld against %ld frames)\n", expected.frames(), actual.frames());

        same = same && decibels (differenceAtZero) <= toleranceDb;
        std::printf ("%s (tolerance %.1f dBFS)\n", same ? "same" : "DIFFERENT", toleranceDb);
        return same ? 0 : 1;
    }
} // namespace

int main (int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";

    if (command == "signal")
        return writeSignal (argc, argv);

    if (command == "compare")
        return compare (argc, argv);

    std::fputs (usage, stderr);
    return 2;
}
