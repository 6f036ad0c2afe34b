#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** A short stereo phrase made in code, for demonstrations and pictures: a four-on-the-floor
    kick, off-beat hats, a bass line and a bright pad, at 120 beats per minute. The same
    arguments always give the same samples. */
juce::AudioBuffer<float> makeDemoPhrase (double sampleRate, double seconds);

/** How the demos play the phrase unless told otherwise: tavine-render --demo renders it, and
    tavine_snapshot draws the window after it. */
namespace DemoPhrase
{
    constexpr double sampleRate = 44100.0;
    constexpr double seconds = 10.0;

    // Warm low end, some space, a good deal of punch: every stage audible, nothing extreme.
    constexpr float red = 0.6f;
    constexpr float green = 0.5f;
    constexpr float blue = 0.7f;
} // namespace DemoPhrase
