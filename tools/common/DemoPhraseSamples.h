#pragma once

#include <juce_core/juce_core.h>

/** The demo phrase's samples on JUCE's core alone, for builds without its audio classes (the
    web page makes the same phrase from them); makeDemoPhrase (DemoPhrase.h) wraps them in a
    buffer. The same arguments always give the same samples. */
namespace DemoPhrase
{
    /** How the demos play the phrase unless told otherwise: tavine-render --demo renders it,
        tavine_snapshot draws the window after it, and the web page plays it without a file. */
    constexpr double sampleRate = 44100.0;
    constexpr double seconds = 10.0;

    // Warm low end, some space, a good deal of punch: every stage audible, nothing extreme.
    constexpr float red = 0.6f;
    constexpr float green = 0.5f;
    constexpr float blue = 0.7f;

    /** The phrase's length in samples for `duration` seconds at `rate`: at least one. */
    int lengthFor (double rate, double duration);

    /** Writes `numSamples` samples of both channels of the phrase at `rate`. */
    void write (float* left, float* right, int numSamples, double rate);
} // namespace DemoPhrase
