#include "ParameterText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

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
        return (float) parseNumber (text);
    }

    double parseNumber (const juce::String& text)
    {
        // The framework's own reader overflows a signed integer on a long exponent, which a
        // damaged project or a stray paste can contain; this one reads the same forms safely.
        const std::string characters = text.toStdString();
        const char* const end = characters.data() + characters.size();
        const char* p = characters.data();
        const auto isDigit = [&] (const char* c) { return c < end && *c >= '0' && *c <= '9'; };

        while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
            ++p;

        bool negative = false;

        if (p < end && (*p == '+' || *p == '-'))
            negative = *p++ == '-';

        const char* const start = p;
        bool anyDigits = false;

        while (isDigit (p))
            ++p, anyDigits = true;

        if (p < end && *p == '.')
            for (++p; isDigit (p); ++p)
                anyDigits = true;

        if (! anyDigits)
            return 0.0;

        bool negativeExponent = false;

        if (p < end && (*p == 'e' || *p == 'E'))
        {
            const char* exponent = p + 1;

            if (exponent < end && (*exponent == '+' || *exponent == '-'))
                negativeExponent = *exponent++ == '-';

            if (isDigit (exponent))
                for (p = exponent; isDigit (p); ++p)
                {
                }
        }

        double value = 0.0;
        const auto result = std::from_chars (start, p, value, std::chars_format::general);

        if (result.ec == std::errc::result_out_of_range)
        {
            const bool mantissaIsZero = std::all_of (start, p, [] (char c) { return c == '0' || c == '.'; }) || *start == 'e';
            value = (negativeExponent || mantissaIsZero) ? 0.0 : std::numeric_limits<double>::infinity();
        }

        return negative ? -value : value;
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
