#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** Numbers as our programs take them on the command line: the whole argument is the number,
    or it is refused. They are read the same in every locale, so "0,5" is refused everywhere
    alike instead of being read as 0 in some languages and as 0.5 in others. */
namespace CommandLineNumbers
{
    /** A finite decimal number written in full ("12", "0.5", ".5", "2.5e-1"); nothing else: no
        white space, no '+', no trailing characters, no hexadecimal, no "inf" or "nan". */
    std::optional<double> parseDecimal (const juce::String& text);

    /** A whole number in the range of int, written in full ("512", "-3"); nothing else. */
    std::optional<int> parseInteger (const juce::String& text);

    /** A decimal number from 0 to 1, as parseDecimal reads it; nothing else. */
    std::optional<float> parseUnitNumber (const juce::String& text);
} // namespace CommandLineNumbers
