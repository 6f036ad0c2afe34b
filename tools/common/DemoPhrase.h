#pragma once

#include "DemoPhraseSamples.h"

#include <juce_audio_basics/juce_audio_basics.h>

/** A short stereo phrase made in code, for demonstrations and pictures: a four-on-the-floor
    kick, off-beat hats, a bass line and a bright pad, at 120 beats per minute. The same
    arguments always give the same samples. */
juce::AudioBuffer<float> makeDemoPhrase (double sampleRate, double seconds);
