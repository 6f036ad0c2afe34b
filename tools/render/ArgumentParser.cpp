#include "ArgumentParser.h"

#include <charconv>
#include <cmath>

namespace ArgumentParser
{
    namespace
    {
        /** Splits "--name=value" so that both "--red 0.5" and "--red=0.5" work. */
        struct Option
        {
            juce::String name;
            std::optional<juce::String> attachedValue;
        };

        Option splitOption (const juce::String& argument)
        {
            const auto equals = argument.indexOfChar ('=');

            if (! argument.startsWith ("--") || equals < 0)
                return { argument, std::nullopt };

            return { argument.substring (0, equals), argument.substring (equals + 1) };
        }

        /** The whole text as a number, or nothing. std::from_chars ignores the locale, so
            "0,5" is refused everywhere alike instead of being read as 0 in some languages. */
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

        std::optional<int> parseInteger (const juce::String& text) { return parseWhole<int> (text); }

        std::optional<float> parseToggle (const juce::String& text)
        {
            if (text.equalsIgnoreCase ("on"))
                return 1.0f;

            if (text.equalsIgnoreCase ("off"))
                return 0.0f;

            return parseUnitNumber (text);
        }
    } // namespace

    std::optional<float> parseUnitNumber (const juce::String& text)
    {
        const auto value = parseWhole<double> (text);

        if (! value || ! std::isfinite (*value) || *value < 0.0 || *value > 1.0)
            return std::nullopt;

        return (float) *value;
    }

    Result parse (const juce::StringArray& arguments,
                  const juce::File& workingDirectory,
                  const juce::String& demoFolderVariable)
    {
        Result result;
        auto& options = result.options;
        juce::StringArray positional;
        juce::String demoFolderOption;

        const auto fail = [&result] (const juce::String& message) {
            result.error = message;
            return result;
        };

        const auto fileFrom = [&workingDirectory] (const juce::String& path) {
            return workingDirectory.getChildFile (path);
        };

        for (int i = 0; i < arguments.size(); ++i)
        {
            const auto [name, attachedValue] = splitOption (arguments[i]);
            juce::String value;

            // Options that take a value take it attached with '=' or as the next argument.
            const auto takeValue = [&, name = name, attachedValue = attachedValue]() -> bool {
                if (attachedValue.has_value())
                {
                    value = *attachedValue;
                    return true;
                }

                if (i + 1 >= arguments.size())
                    return false;

                value = arguments[++i];
                return true;
            };

            const juce::StringArray valueOptions { "--red", "--green", "--blue", "--block", "--bits", "--state", "--save-state", "--meters", "--picture", "--plugin", "--demo-dir" };

            if (valueOptions.contains (name))
            {
                if (! takeValue())
                    return fail (name + " needs a value");

                if (value.isEmpty())
                    return fail (name + " needs a value");
            }
            else if (attachedValue.has_value() && name != "--x2")
            {
                return fail (name + " takes no value");
            }

            if (name == "--help" || name == "-h")
            {
                options.showHelp = true;
            }
            else if (name == "--red" || name == "--green" || name == "--blue")
            {
                const auto number = parseUnitNumber (value);

                if (! number.has_value())
                    return fail (name + " takes a number from 0 to 1, not \"" + value + "\"");

                (name == "--red" ? options.red : (name == "--green" ? options.green : options.blue)) = number;
            }
            else if (name == "--x2")
            {
                // A bare --x2 switches it on; --x2=off lets a command line overrule a state file.
                options.x2 = attachedValue.has_value() ? parseToggle (*attachedValue) : 1.0f;

                if (! options.x2.has_value())
                    return fail ("--x2 takes on, off or a number from 0 to 1, not \"" + *attachedValue + "\"");
            }
            else if (name == "--block")
            {
                const auto number = parseInteger (value);

                if (! number.has_value() || *number < 1 || *number > 65536)
                    return fail ("--block takes a whole number of samples from 1 to 65536, not \"" + value + "\"");

                options.blockSize = *number;
            }
            else if (name == "--bits")
            {
                const auto number = parseInteger (value);

                if (! number.has_value() || (*number != 16 && *number != 24 && *number != 32))
                    return fail ("--bits takes 16, 24 or 32, not \"" + value + "\"");

                options.bitsPerSample = *number;
            }
            else if (name == "--state")
            {
                options.stateFile = fileFrom (value);
            }
            else if (name == "--save-state")
            {
                options.saveStateFile = fileFrom (value);
            }
            else if (name == "--meters")
            {
                options.metersFile = fileFrom (value);
            }
            else if (name == "--picture")
            {
                options.pictureFile = fileFrom (value);
            }
            else if (name == "--plugin")
            {
                // An LV2 URI stays as it is; anything else is a path.
                options.pluginPath = value.contains ("://") || value.startsWith ("urn:") ? value : fileFrom (value).getFullPathName();
            }
            else if (name == "--no-latency-compensation")
            {
                options.compensateLatency = false;
            }
            else if (name == "--quiet" || name == "-q")
            {
                options.quiet = true;
            }
            else if (name == "--demo")
            {
                options.demo = true;
            }
            else if (name == "--demo-dir")
            {
                demoFolderOption = value;
            }
            else if (name == "--")
            {
                for (++i; i < arguments.size(); ++i)
                    positional.add (arguments[i]);
            }
            else if (name.startsWith ("-") && name != "-")
            {
                return fail ("unknown option " + name);
            }
            else
            {
                positional.add (arguments[i]);
            }
        }

        if (options.showHelp)
            return result;

        if (options.demo)
        {
            if (! positional.isEmpty())
                return fail ("--demo makes its own input and output; \"" + positional[0] + "\" is one file too many");

            const auto folder = demoFolderOption.isNotEmpty() ? demoFolderOption : demoFolderVariable;
            options.demoFolder = folder.isNotEmpty() ? fileFrom (folder)
                                                     : juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("tavine-demo");
            return result;
        }

        if (demoFolderOption.isNotEmpty())
            return fail ("--demo-dir only goes with --demo");

        if (positional.size() < 2)
            return fail (positional.isEmpty() ? "no input and output files given" : "no output file given");

        if (positional.size() > 2)
            return fail ("one input and one output file, not " + juce::String (positional.size()) + " files");

        options.input = fileFrom (positional[0]);
        options.output = fileFrom (positional[1]);
        return result;
    }

    juce::String helpText()
    {
        return R"(usage: tavine-render [options] INPUT OUTPUT.wav
       tavine-render --demo [options]

Runs an audio file through Tavine and writes the result as a WAV file at the input's sample
rate. By default the processor compiled into this program is used: the same code as the
plug-ins. With --plugin a built plug-in binary is loaded instead, as a host would load it.

INPUT is a WAV, AIFF or FLAC file, mono or stereo, at any sample rate.

Setting:
  --red X, --green X, --blue X
                      knob positions, numbers from 0 to 1 (default 0)
  --x2, --x2=on|off|X switch x2 on (a bare --x2), off, or set its value from 0 to 1
  --state FILE        start from a state block saved by the plug-in (the bytes a host stores);
                      --red, --green, --blue and --x2 given as well override its values
  --save-state FILE   save the setting used, as the plug-in would save it

Processing:
  --plugin PATH       process through a plug-in binary: a VST3 bundle (Tavine.vst3), a VST2
                      library (Tavine.so), an LV2 bundle (Tavine.lv2) or an LV2 URI
  --block N           samples per processing block, 1 to 65536 (default 512)
  --no-latency-compensation
                      keep the plug-in's delay: the output starts with its latency in silence
                      and lacks the input's last samples. By default the output lines up with
                      the input sample for sample and has its length.

Output:
  --bits 16|24|32     sample format of OUTPUT: 16 or 24-bit integer, 32-bit float (default)
  --meters FILE.csv   write the display history: one line per 25 ms point with its time in
                      seconds into the input, its level (RMS, linear) and the red, green and
                      blue meters' shares of it (0 to 1)
  --picture FILE.png  draw the plug-in's window (450 x 300) as it looks at the end of the file
  --quiet, -q         no progress bar (one is shown on a terminal for files over 5 seconds)

Demo:
  --demo              render a built-in ten-second phrase (drums, bass and a bright pad) with
                      red 0.6, green 0.5, blue 0.7 unless set otherwise, and print where the
                      input, output, picture and meters went
  --demo-dir DIR      where --demo writes (default $TAVINE_DEMO_DIR, else ~/tavine-demo)

  --help, -h          show this text
  --version           show the version (on its own)

With --plugin, the meters and the picture come from the built-in processor running alongside
on the same audio and setting: a hosted plug-in's window cannot be drawn without a display.

Nothing is left behind when a render fails: every file is written under a temporary name next
to its target and renamed at the end.

Exit status: 0 when done, 1 when the render failed (a file could not be read or written, a
plug-in could not be loaded), 2 when the command line was wrong.
)";
    }
} // namespace ArgumentParser
