// tavine_host_check_audio: the audio side of the check of Tavine in real Linux hosts.
//
//   tavine_host_check_audio signal OUT.wav --rate HZ --channels 1|2
//   tavine_host_check_audio compare EXPECTED ACTUAL [--tolerance-db DB] [--max-lag FRAMES]
//   tavine_host_check_audio tone OUT.wav --rate HZ --frequency F --seconds S
//   tavine_host_check_audio discontinuity FILE --frequency F [--from SECONDS] [--limit-db DB]
//   tavine_host_check_audio level FILE --from SECONDS --to SECONDS
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
//
// `tone`, `discontinuity` and `level` tell whether a host's own automation of Tavine clicks.
// `tone` writes a steady tone at -12 dBFS, a sine on the left and a cosine on the right: wherever
// a change falls, one channel is far from its zero crossing. `discontinuity` prints the peak over
// both channels, from a given time on, of sqrt (eL² + eR²) with
// e[n] = y[n] - 2 cos (2 pi f / rate) y[n-1] + y[n-2], which is exactly 0 for any steady sine at
// f: a step or a kink in the gain shows in full, a glide as slow as a fade barely at all. Exit
// status 0 when it is at most the limit (default -80 dBFS, 20 dB under an audible click on a
// pure tone), 1 above it. `level` prints the tone's amplitude over a stretch (the two channels'
// RMS added as a quadrature pair), so that a check can tell that a change really happened: a
// plug-in that ignored the automation would not click either.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
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

    const char* const usage = "usage: tavine_host_check_audio signal OUT.wav --rate HZ --channels 1|2\n"
                              "       tavine_host_check_audio compare EXPECTED ACTUAL [--tolerance-db DB] [--max-lag FRAMES]\n"
                              "       tavine_host_check_audio tone OUT.wav --rate HZ --frequency F --seconds S\n"
                              "       tavine_host_check_audio discontinuity FILE --frequency F [--from SECONDS] [--limit-db DB]\n"
                              "       tavine_host_check_audio level FILE --from SECONDS --to SECONDS\n";

    bool write (const char* path, int sampleRate, int channels, const std::vector<float>& samples)
    {
        SF_INFO info {};
        info.samplerate = sampleRate;
        info.channels = channels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open (path, SFM_WRITE, &info);

        if (file == nullptr)
        {
            std::fprintf (stderr, "tavine_host_check_audio: cannot write %s: %s\n", path, sf_strerror (nullptr));
            return false;
        }

        const auto frames = (sf_count_t) samples.size() / channels;
        const auto written = sf_writef_float (file, samples.data(), frames);
        const auto closed = sf_close (file);

        if (written != frames || closed != 0)
        {
            std::fprintf (stderr, "tavine_host_check_audio: cannot write %s\n", path);
            std::remove (path);
            return false;
        }

        return true;
    }

    struct Option
    {
        const char* name;
        double* value;
    };

    // Reads the command line after the command: one file name and the given options, each with
    // a finite number. Null, with a message, when anything else is there or the file is missing.
    const char* readLine (int argc, char** argv, std::initializer_list<Option> options)
    {
        const char* path = nullptr;

        for (int i = 2; i < argc; ++i)
        {
            const std::string argument = argv[i];
            const auto option = std::find_if (options.begin(), options.end(), [&] (const Option& o) { return argument == o.name; });

            if (option != options.end())
            {
                char* end = nullptr;
                const auto value = i + 1 < argc ? std::strtod (argv[++i], &end) : 0.0;

                if (end == nullptr || end == argv[i] || *end != '\0' || ! std::isfinite (value))
                {
                    std::fprintf (stderr, "tavine_host_check_audio: %s needs a number\n", option->name);
                    return nullptr;
                }

                *option->value = value;
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

        if (path == nullptr)
            std::fputs (usage, stderr);

        return path;
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

    int writeSignal (int argc, char** argv)
    {
        double rate = 0.0, channels = 0.0;
        const auto path = readLine (argc, argv, { { "--rate", &rate }, { "--channels", &channels } });

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

        if (! write (path, (int) rate, channelCount, samples))
            return 2;

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

    constexpr double twoPi = 6.283185307179586;

    int writeTone (int argc, char** argv)
    {
        double rate = 0.0, frequency = 0.0, seconds = 0.0;
        const auto path = readLine (argc, argv, { { "--rate", &rate }, { "--frequency", &frequency }, { "--seconds", &seconds } });

        if (path == nullptr || ! (rate >= 8000.0 && rate <= 384000.0) || ! (frequency > 0.0 && frequency < 0.5 * rate) || ! (seconds > 0.0 && seconds <= 600.0))
        {
            std::fputs (usage, stderr);
            return 2;
        }

        const auto frames = (long) (seconds * rate);
        const auto amplitude = std::pow (10.0, -12.0 / 20.0);
        const auto step = twoPi * frequency / rate;
        std::vector<float> samples ((size_t) (2 * frames));

        // The phase of each frame from its index, not accumulated: the tone stays exact however
        // long it runs.
        for (long frame = 0; frame < frames; ++frame)
        {
            samples[(size_t) (2 * frame)] = (float) (amplitude * std::sin (step * (double) frame));
            samples[(size_t) (2 * frame + 1)] = (float) (amplitude * std::cos (step * (double) frame));
        }

        return write (path, (int) rate, 2, samples) ? 0 : 2;
    }

    // Reads the stereo file a measuring command names, with its options.
    bool readStereo (int argc, char** argv, std::initializer_list<Option> options, Sound& sound)
    {
        const auto path = readLine (argc, argv, options);

        if (path == nullptr || ! read (path, sound))
            return false;

        if (sound.channels != 2 || sound.sampleRate <= 0)
        {
            std::fprintf (stderr, "tavine_host_check_audio: %s is not a stereo file\n", path);
            return false;
        }

        return true;
    }

    long frameAt (const Sound& sound, double seconds)
    {
        return std::clamp ((long) std::llround (seconds * sound.sampleRate), 0L, sound.frames());
    }

    int measureDiscontinuity (int argc, char** argv)
    {
        Sound sound;
        double frequency = 0.0, from = 0.0, limitDb = -80.0;

        if (! readStereo (argc, argv, { { "--frequency", &frequency }, { "--from", &from }, { "--limit-db", &limitDb } }, sound))
            return 2;

        if (! (frequency > 0.0 && frequency < 0.5 * sound.sampleRate) || from < 0.0)
        {
            std::fputs (usage, stderr);
            return 2;
        }

        const auto begin = std::max (2L, frameAt (sound, from));

        if (begin >= sound.frames())
        {
            std::fprintf (stderr, "tavine_host_check_audio: nothing to measure after %.3f s\n", from);
            return 2;
        }

        const auto c = 2.0 * std::cos (twoPi * frequency / sound.sampleRate);
        double largest = 0.0;
        long largestAt = begin;

        for (long n = begin; n < sound.frames(); ++n)
        {
            const auto e = [&] (int channel) { return (double) sound.at (n, channel) - c * sound.at (n - 1, channel) + sound.at (n - 2, channel); };
            const auto size = std::hypot (e (0), e (1));

            if (size > largest)
            {
                largest = size;
                largestAt = n;
            }
        }

        const auto peakDb = decibels (largest);
        const auto within = peakDb <= limitDb;
        std::printf ("discontinuity %.1f dBFS at %.4f s (frame %ld), from %.3f s on: %s (limit %.1f dBFS)\n",
                     peakDb,
                     (double) largestAt / sound.sampleRate,
                     largestAt,
                     from,
                     within ? "within" : "ABOVE",
                     limitDb);
        return within ? 0 : 1;
    }

    int measureLevel (int argc, char** argv)
    {
        Sound sound;
        double from = -1.0, to = -1.0;

        if (! readStereo (argc, argv, { { "--from", &from }, { "--to", &to } }, sound))
            return 2;

        const auto begin = frameAt (sound, from), end = frameAt (sound, to);

        if (from < 0.0 || end <= begin)
        {
            std::fputs (usage, stderr);
            return 2;
        }

        // A quadrature pair of amplitude A has an RMS of A / sqrt 2 in each channel: the two
        // added as a pair give A back, whatever the phase at the stretch's ends.
        double sumSquares = 0.0;

        for (long n = begin; n < end; ++n)
            sumSquares += (double) sound.at (n, 0) * sound.at (n, 0) + (double) sound.at (n, 1) * sound.at (n, 1);

        std::printf ("%.2f\n", decibels (std::sqrt (sumSquares / (double) (end - begin))));
        return 0;
    }
} // namespace

int main (int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";

    if (command == "signal")
        return writeSignal (argc, argv);

    if (command == "compare")
        return compare (argc, argv);

    if (command == "tone")
        return writeTone (argc, argv);

    if (command == "discontinuity")
        return measureDiscontinuity (argc, argv);

    if (command == "level")
        return measureLevel (argc, argv);

    std::fputs (usage, stderr);
    return 2;
}
