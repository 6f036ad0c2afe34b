#pragma once

#include <juce_core/juce_core.h>

/** The text forms of Tavine's parameters, as a host shows them and as a user types them. */
namespace ParameterText
{
    /** Knob value as shown: two digits after the point ("0.25"). */
    juce::String knobToText (float value);

    /** Knob text as typed: a leading decimal number, anything after it ignored, 0 without one. */
    float knobFromText (const juce::String& text);

    /** The decimal number at the start of a text: white space, an optional sign, digits with an
        optional point, an optional exponent; reading stops at the first other character, and
        a text without a number gives 0. Out-of-range exponents give an infinity or 0. Never
        reads "nan", "inf" or hexadecimal, and ignores the locale. */
    double parseNumber (const juce::String& text);

    /** Toggle value as shown: "Off" below one half, "On" from one half up. */
    juce::String toggleToText (float value);

    /** Toggle text as typed: "1" or any case of "on", surrounded by white space, switch it on;
        everything else switches it off. */
    float toggleFromText (const juce::String& text);
} // namespace ParameterText
