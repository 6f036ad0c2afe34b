#pragma once

#include <vector>

/** Measures Tavine's frequency response the way a user would: steady sines through the
    processor (the cross-mix included), output compared with input once the filters have
    settled, with the engine's delay taken into account. Nothing is computed from the engine's
    coefficients or gain laws. */
namespace ResponseMeasurement
{
    /** The rate every figure and curve is measured at. */
    constexpr double sampleRate = 48000.0;

    /** One knob turned, the other two at 0. Knob 0 is red, 1 green, 2 blue. */
    struct Setting
    {
        int knob = 0;
        float amount = 1.0f;
        bool x2 = false;
    };

    /** Frequencies from `lowHz` to `highHz` (both included) in equal steps per octave. */
    std::vector<double> logFrequencies (double lowHz, double highHz, int stepsPerOctave);

    /** The processor's gain in decibels at each frequency, measured with a sine of that
        frequency in both channels. */
    std::vector<double> gainsInDecibels (const Setting& setting, const std::vector<double>& frequenciesHz);
} // namespace ResponseMeasurement
