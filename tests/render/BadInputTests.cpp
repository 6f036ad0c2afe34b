// Every way a render can be asked to do the impossible: one line saying why, the right exit
// status, and no output file (nor a temporary one) left behind.

#include "RenderTestSupport.h"

#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
    constexpr int renderFailed = 1;
    constexpr int badCommandLine = 2;

    struct BadInputCase
    {
        const char* name;
        std::vector<const char*> arguments; // a leading "@" stands for the scratch folder
        int exitCode;
        const char* message;
    };

    class BadInput : public testing::TestWithParam<BadInputCase>
    {
    protected:
        void SetUp() override
        {
            const double rate = 44100.0;
            test::writeWav (folder["in.wav"], test::makeProgramme (2, 4410, rate), rate);
            test::writeWav (folder["three.wav"], test::makeProgramme (3, 4410, rate), rate);

            folder["text.wav"].replaceWithText ("These are not the samples you are looking for.\n");
            const char junkFlac[] = "fLaC\0\0\0\x22 no stream info here";
            folder["junk.flac"].replaceWithData (junkFlac, sizeof (junkFlac) - 1);
            folder["not-a-state.bin"].replaceWithText ("<ZARIVIR red=\"0.5\"/>");
            juce::MemoryBlock state;
            ZarivirAudioProcessor().getStateInformation (state);
            folder["plugin.state"].replaceWithData (state.getData(), state.getSize());
            folder["empty.state"].create();

            // A header that promises a second of audio, and a file that stops after a tenth.
            test::writeWav (folder["long.wav"], test::makeProgramme (2, 44100, rate), rate);
            juce::MemoryBlock whole;
            folder["long.wav"].loadFileAsData (whole);
            folder["truncated.wav"].replaceWithData (whole.getData(), whole.getSize() / 10);
            folder["long.wav"].deleteFile();

            folder["folder.wav"].createDirectory();
            inputs = folder.list();
        }

        test::ScratchFolder folder;
        juce::StringArray inputs;
    };

    TEST_P (BadInput, IsRefusedWithOneLineAndLeavesNothingBehind)
    {
        const auto& badCase = GetParam();
        juce::StringArray arguments;

        // Only at the start: automation points hold an '@' of their own.
        for (const auto* argument : badCase.arguments)
            arguments.add (argument[0] == '@' ? folder.get().getFullPathName() + (argument + 1) : juce::String (argument));

        const auto run = test::runProgram (arguments);

        EXPECT_EQ (run.exitCode, badCase.exitCode) << run.output;
        EXPECT_TRUE (run.output.startsWith ("tavine-render: ")) << run.output;
        EXPECT_TRUE (run.output.contains (badCase.message)) << run.output;
        EXPECT_EQ (run.output.trimEnd().indexOfChar ('\n'), -1) << "one line, not:\n"
                                                                << run.output;
        EXPECT_EQ (folder.list(), inputs) << "files left behind";
    }

    // Outputs that come after a first one on the command line check that the first one's
    // temporary file goes too.
    INSTANTIATE_TEST_SUITE_P (
        Cases,
        BadInput,
        testing::Values (
            BadInputCase { "MissingInput", { "@/absent.wav", "@/out.wav" }, renderFailed, "cannot find the input" },
            BadInputCase { "FolderAsInput", { "@/folder.wav", "@/out.wav" }, renderFailed, "is a folder" },
            BadInputCase { "TextAsInput", { "@/text.wav", "@/out.wav" }, renderFailed, "is not an audio file that can be read" },
            BadInputCase { "BrokenFlac", { "@/junk.flac", "@/out.wav" }, renderFailed, "is not an audio file that can be read" },
            BadInputCase { "TruncatedWav", { "@/truncated.wav", "@/out.wav" }, renderFailed, "is damaged" },
            BadInputCase { "ThreeChannels", { "@/three.wav", "@/out.wav" }, renderFailed, "has 3 channels" },
            BadInputCase { "KnobAboveOne", { "@/in.wav", "@/out.wav", "--red", "1.5" }, badCommandLine, "--red takes a number from 0 to 1" },
            BadInputCase { "KnobBelowZero", { "@/in.wav", "@/out.wav", "--green=-0.1" }, badCommandLine, "--green takes a number from 0 to 1" },
            BadInputCase { "KnobNotANumber", { "@/in.wav", "@/out.wav", "--blue", "loud" }, badCommandLine, "--blue takes a number from 0 to 1" },
            BadInputCase { "KnobNaN", { "@/in.wav", "@/out.wav", "--blue", "nan" }, badCommandLine, "--blue takes a number from 0 to 1" },
            BadInputCase { "KnobWithComma", { "@/in.wav", "@/out.wav", "--red", "0,5" }, badCommandLine, "--red takes a number from 0 to 1" },
            BadInputCase { "KnobWithoutValue", { "@/in.wav", "@/out.wav", "--red" }, badCommandLine, "--red needs a value" },
            BadInputCase { "ToggleWord", { "@/in.wav", "@/out.wav", "--x2=maybe" }, badCommandLine, "--x2 takes on, off" },
            BadInputCase { "AutomateWithoutParameter", { "@/in.wav", "@/out.wav", "--automate", "0@0s,1@2s" }, badCommandLine, "--automate takes PARAM:VALUE@TIME[,VALUE@TIME...]" },
            BadInputCase { "AutomateUnknownParameter", { "@/in.wav", "@/out.wav", "--automate", "loud:0@0s" }, badCommandLine, "--automate takes red, green, blue, x2 or bypass, not \"loud\"" },
            BadInputCase { "AutomateWithoutPoints", { "@/in.wav", "@/out.wav", "--automate", "red:" }, badCommandLine, "--automate red takes points VALUE@TIME" },
            BadInputCase { "AutomateValueAboveOne", { "@/in.wav", "@/out.wav", "--automate", "green:0@0s,1.5@1s" }, badCommandLine, "--automate green takes a number from 0 to 1, not \"1.5\"" },
            BadInputCase { "AutomateKnobWord", { "@/in.wav", "@/out.wav", "--automate", "blue:on@0s" }, badCommandLine, "--automate blue takes a number from 0 to 1, not \"on\"" },
            BadInputCase { "AutomateToggleWord", { "@/in.wav", "@/out.wav", "--automate", "bypass:maybe@0s" }, badCommandLine, "--automate bypass takes on, off or a number from 0 to 1" },
            BadInputCase { "AutomateTimeUnit", { "@/in.wav", "@/out.wav", "--automate", "x2:on@2min" }, badCommandLine, "--automate x2 takes times from 0 on in seconds (2s, 2.5) or milliseconds (1500ms), not \"2min\"" },
            BadInputCase { "AutomateNegativeTime", { "@/in.wav", "@/out.wav", "--automate", "x2:on@-1s" }, badCommandLine, "--automate x2 takes times from 0 on" },
            BadInputCase { "AutomateTimeGoesBack", { "@/in.wav", "@/out.wav", "--automate", "red:0@2s,1@1500ms" }, badCommandLine, "--automate red: 1500ms comes after 2s; times must not go back" },
            BadInputCase { "AutomateTwice", { "@/in.wav", "@/out.wav", "--automate", "red:0@0s", "--automate", "red:1@1s" }, badCommandLine, "--automate red is given twice" },
            BadInputCase { "AutomateAFixedKnob", { "@/in.wav", "@/out.wav", "--automate", "green:0@0s", "--green", "1" }, badCommandLine, "--green and --automate green both set green; give one" },
            BadInputCase { "UnknownOption", { "@/in.wav", "@/out.wav", "--louder" }, badCommandLine, "unknown option --louder" },
            BadInputCase { "BlockZero", { "@/in.wav", "@/out.wav", "--block", "0" }, badCommandLine, "--block takes a whole number" },
            BadInputCase { "BlockTooLong", { "@/in.wav", "@/out.wav", "--block", "65537" }, badCommandLine, "--block takes a whole number" },
            BadInputCase { "EightBits", { "@/in.wav", "@/out.wav", "--bits", "8" }, badCommandLine, "--bits takes 16, 24 or 32" },
            BadInputCase { "NoOutput", { "@/in.wav" }, badCommandLine, "no output file given" },
            BadInputCase { "OutputInMissingFolder", { "@/in.wav", "@/nowhere/out.wav" }, renderFailed, "does not exist" },
            BadInputCase { "OutputIsAFolder", { "@/in.wav", "@/folder.wav" }, renderFailed, "it is a folder" },
            BadInputCase { "PictureInMissingFolder", { "@/in.wav", "@/out.wav", "--picture", "@/nowhere/p.png" }, renderFailed, "does not exist" },
            BadInputCase { "SavedStateInMissingFolder", { "@/in.wav", "@/out.wav", "--meters", "@/m.csv", "--save-state", "@/nowhere/s.bin" }, renderFailed, "does not exist" },
            BadInputCase { "StateNotABlock", { "@/in.wav", "@/out.wav", "--state", "@/not-a-state.bin" }, renderFailed, "is not a valid Tavine state block" },
            BadInputCase { "StateEmpty", { "@/in.wav", "@/out.wav", "--state", "@/empty.state" }, renderFailed, "is not a valid Tavine state block" },
            BadInputCase { "StateMissing", { "@/in.wav", "@/out.wav", "--state", "@/absent.state" }, renderFailed, "cannot find the state file" },
            BadInputCase { "PluginMissing", { "@/in.wav", "@/out.wav", "--plugin", "@/absent.vst3" }, renderFailed, "cannot find the plug-in" },
            BadInputCase { "PluginNotABinary", { "@/in.wav", "@/out.wav", "--meters", "@/m.csv", "--plugin", "@/text.wav" }, renderFailed, "cannot load" },
            BadInputCase { "OutputIsTheInput", { "@/in.wav", "@/in.wav", "-y" }, renderFailed, "is the input; write the result to another file" },
            BadInputCase { "OutputIsTheStateFile", { "@/in.wav", "@/out.wav", "--state", "@/plugin.state", "--save-state", "@/plugin.state", "-y" }, renderFailed, "is the state file" },
            BadInputCase { "OneFileForTwoOutputs", { "@/in.wav", "@/out.wav", "--meters", "@/out.wav" }, renderFailed, "is named for two outputs" },
            BadInputCase { "OutputExists", { "@/in.wav", "@/three.wav" }, renderFailed, "exists; add --overwrite (-y) to replace it" },
            BadInputCase { "UnknownExtension", { "@/in.wav", "@/out.xyz" }, renderFailed, "cannot tell the format to write from the name out.xyz: end it in .wav, .aiff, .aif, .flac" },
            BadInputCase { "NoExtension", { "@/in.wav", "@/out" }, renderFailed, "cannot tell the format to write" },
            BadInputCase { "FloatFlac", { "@/in.wav", "@/out.flac", "--bits", "32" }, renderFailed, "FLAC stores 16 or 24-bit samples, not 32-bit ones" },
            BadInputCase { "BitsForCompressed", { "@/in.wav", "@/out.mp3", "--bits", "16" }, renderFailed, "--bits does not apply to MP3" },
            BadInputCase { "OpusAt44100", { "@/in.wav", "@/out.opus" }, renderFailed, "Opus stores 8, 12, 16, 24 or 48 kHz audio, not 44100 Hz" },
            BadInputCase { "FormatWithoutFolder", { "@/in.wav", "@/out.wav", "--format", "flac" }, badCommandLine, "--format goes with --out-dir" },
            BadInputCase { "UnknownFormat", { "--out-dir", "@", "@/in.wav", "--format", "doc" }, badCommandLine, "--format takes one of .wav" },
            BadInputCase { "NoJobs", { "--out-dir", "@", "@/in.wav", "--jobs", "0" }, badCommandLine, "--jobs takes a whole number" },
            BadInputCase { "MetersInABatch", { "--out-dir", "@/folder.wav", "@/in.wav", "--meters", "@/m.csv" }, badCommandLine, "do not go with --out-dir" },
            BadInputCase { "BatchIntoAFile", { "--out-dir", "@/three.wav", "@/in.wav" }, renderFailed, "three.wav is a file, not a folder" },
            BadInputCase { "BatchBelowAFile", { "--out-dir", "@/three.wav/stems/processed", "@/in.wav" }, renderFailed, "cannot create the output folder" }),
        [] (const auto& instance) { return std::string (instance.param.name); });

    TEST (BadInputPermissions, AnUnreadableInputAndAnUnwritableFolderAreRefused)
    {
        if (geteuid() == 0)
            GTEST_SKIP() << "file permissions do not bind the super-user";

        test::ScratchFolder folder;
        test::writeWav (folder["in.wav"], test::makeProgramme (1, 1000, 44100.0), 44100.0);
        folder["locked"].createDirectory();
        ASSERT_TRUE (folder["in.wav"].setReadOnly (true));
        ASSERT_EQ (chmod (folder["in.wav"].getFullPathName().toRawUTF8(), 0), 0);
        ASSERT_EQ (chmod (folder["locked"].getFullPathName().toRawUTF8(), 0555), 0);

        const auto unreadable = test::runProgram ({ folder["in.wav"].getFullPathName(), folder["out.wav"].getFullPathName() });
        EXPECT_EQ (unreadable.exitCode, renderFailed);
        EXPECT_TRUE (unreadable.output.contains ("cannot read the input")) << unreadable.output;

        chmod (folder["in.wav"].getFullPathName().toRawUTF8(), 0644);
        const auto unwritable = test::runProgram ({ folder["in.wav"].getFullPathName(), folder["locked"].getChildFile ("out.wav").getFullPathName() });
        EXPECT_EQ (unwritable.exitCode, renderFailed);
        EXPECT_TRUE (unwritable.output.contains ("cannot write")) << unwritable.output;
        EXPECT_EQ (folder["locked"].getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);

        chmod (folder["locked"].getFullPathName().toRawUTF8(), 0755);
    }

    /** A processor that goes wrong after a while, as a damaged binary might: one sample of
        the right channel becomes infinite. */
    class FailingProcessor : public ZarivirAudioProcessor
    {
    public:
        void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
        {
            ZarivirAudioProcessor::processBlock (buffer, midi);
            const auto position = processed;
            processed += buffer.getNumSamples();

            if (position <= failAt && failAt < processed)
                buffer.setSample (buffer.getNumChannels() - 1, (int) (failAt - position), std::numeric_limits<float>::infinity());
        }

        juce::int64 failAt = 30000, processed = 0;
    };

    TEST (BadOutput, ANonFiniteSampleFailsTheRenderAndLeavesNoFile)
    {
        test::ScratchFolder folder;
        test::writeWav (folder["in.wav"], test::makeProgramme (2, 44100, 44100.0), 44100.0);

        test::JobWithSource job (test::parse (folder, { "in.wav", "out.wav", "--meters", "m.csv", "--save-state", "s.state" }), [] { return std::make_unique<test::SourceAround<FailingProcessor>> ("the failing processor"); });
        const auto message = job.run().getErrorMessage();

        EXPECT_TRUE (message.startsWith ("the render went wrong: the failing processor produced a sample that is not a number at ")) << message;
        EXPECT_FALSE (message.containsChar ('\n'));
        EXPECT_EQ (folder.list(), juce::StringArray ("in.wav"));
    }
} // namespace
