#include "ArgumentParser.h"

#include "CommandLineNumbers.h"
#include "EditorPicture.h"
#include "SoundFile.h"
#include "plugin/ParameterIds.h"

#include <algorithm>

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

        std::optional<float> parseToggle (const juce::String& text)
        {
            if (text.equalsIgnoreCase ("on"))
                return 1.0f;

            if (text.equalsIgnoreCase ("off"))
                return 0.0f;

            return CommandLineNumbers::parseUnitNumber (text);
        }

        /** A time into the output: seconds, with an 's' or bare, or milliseconds with "ms". */
        std::optional<double> parseSeconds (const juce::String& text)
        {
            const bool milliseconds = text.endsWithIgnoreCase ("ms");
            const auto digits = text.dropLastCharacters (milliseconds ? 2 : (text.endsWithIgnoreCase ("s") ? 1 : 0));
            const auto number = CommandLineNumbers::parseDecimal (digits);

            if (! number.has_value() || *number < 0.0)
                return std::nullopt;

            return milliseconds ? *number / 1000.0 : *number;
        }

        /** Takes one --automate, PARAM:VALUE@TIME[,VALUE@TIME...]; returns what is wrong with
            it, or nothing. */
        juce::String readAutomation (const juce::String& text, RenderOptions& options)
        {
            const auto colon = text.indexOfChar (':');

            if (colon < 0)
                return "--automate takes PARAM:VALUE@TIME[,VALUE@TIME...], such as green:0@0s,1@2s, not \"" + text + "\"";

            const auto parameter = text.substring (0, colon);
            const auto& ids = ParameterIds::all;
            const bool known = parameter == AutomationLane::bypass || std::any_of (ids.begin(), ids.end(), [&parameter] (const char* id) { return parameter == id; });

            if (! known)
                return "--automate takes red, green, blue, x2 or bypass, not \"" + parameter + "\"";

            const auto name = "--automate " + parameter;

            for (const auto& lane : options.automation)
                if (lane.getParameter() == parameter)
                    return name + " is given twice; give all its points in one";

            const bool toggle = AutomationLane::isSwitch (parameter);
            const auto pointTexts = juce::StringArray::fromTokens (text.substring (colon + 1), ",", {});
            std::vector<AutomationLane::Point> points;
            juce::String previousTime;

            if (pointTexts.isEmpty())
                return name + " takes points VALUE@TIME, such as " + parameter + ":0@0s,1@2s; it has none";

            for (const auto& point : pointTexts)
            {
                const auto at = point.indexOfChar ('@');

                if (at < 0)
                    return name + " takes points VALUE@TIME, not \"" + point + "\"";

                const auto valueText = point.substring (0, at);
                const auto timeText = point.substring (at + 1);
                const auto value = toggle ? parseToggle (valueText) : CommandLineNumbers::parseUnitNumber (valueText);

                if (! value.has_value())
                    return name + (toggle ? " takes on, off or a number from 0 to 1" : " takes a number from 0 to 1") + ", not \"" + valueText + "\"";

                const auto seconds = parseSeconds (timeText);

                if (! seconds.has_value())
                    return name + " takes times from 0 on in seconds (2s, 2.5) or milliseconds (1500ms), not \"" + timeText + "\"";

                if (! points.empty() && *seconds < points.back().seconds)
                    return name + ": " + timeText + " comes after " + previousTime + "; times must not go back";

                points.push_back ({ *seconds, *value });
                previousTime = timeText;
            }

            options.automation.emplace_back (parameter, std::move (points));
            return {};
        }
    } // namespace

    namespace
    {
        /** What the command line said, before the combination is checked. */
        struct Reading
        {
            RenderOptions& options;
            const juce::File& workingDirectory;
            juce::StringArray positional;
            juce::String demoFolderOption;

            juce::File fileFrom (const juce::String& path) const { return workingDirectory.getChildFile (path); }
        };

        /** Takes a whole number of `what` from `lowest` to `highest`; returns what is wrong with
            it, or nothing. */
        juce::String readWholeNumber (const juce::String& name, const juce::String& value, const char* what, int lowest, int highest, int& number)
        {
            const auto parsed = CommandLineNumbers::parseInteger (value);

            if (! parsed.has_value() || *parsed < lowest || *parsed > highest)
                return name + " takes a whole number of " + what + " from " + juce::String (lowest) + " to " + juce::String (highest) + ", not \"" + value + "\"";

            number = *parsed;
            return {};
        }

        /** Takes one option of those that have a value; returns what is wrong with it, or
            nothing. */
        juce::String readValueOption (const juce::String& name, const juce::String& value, Reading& reading)
        {
            auto& options = reading.options;

            if (name == "--red" || name == "--green" || name == "--blue")
            {
                const auto number = CommandLineNumbers::parseUnitNumber (value);

                if (! number.has_value())
                    return name + " takes a number from 0 to 1, not \"" + value + "\"";

                (name == "--red" ? options.red : (name == "--green" ? options.green : options.blue)) = number;
            }
            else if (name == "--block")
            {
                return readWholeNumber (name, value, "samples", 1, 65536, options.blockSize);
            }
            else if (name == "--bits")
            {
                const auto number = CommandLineNumbers::parseInteger (value);

                if (! number.has_value() || (*number != 16 && *number != 24 && *number != 32))
                    return "--bits takes 16, 24 or 32, not \"" + value + "\"";

                options.bitsPerSample = *number;
            }
            else if (name == "--out-dir")
            {
                options.outputFolder = reading.fileFrom (value);
            }
            else if (name == "--format")
            {
                if (SoundFile::formatForExtension (value) == nullptr)
                    return "--format takes one of " + SoundFile::knownExtensions() + ", not \"" + value + "\"";

                options.outputFormat = value.trimCharactersAtStart (".").toLowerCase();
            }
            else if (name == "--jobs")
            {
                return readWholeNumber (name, value, "threads", 1, 256, options.jobs);
            }
            else if (name == "--state")
            {
                options.stateFile = reading.fileFrom (value);
            }
            else if (name == "--save-state")
            {
                options.saveStateFile = reading.fileFrom (value);
            }
            else if (name == "--meters")
            {
                options.metersFile = reading.fileFrom (value);
            }
            else if (name == "--picture")
            {
                options.pictureFile = reading.fileFrom (value);
            }
            else if (name == "--scale")
            {
                options.pictureScale = EditorPicture::parseScale (value);

                if (! options.pictureScale.has_value())
                    return "--scale takes a display scale from 1 to 3, not \"" + value + "\"";
            }
            else if (name == "--plugin")
            {
                // An LV2 URI stays as it is; anything else is a path.
                options.pluginPath = value.contains ("://") || value.startsWith ("urn:") ? value : reading.fileFrom (value).getFullPathName();
            }
            else if (name == "--demo-dir")
            {
                reading.demoFolderOption = value;
            }
            else if (name == "--automate")
            {
                return readAutomation (value, options);
            }

            return {};
        }

        /** Takes one switch, an option without a value; returns false for a name that is none. */
        bool readSwitch (const juce::String& name, RenderOptions& options)
        {
            if (name == "--help" || name == "-h")
                options.showHelp = true;
            else if (name == "--version")
                options.showVersion = true;
            else if (name == "--no-dither")
                options.dither = false;
            else if (name == "--overwrite" || name == "-y")
                options.overwrite = true;
            else if (name == "--no-latency-compensation")
                options.compensateLatency = false;
            else if (name == "--quiet" || name == "-q")
                options.quiet = true;
            else if (name == "--demo")
                options.demo = true;
            else
                return false;

            return true;
        }

        /** Checks that the options go together and names the files; returns what is wrong, or
            nothing. */
        juce::String finish (Reading& reading, const juce::String& demoFolderVariable)
        {
            auto& options = reading.options;
            const auto& positional = reading.positional;

            if (options.showHelp || options.showVersion)
                return {};

            // A knob moved by its automation has no fixed value as well.
            const std::pair<const char*, bool> fixed[] = { { ParameterIds::red, options.red.has_value() }, { ParameterIds::green, options.green.has_value() }, { ParameterIds::blue, options.blue.has_value() }, { ParameterIds::x2, options.x2.has_value() } };

            for (const auto& lane : options.automation)
                for (const auto& [id, given] : fixed)
                    if (given && lane.getParameter() == id)
                        return "--" + juce::String (id) + " and --automate " + id + " both set " + id + "; give one";

            const bool batch = options.outputFolder != juce::File();

            if (! batch && (options.outputFormat.isNotEmpty() || options.jobs != 0))
                return juce::String (options.jobs != 0 ? "--jobs" : "--format") + " goes with --out-dir; a single output's name gives its format";

            // --demo draws a picture of its own.
            if (options.pictureScale.has_value() && options.pictureFile == juce::File() && ! options.demo)
                return "--scale goes with --picture: it sets the scale the picture is drawn at";

            if (options.demo)
            {
                if (batch)
                    return "--demo makes its own input and output; it does not go with --out-dir";

                if (! positional.isEmpty())
                    return "--demo makes its own input and output; \"" + positional[0] + "\" is one file too many";

                const auto folder = reading.demoFolderOption.isNotEmpty() ? reading.demoFolderOption : demoFolderVariable;
                options.demoFolder = folder.isNotEmpty() ? reading.fileFrom (folder)
                                                         : juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("tavine-demo");
                return {};
            }

            if (reading.demoFolderOption.isNotEmpty())
                return "--demo-dir only goes with --demo";

            if (batch)
            {
                if (options.metersFile != juce::File() || options.pictureFile != juce::File() || options.saveStateFile != juce::File())
                    return "--meters, --picture and --save-state each name one file; they do not go with --out-dir";

                if (positional.isEmpty())
                    return "no input files given for --out-dir";

                for (const auto& path : positional)
                    options.inputs.add (reading.fileFrom (path));

                return {};
            }

            if (positional.size() < 2)
                return positional.isEmpty() ? "no input and output files given" : "no output file given";

            if (positional.size() > 2)
                return "one input and one output file, not " + juce::String (positional.size()) + " files (many inputs go with --out-dir)";

            options.input = reading.fileFrom (positional[0]);
            options.output = reading.fileFrom (positional[1]);
            return {};
        }
    } // namespace

    Result parse (const juce::StringArray& arguments,
                  const juce::File& workingDirectory,
                  const juce::String& demoFolderVariable)
    {
        Result result;
        auto& options = result.options;
        Reading reading { options, workingDirectory, {}, {} };
        const juce::StringArray valueOptions { "--red", "--green", "--blue", "--block", "--bits", "--state", "--save-state", "--meters", "--picture", "--scale", "--plugin", "--demo-dir", "--out-dir", "--format", "--jobs", "--automate" };

        for (int i = 0; i < arguments.size(); ++i)
        {
            const auto [name, attachedValue] = splitOption (arguments[i]);

            if (valueOptions.contains (name))
            {
                // Options that take a value take it attached with '=' or as the next argument.
                const auto value = attachedValue.has_value() ? *attachedValue : (i + 1 < arguments.size() ? arguments[++i] : juce::String());

                if (value.isEmpty())
                    result.error = name + " needs a value";
                else
                    result.error = readValueOption (name, value, reading);
            }
            else if (name == "--x2")
            {
                // A bare --x2 switches it on; --x2=off or --x2 off lets a command line overrule a
                // state file. Only the words are taken from the next argument: a number there
                // could as well be a file's name.
                const auto next = i + 1 < arguments.size() ? arguments[i + 1] : juce::String();
                const bool word = next.equalsIgnoreCase ("on") || next.equalsIgnoreCase ("off");

                if (attachedValue.has_value())
                    options.x2 = parseToggle (*attachedValue);
                else if (word)
                    options.x2 = parseToggle (arguments[++i]);
                else
                    options.x2 = 1.0f;

                if (! options.x2.has_value())
                    result.error = "--x2 takes on, off or a number from 0 to 1, not \"" + *attachedValue + "\"";
            }
            else if (attachedValue.has_value())
            {
                result.error = name + " takes no value";
            }
            else if (readSwitch (name, options))
            {
            }
            else if (name == "--")
            {
                for (++i; i < arguments.size(); ++i)
                    reading.positional.add (arguments[i]);
            }
            else if (name.startsWith ("-") && name != "-")
            {
                result.error = "unknown option " + name;
            }
            else
            {
                reading.positional.add (arguments[i]);
            }

            if (result.error.isNotEmpty())
                return result;
        }

        result.error = finish (reading, demoFolderVariable);
        return result;
    }

    juce::String helpText()
    {
        return juce::String (R"(Usage: tavine-render [options] INPUT OUTPUT
  or:  tavine-render --out-dir DIR [options] INPUT...
  or:  tavine-render --demo [options]

Runs audio files through Tavine. By default the processor compiled into this program is used:
the same code as the plug-ins. With --plugin a built plug-in binary is loaded instead, as a
host would load it.

INPUT is an audio file, mono or stereo, at any sample rate, in any format libsndfile reads:
WAV (every encoding, 64-bit float, u-law and A-law included), AIFF and AIFF-C, W64, RF64, CAF,
FLAC, Ogg Vorbis, Opus and MP3 among others. It is recognised by what it holds, whatever its
name. OUTPUT is written at the input's rate in the format its extension names: )") +
               SoundFile::knownExtensions() + R"(.
An output that exists is replaced only with --overwrite; the input is never written over.

Setting:
  --red X, --green X, --blue X
                      knob positions, numbers from 0 to 1 (default 0)
  --x2, --x2 on|off, --x2=on|off|X
                      switch x2 on (a bare --x2), off, or set its value from 0 to 1
  --state FILE        start from a state block saved by the plug-in (the bytes a host stores);
                      --red, --green, --blue and --x2 given as well override its values
  --save-state FILE   save the setting used, as the plug-in would save it; automated knobs
                      as the render leaves them, as a host saves them after playing the file
  --automate PARAM:VALUE@TIME[,VALUE@TIME...]
                      move a parameter during the render, as a host plays automation: PARAM
                      is red, green, blue, x2 or bypass, VALUE a number from 0 to 1 (or on or
                      off for x2 and bypass, which are on from 0.5), TIME seconds (2s, or a
                      bare 2) or milliseconds (1500ms) into the output, never going back.
                      The value holds the first point's value before it and the last's after
                      it; a knob goes in a straight line between two points, x2 and bypass
                      switch at each point: bypass:off@0s,on@3s bypasses from 3 s on. Two
                      points at one time make a jump. The value is set before each
                      block (--block) for the whole block, from the time the block starts at in
                      the output; before the first block, from time 0. Give it once for each
                      parameter; an automated knob takes no --red, --green, --blue or --x2, and
                      replaces the value --state gives it. Bypassed blocks go through the
                      processor's bypass, or with --plugin the plug-in format's own bypass.

Processing:
  --plugin PATH       process through a plug-in binary: a VST3 bundle (Tavine.vst3), a VST2
                      library (Tavine.so), an LV2 bundle (Tavine.lv2) or an LV2 URI
  --block N           samples per processing block, 1 to 65536 (default 512)
  --no-latency-compensation
                      keep the plug-in's delay: the output starts with its latency in silence
                      and lacks the input's last samples. By default the output lines up with
                      the input sample for sample and has its length.

Output:
  --bits 16|24|32     sample format: 16 or 24-bit integers, or 32-bit float. Defaults: 32-bit
                      float for WAV and AIFF, 24-bit for FLAC; compressed formats take none
  --no-dither         round integer output without dither. By default 16 and 24-bit output
                      gets TPDF dither of one step, the same for every run of a command.
                      Samples beyond full scale are clipped in integer output, and counted:
                      the renderer says how many and by how much. Float output never clips.
  --overwrite, -y     replace outputs that exist
  --meters FILE.csv   write the display history, one line per 25 ms point:
                        time        seconds into the input at which the point ends
                        level       the RMS level of both channels over the last 100 ms
                                    (linear)
                        steadiness  the steadiness meter's share of the point (0 to 1)
                        density     the density meter's share
                        transients  the transients meter's share
                      The three shares add up to 1. The window's history panel draws each
                      point as a bar as high as its level in decibels, on a range that follows
                      the material, coloured by the shares: steadiness in green, density in
                      red, transients in blue.
  --picture FILE.png  draw the plug-in's window (450 x 300) as it looks at the end of the file
  --scale K           draw the picture at display scale K, from 1 to 3: 2 draws it as a
                      display at 200 % shows it, 900 x 600, from the high-density artwork
  --quiet, -q         no progress bar (one is shown on a terminal for files over 5 seconds)

Many files:
  --out-dir DIR       render every INPUT into DIR under its own name, alike, in parallel;
                      DIR is created, with its parents, when it does not exist
  --format EXT        the format to write them in (default: each input's own)
  --jobs N            threads to spread the files over (default: one per core); renders
                      through --plugin run one at a time

Demo:
  --demo              render a built-in ten-second phrase (drums, bass and a bright pad) with
                      red 0.6, green 0.5, blue 0.7 unless set otherwise, and print where the
                      input, output, picture and meters went (replacing the last demo's)
  --demo-dir DIR      where --demo writes (default $TAVINE_DEMO_DIR, else ~/tavine-demo)

  --help, -h          show this text
  --version           show the version

With --plugin, the meters and the picture come from the built-in processor running alongside
on the same audio and setting: a hosted plug-in's window cannot be drawn without a display.

Nothing is left behind when a render fails or is interrupted: every file is written under a
temporary name next to its target and renamed at the end.

Exit status: 0 when done, 1 when a render failed (a file could not be read or written, a
plug-in could not be loaded; with --out-dir, when any file failed), 2 when the command line
was wrong, 128 plus the signal's number when interrupted (130 for Ctrl-C).
)";
    }

    juce::String versionText()
    {
        return "tavine-render " + juce::String (TAVINE_VERSION) + "\n";
    }
} // namespace ArgumentParser
