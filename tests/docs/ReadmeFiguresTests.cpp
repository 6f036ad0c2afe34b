// The README's figures for what each knob does, measured here through the processor the way a
// user would measure them: a steady sine in, the output compared with the input. The README
// keeps them between the markers below; a figure that does not match the engine fails.
//
//   <!-- figures: ... -->
//   | knob at 1, the others at 0 | x2 | 80 Hz | 1 kHz | ... |
//   | red | off | +1.15 dB | ... |
//   ...
//   A knob at 0.5 gives NN % (or NN to MM %) of the decibels it gives at 1 ...
//   <!-- figures end -->
//
// The columns are whatever frequencies the header names; the rows must cover every knob with
// x2 off and on. On a mismatch the test prints the block as it should read.
#include "plugin/ParameterIds.h"
#include "plugin/ZarivirAudioProcessor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace
{
    constexpr double rate = 48000.0;
    constexpr int blockSize = 512;

    /** The processor's gain in decibels at one frequency, with one knob turned and the others
        at 0: the RMS of the output over whole periods against the RMS of the input that went
        in a latency earlier. */
    double measureGainDb (size_t knob, float amount, bool x2, double frequency)
    {
        ZarivirAudioProcessor processor;
        processor.prepareToPlay (rate, blockSize);
        processor.getEngine().setNoiseSeed (1);

        for (size_t k = 0; k < ParameterIds::knobs.size(); ++k)
            processor.getValueTreeState().getParameter (ParameterIds::knobs[k])->setValueNotifyingHost (k == knob ? amount : 0.0f);

        processor.getValueTreeState().getParameter (ParameterIds::x2)->setValueNotifyingHost (x2 ? 1.0f : 0.0f);

        const int latency = processor.getLatencySamples();
        const int settle = (int) (rate * 0.1);              // the filters settle within milliseconds
        const double periods = std::ceil (0.5 * frequency); // whole periods, half a second or more
        const int window = (int) std::lround (periods * rate / frequency);
        const int total = (settle + latency + window + blockSize - 1) / blockSize * blockSize;

        std::vector<float> input ((std::size_t) total), output ((std::size_t) total);

        for (int n = 0; n < total; ++n)
            input[(std::size_t) n] = 0.25f * (float) std::sin (6.283185307179586 * frequency * n / rate);

        juce::AudioBuffer<float> block (2, blockSize);
        juce::MidiBuffer midi;

        for (int start = 0; start < total; start += blockSize)
        {
            for (int channel = 0; channel < 2; ++channel)
                block.copyFrom (channel, 0, input.data() + start, blockSize);

            processor.processBlock (block, midi);
            std::copy (block.getReadPointer (0), block.getReadPointer (0) + blockSize, output.data() + start);
        }

        const auto rms = [window] (const std::vector<float>& x, int begin) {
            double sum = 0.0;

            for (int n = begin; n < begin + window; ++n)
                sum += (double) x[(std::size_t) n] * (double) x[(std::size_t) n];

            return std::sqrt (sum / window);
        };

        return 20.0 * std::log10 (rms (output, settle + latency) / rms (input, settle));
    }

    std::string readme()
    {
        return juce::File (TAVINE_README_FILE).loadFileAsString().toStdString();
    }

    /** The text between the figures markers, or an empty string. */
    std::string figuresBlock (const std::string& text)
    {
        const auto begin = text.find ("<!-- figures:");
        const auto end = text.find ("<!-- figures end -->");

        if (begin == std::string::npos || end == std::string::npos || end < begin)
            return {};

        return text.substr (begin, end - begin);
    }

    std::vector<std::string> cells (const std::string& line)
    {
        std::vector<std::string> result;
        std::stringstream stream (line);
        std::string cell;
        std::getline (stream, cell, '|'); // before the first bar

        while (std::getline (stream, cell, '|'))
        {
            const auto first = cell.find_first_not_of (' ');
            const auto last = cell.find_last_not_of (' ');
            result.push_back (first == std::string::npos ? std::string() : cell.substr (first, last - first + 1));
        }

        if (! result.empty() && result.back().empty())
            result.pop_back(); // after the last bar

        return result;
    }

    /** The number that `text` starts with when `unit` follows it and nothing else; the number
        is plain decimal, and signed exactly when `isSigned` says so. */
    std::optional<double> numberWithUnit (const std::string& text, const std::string& unit, bool isSigned)
    {
        if (text.size() <= unit.size() || text.compare (text.size() - unit.size(), unit.size(), unit) != 0)
            return {};

        const auto number = text.substr (0, text.size() - unit.size());
        const auto digits = isSigned && ! number.empty() && (number[0] == '+' || number[0] == '-') ? number.substr (1) : number;

        if (digits.empty() || (isSigned && digits.size() == number.size()) || digits.find_first_not_of ("0123456789.") != std::string::npos)
            return {};

        return std::stod (number);
    }

    /** "80 Hz" or "1 kHz" (also "1.5 kHz") in hertz; 0 when it is neither. */
    double hertz (const std::string& cell)
    {
        if (const auto kilo = numberWithUnit (cell, " kHz", false))
            return *kilo * 1000.0;

        return numberWithUnit (cell, " Hz", false).value_or (0.0);
    }

    std::string decibels (double db)
    {
        char text[32];
        std::snprintf (text, sizeof (text), "%+.2f dB", db);
        return text;
    }

    struct Figures
    {
        std::vector<std::string> frequencyCells;
        std::map<std::pair<std::string, std::string>, std::vector<std::string>> rows; // (knob, x2) -> value cells
        std::string halfShare;                                                        // "71 %" or "70 to 72 %"
    };

    Figures parse (const std::string& block)
    {
        Figures figures;
        std::stringstream stream (block);
        std::string line;

        while (std::getline (stream, line))
        {
            if (line.rfind ("|", 0) != 0)
            {
                // "A knob at 0.5 gives 71 % ..." or "... gives 70 to 72 % ...": kept up to the "%".
                const std::string lead = "A knob at 0.5 gives ";
                const auto start = line.find (lead);
                const auto percent = start == std::string::npos ? start : line.find (" %", start);

                if (percent != std::string::npos)
                    figures.halfShare = line.substr (start + lead.size(), percent + 2 - (start + lead.size()));

                continue;
            }

            const auto row = cells (line);

            if (row.size() < 3)
                continue;

            if (hertz (row[2]) > 0.0)
                figures.frequencyCells.assign (row.begin() + 2, row.end());
            else if (std::find (ParameterIds::knobs.begin(), ParameterIds::knobs.end(), row[0]) != ParameterIds::knobs.end())
                figures.rows[{ row[0], row[1] }] = std::vector<std::string> (row.begin() + 2, row.end());
        }

        return figures;
    }
} // namespace

TEST (ReadmeFigures, KnobFiguresAreWhatTheProcessorMeasures)
{
    const auto block = figuresBlock (readme());
    ASSERT_FALSE (block.empty()) << "README.md has no <!-- figures: ... --> ... <!-- figures end --> block";

    const auto written = parse (block);
    ASSERT_FALSE (written.frequencyCells.empty()) << "the figures table names no frequencies";
    EXPECT_NE (block.find ("48 kHz"), std::string::npos) << "the figures block should say they hold at 48 kHz";

    std::vector<double> frequencies;

    for (const auto& cell : written.frequencyCells)
    {
        frequencies.push_back (hertz (cell));
        ASSERT_GT (frequencies.back(), 0.0) << "not a frequency: " << cell;
    }

    // Measure everything, then compare, so that a failure can print the whole block.
    std::string expectedTable = "| knob at 1, the others at 0 | x2 |";
    std::string separator = "|---|---|";

    for (const auto& cell : written.frequencyCells)
    {
        expectedTable += " " + cell + " |";
        separator += "---|";
    }

    expectedTable += "\n" + separator + "\n";

    bool allMatch = true;
    double smallestShare = 1.0e9, largestShare = -1.0e9;

    // The README names each knob as a host lists it: by its ID.
    for (size_t knob = 0; knob < ParameterIds::knobs.size(); ++knob)
    {
        for (const bool x2 : { false, true })
        {
            const auto key = std::make_pair (std::string (ParameterIds::knobs[knob]), std::string (x2 ? "on" : "off"));
            const auto found = written.rows.find (key);
            std::string row = "| " + key.first + " | " + key.second + " |";

            for (std::size_t f = 0; f < frequencies.size(); ++f)
            {
                const double full = measureGainDb (knob, 1.0f, x2, frequencies[f]);
                const double half = measureGainDb (knob, 0.5f, x2, frequencies[f]);
                row += " " + decibels (full) + " |";

                // The share is only meaningful where the knob does something audible.
                if (std::abs (full) >= 0.1)
                {
                    smallestShare = std::min (smallestShare, half / full);
                    largestShare = std::max (largestShare, half / full);
                }

                const bool present = found != written.rows.end() && f < found->second.size();
                const std::string writtenCell = present ? found->second[f] : std::string ("(missing)");
                const auto writtenDb = numberWithUnit (writtenCell, " dB", true);

                // Written to two decimals: the measured value must round to it.
                if (! writtenDb.has_value() || std::abs (*writtenDb - full) > 0.00501)
                {
                    allMatch = false;
                    ADD_FAILURE() << key.first << " at 1, x2 " << key.second << ", " << written.frequencyCells[f]
                                  << ": README says " << writtenCell << ", the processor gives " << decibels (full)
                                  << " (" << full << ")";
                }
            }

            expectedTable += row + "\n";
        }
    }

    const auto percent = [] (double share) { return (int) std::lround (share * 100.0); };
    const std::string share = percent (smallestShare) == percent (largestShare)
                                  ? std::to_string (percent (smallestShare)) + " %"
                                  : std::to_string (percent (smallestShare)) + " to " + std::to_string (percent (largestShare)) + " %";

    if (written.halfShare != share)
    {
        allMatch = false;
        ADD_FAILURE() << "README says a knob at 0.5 gives " << (written.halfShare.empty() ? "(no sentence found)" : written.halfShare)
                      << " of the decibels at 1; the processor gives " << share
                      << " (" << smallestShare << " to " << largestShare << ")";
    }

    if (! allMatch)
        ADD_FAILURE() << "the table as the processor measures it:\n"
                      << expectedTable << "A knob at 0.5 gives " << share << " of the decibels it gives at 1";
}
