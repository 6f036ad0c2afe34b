// A folder of stems processed alike: each file as a render of its own would make it, a file
// that fails reported without stopping the others, and a summary that adds up.

#include "RenderTestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

namespace
{
    /** Stems of different formats and lengths, and one that is not audio at all. They are all
        WAV inside, whatever their names say: inputs are known by what they hold, outputs take
        the format their names give. */
    struct Stems
    {
        test::ScratchFolder folder;

        Stems()
        {
            folder["out"].createDirectory();
            folder["sub"].createDirectory();
            test::writeWav (folder["drums.wav"], test::makeProgramme (2, 30000, 48000.0), 48000.0);
            test::writeWav (folder["bass.aiff"], test::makeProgramme (1, 20000, 44100.0), 44100.0, 24);
            test::writeWav (folder["pad.flac"], test::makeProgramme (2, 25000, 96000.0), 96000.0, 24);
            folder["notes.wav"].replaceWithText ("not audio");
        }

        juce::String operator() (const char* name) const { return folder[name].getFullPathName(); }
    };

    TEST (BatchRender, RendersEveryFileAsASingleRenderWouldAndReportsTheOneThatFails)
    {
        Stems stems;
        const auto run = test::runProgram ({ "--out-dir", stems ("out"), "--jobs", "2", "--red", "0.7", "--bits", "24", stems ("drums.wav"), stems ("notes.wav"), stems ("bass.aiff"), stems ("pad.flac") });

        EXPECT_EQ (run.exitCode, 1) << "one file failed";
        EXPECT_TRUE (run.output.contains ("tavine-render: " + stems ("notes.wav") + ": ")) << run.output;
        EXPECT_TRUE (run.output.contains ("Rendered 3 of 4 files into " + stems ("out") + "; 1 failed.")) << run.output;

        const auto out = test::ScratchFolder::listOf (stems.folder["out"]);
        EXPECT_EQ (out, juce::StringArray ({ "bass.aiff", "drums.wav", "pad.flac" })) << "each in its own format, nothing half-written";
        EXPECT_TRUE (stems.folder["out"].getChildFile ("pad.flac").loadFileAsString().startsWith ("fLaC"));
        EXPECT_TRUE (stems.folder["out"].getChildFile ("bass.aiff").loadFileAsString().startsWith ("FORM"));

        // Each the same, sample for sample, as a render of its own (the same fixed noise floor
        // and dither), whichever thread made it.
        for (const auto* name : { "drums.wav", "bass.aiff", "pad.flac" })
        {
            ASSERT_EQ (test::render (stems.folder, { name, juce::String ("sub/") + name, "--red", "0.7", "--bits", "24" }), "");
            EXPECT_EQ (test::maxDifference (test::readAudio (stems.folder["out"].getChildFile (name)).samples, test::readAudio (stems.folder["sub"].getChildFile (name)).samples), 0.0f) << name;
        }
    }

    TEST (BatchRender, CreatesTheOutputFolderWithItsParentsAndRemovesItWhenNothingWasWritten)
    {
        Stems stems;
        const auto nested = stems.folder["new"].getChildFile ("mixes/processed");
        const auto made = test::runProgram ({ "--out-dir", nested.getFullPathName(), stems ("drums.wav") });

        EXPECT_EQ (made.exitCode, 0) << made.output;
        EXPECT_EQ (test::ScratchFolder::listOf (nested), juce::StringArray ({ "drums.wav" }));

        // Every input failed: the folders this run would have made are not left behind, empty.
        const auto failed = test::runProgram ({ "--out-dir", stems.folder["never"].getChildFile ("made").getFullPathName(), stems ("notes.wav") });
        EXPECT_EQ (failed.exitCode, 1) << failed.output;
        EXPECT_FALSE (stems.folder["never"].exists());

        // ...but a folder that was there already stays, and so does what it held.
        const auto kept = test::runProgram ({ "--out-dir", stems ("sub"), stems ("notes.wav") });
        EXPECT_EQ (kept.exitCode, 1) << kept.output;
        EXPECT_TRUE (stems.folder["sub"].isDirectory());
    }

    TEST (BatchRender, AFolderThatCannotBeCreatedIsRefusedBeforeAnythingRuns)
    {
        if (geteuid() == 0)
            GTEST_SKIP() << "file permissions do not bind the super-user";

        Stems stems;
        ASSERT_EQ (chmod (stems ("sub").toRawUTF8(), 0555), 0);
        const auto run = test::runProgram ({ "--out-dir", stems.folder["sub"].getChildFile ("a/b").getFullPathName(), stems ("drums.wav"), stems ("pad.flac") });
        chmod (stems ("sub").toRawUTF8(), 0755);

        EXPECT_EQ (run.exitCode, 1);
        EXPECT_EQ (run.output.trim().indexOfChar ('\n'), -1) << "one line: " << run.output;
        EXPECT_TRUE (run.output.contains ("cannot create the output folder " + stems.folder["sub"].getChildFile ("a/b").getFullPathName() + ": ")) << run.output;
        EXPECT_EQ (test::ScratchFolder::listOf (stems.folder["sub"]), juce::StringArray());
    }

    TEST (BatchRender, WritesTheFormatAskedForAndKeepsExistingFilesUnlessTold)
    {
        Stems stems;
        const auto first = test::runProgram ({ "--out-dir", stems ("out"), "--format", ".flac", stems ("drums.wav"), stems ("bass.aiff") });
        EXPECT_EQ (first.exitCode, 0) << first.output;
        EXPECT_TRUE (first.output.contains ("Rendered 2 of 2 files into")) << first.output;
        EXPECT_EQ (test::ScratchFolder::listOf (stems.folder["out"]), juce::StringArray ({ "bass.flac", "drums.flac" }));

        // Again: both exist now.
        const auto again = test::runProgram ({ "--out-dir", stems ("out"), "--format", "flac", stems ("drums.wav"), stems ("bass.aiff") });
        EXPECT_EQ (again.exitCode, 1);
        EXPECT_TRUE (again.output.contains ("exists; add --overwrite (-y) to replace it")) << again.output;
        EXPECT_TRUE (again.output.contains ("Rendered 0 of 2 files")) << again.output;

        const auto replaced = test::runProgram ({ "-y", "--out-dir", stems ("out"), "--format", "flac", stems ("drums.wav"), stems ("bass.aiff") });
        EXPECT_EQ (replaced.exitCode, 0) << replaced.output;
    }

    TEST (BatchRender, RefusesTwoInputsForOneOutputBeforeRenderingAnything)
    {
        Stems stems;
        test::writeWav (stems.folder["sub"].getChildFile ("drums.wav"), test::makeProgramme (1, 1000, 44100.0), 44100.0);

        const auto run = test::runProgram ({ "--out-dir", stems ("out"), stems ("drums.wav"), stems ("bass.aiff"), stems.folder["sub"].getChildFile ("drums.wav").getFullPathName() });
        EXPECT_EQ (run.exitCode, 1);
        EXPECT_TRUE (run.output.contains ("would both be written to " + stems.folder["out"].getChildFile ("drums.wav").getFullPathName())) << run.output;
        EXPECT_EQ (test::ScratchFolder::listOf (stems.folder["out"]), juce::StringArray());
    }

    TEST (BatchRender, AnInputWhoseNameGivesNoFormatNeedsOne)
    {
        Stems stems;
        stems.folder["drums.wav"].copyFileTo (stems.folder["drums.raw-take"]);

        const auto run = test::runProgram ({ "--out-dir", stems ("out"), stems ("drums.raw-take"), stems ("bass.aiff") });
        EXPECT_EQ (run.exitCode, 1);
        EXPECT_TRUE (run.output.contains ("cannot tell the format to write for drums.raw-take from its name: give --format")) << run.output;
        EXPECT_EQ (test::ScratchFolder::listOf (stems.folder["out"]), juce::StringArray ("bass.aiff"));
    }
} // namespace
