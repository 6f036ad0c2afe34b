#include "CommandLineNumbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace CommandLineNumbers
{
    namespace
    {
        /** The whole text as a number, or nothing. std::from_chars ignores the locale. */
        template <typename Number>
        std::optional<Number> parseWhole (const juce::String& text)
        {
            const auto utf8 = text.toStdString();
            Number value {};
            const auto [end, error] = std::from_chars (utf8.data(), utf8.data() + utf8.size(), value);

            if (utf8.empty() || error != std::errc() || end != utf8.data() + utf8.size())
                return std::nullopt;

            return value;
        }
    } // namespace

    std::optional<double> parseDecimal (const juce::String& text)
    {
        const auto value = parseWhole<double> (text);

        if (! value || ! std::isfinite (*value))
            return std::nullopt;

        return value;
    }

    std::optional<int> parseInteger (const juce::String& text)
    {
        return parseWhole<int> (text);
    }

    std::optional<float> parseUnitNumber (const juce::String& text)
    {
        const auto value = parseDecimal (text);

        if (! value || *value < 0.0 || *value > 1.0)
            return std::nullopt;

        return (float) *value;
    }
} // namespace CommandLineNumbers
