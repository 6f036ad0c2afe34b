#include "CommandLineNumbers.h"

#include <gtest/gtest.h>

TEST (CommandLineNumbers, AcceptsOnlyWholeNumbersFromZeroToOne)
{
    EXPECT_EQ (CommandLineNumbers::parseUnitNumber ("0"), 0.0f);
    EXPECT_EQ (CommandLineNumbers::parseUnitNumber ("1"), 1.0f);
    EXPECT_EQ (CommandLineNumbers::parseUnitNumber ("2.5e-1"), 0.25f);

    for (const auto* text : { "", " 0.5", "0.5 ", "0.5x", "1.0000001", "-1e-9", "inf", "nan", "0x1p-1", ".5." })
        EXPECT_FALSE (CommandLineNumbers::parseUnitNumber (text).has_value()) << '"' << text << '"';
}

TEST (CommandLineNumbers, ReadsADecimalOnlyWhenItIsTheWholeText)
{
    const std::pair<const char*, double> numbers[] = { { "12", 12.0 }, { "0.5", 0.5 }, { ".5", 0.5 }, { "5.", 5.0 }, { "-3.25", -3.25 }, { "1e2", 100.0 }, { "600", 600.0 } };

    for (const auto& [text, expected] : numbers)
        EXPECT_EQ (CommandLineNumbers::parseDecimal (text), expected) << '"' << text << '"';

    // Each of these has a number at its start that a lenient reader would take.
    for (const auto* text : { "", " 1", "1 ", "+1", "0,5", "1.2.3", "10s", "1e", "-", ".", "0x10", "inf", "-inf", "nan", "1e400" })
        EXPECT_FALSE (CommandLineNumbers::parseDecimal (text).has_value()) << '"' << text << '"';
}

TEST (CommandLineNumbers, ReadsAWholeNumberOnlyWithinTheRangeOfInt)
{
    EXPECT_EQ (CommandLineNumbers::parseInteger ("512"), 512);
    EXPECT_EQ (CommandLineNumbers::parseInteger ("-3"), -3);
    EXPECT_EQ (CommandLineNumbers::parseInteger ("2147483647"), 2147483647);

    for (const auto* text : { "", "1.0", "1e3", "+1", " 1", "1 ", "2147483648", "0x10", "12k" })
        EXPECT_FALSE (CommandLineNumbers::parseInteger (text).has_value()) << '"' << text << '"';
}
