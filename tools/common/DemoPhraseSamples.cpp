#include "DemoPhraseSamples.h"

#include <cmath>

namespace
{
    constexpr double twoPi = 6.283185307179586;

    double midiToHz (int note) { return 440.0 * std::pow (2.0, (note - 69) / 12.0); }
} // namespace

int DemoPhrase::lengthFor (double rate, double duration)
{
    return juce::jmax (1, (int) (rate * duration));
}

void DemoPhrase::write (float* left, float* right, int numSamples, double rate)
{
    const double beat = 0.5; // seconds at 120 bpm
    const int bassLine[] = { 36, 36, 43, 41, 36, 36, 39, 41 };
    const int padChord[] = { 60, 63, 67, 70 };
    juce::Random noise (1234);
    double bassPhase = 0.0;

    for (int i = 0; i < numSamples; ++i)
    {
        const double t = i / rate;
        const double inBeat = std::fmod (t, beat);
        const int beatIndex = (int) (t / beat);

        // Kick: a falling sine with a fast decay on every beat.
        const double kickFrequency = 50.0 + 120.0 * std::exp (-inBeat * 30.0);
        const double kick = std::sin (twoPi * kickFrequency * inBeat) * std::exp (-inBeat * 9.0);

        // Hats: bright noise bursts on the off-beats.
        const double offBeat = std::fmod (t + beat * 0.5, beat);
        const double hat = (noise.nextFloat() * 2.0 - 1.0) * std::exp (-offBeat * 60.0) * 0.25;

        // Bass: a saw-ish tone following the line, a note per beat.
        const double bassHz = midiToHz (bassLine[beatIndex % 8]);
        bassPhase = std::fmod (bassPhase + bassHz / rate, 1.0);
        const double bass = (std::sin (twoPi * bassPhase) + 0.3 * std::sin (2.0 * twoPi * bassPhase)) * 0.35 * (1.0 - std::exp (-inBeat * 40.0));

        // Pad: a soft chord with a slow swell, detuned between the channels.
        double padLeft = 0.0, padRight = 0.0;

        for (int note : padChord)
        {
            const double hz = midiToHz (note);
            padLeft += std::sin (twoPi * hz * 1.002 * t) + 0.2 * std::sin (twoPi * hz * 3.0 * t);
            padRight += std::sin (twoPi * hz * 0.998 * t) + 0.2 * std::sin (twoPi * hz * 3.0 * t);
        }

        const double swell = 0.06 * (0.6 + 0.4 * std::sin (twoPi * t / 4.0));
        const double centre = 0.5 * kick + bass;
        left[i] = (float) (centre + hat * 0.8 + padLeft * swell);
        right[i] = (float) (centre + hat * 1.2 + padRight * swell);
    }
}
