#include "ParameterText.h"

#include <cmath>

namespace ParameterText
{
    juce::String knobToText (float value)
    {
        // Rounds half up on the exact single-precision value (0.125 shows "0.13", while the
        // float nearest 0.015 lies just below it and shows "0.01"). The framework's own
        // two-decimal conversion rounds half to even, which would show "0.12".
        const auto hundredths = (juce::int64) (std::abs ((double) value) * 100.0 + 0.5);
        auto digits = juce::String (hundredths).paddedLeft ('0', 3);
        auto text = digits.dropLastCharacters (2) + "." + digits.getLastCharacters (2);
        return value < 0.0f ? "-" + text : text;
    }

    float knobFromText (const juce::String& text)
    {
        return text.getFloatValue();
    }

    juce::String toggleToText (float value)
    {
        return value < 0.5f ? "Off" : "On";
    }

    float toggleFromText (const juce::String& text)
    {
        // Only these six characters count as white space here; juce::String::trim would also
        // strip other Unicode spaces, which a host never sends for a toggle.
        const auto isSpace = [] (juce::juce_wchar c) {
            return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
        };

        auto start = text.getCharPointer();
        auto end = start.findTerminatingNull();

        while (start != end && isSpace (*start))
            ++start;

        while (end != start && isSpace (*(end - 1)))
            --end;

        const juce::String trimmed (start, end);

        if (trimmed == "1" || trimmed.toLowerCase() == "on")
            return 1.0f;

        return 0.0f;
    }
} // namespace ParameterText
