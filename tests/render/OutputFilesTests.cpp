// What a render leaves besides the audio: the saved state, the meter history and the picture
// of the window; and what it prints.

#include "RenderTestSupport.h"
#include "editor/EditorLayout.h"
#include "support/Images.h"

namespace
{
    using test::stateSavedByThePlugin;

    TEST (RenderState, AStateSavedByThePluginGivesItsSetting)
    {
        test::ScratchFolder folder;
        test::writeWav (folder["in.wav"], test::makeProgramme (2, 20000, 48000.0), 48000.0);

        const auto saved = stateSavedByThePlugin ({ 0.25f, 0.5f, 1.0f, 0.75f });
        folder["plugin.state"].replaceWithData (saved.getData(), saved.getSize());

        ASSERT_EQ (test::render (folder, { "in.wav", "from-state.wav", "--state", "plugin.state", "--save-state", "again.state" }), "");
        ASSERT_EQ (test::render (folder, { "in.wav", "from-knobs.wav", "--red", "0.25", "--green", "0.5", "--blue", "1", "--x2=0.75" }), "");

        EXPECT_EQ (test::maxDifference (test::readAudio (folder["from-state.wav"]).samples, test::readAudio (folder["from-knobs.wav"]).samples), 0.0f);

        // The block saved back is the one the plug-in saved, byte for byte.
        juce::MemoryBlock again;
        ASSERT_TRUE (folder["again.state"].loadFileAsData (again));
        EXPECT_EQ (again, saved);
    }

    TEST (RenderState, KnobsOnTheCommandLineOverrideTheState)
    {
        test::ScratchFolder folder;
        const auto saved = stateSavedByThePlugin ({ 0.25f, 0.5f, 1.0f, 1.0f });
        folder["plugin.state"].replaceWithData (saved.getData(), saved.getSize());

        ParameterValues values;
        juce::MemoryBlock block;
        ASSERT_TRUE (RenderJob::resolveSetting (test::parse (folder, { "a.wav", "b.wav", "--state", "plugin.state", "--green", "0", "--x2=off" }), values, block));

        EXPECT_EQ (values.red, 0.25f);
        EXPECT_EQ (values.green, 0.0f);
        EXPECT_EQ (values.blue, 1.0f);
        EXPECT_EQ (values.x2, 0.0f);
        EXPECT_EQ (block, stateSavedByThePlugin (values));
    }

    std::vector<juce::StringArray> readCsv (const juce::File& file)
    {
        juce::StringArray lines;
        file.readLines (lines);
        lines.removeEmptyStrings();

        std::vector<juce::StringArray> rows;

        for (const auto& line : lines)
            rows.push_back (juce::StringArray::fromTokens (line, ",", {}));

        return rows;
    }

    TEST (RenderMeters, WriteOnePointPer25msAlignedWithTheInput)
    {
        // Two seconds of silence, then two of material: the levels must rise at two seconds.
        test::ScratchFolder folder;
        const double rate = 48000.0;
        auto input = test::makeProgramme (2, (int) (4 * rate), rate);
        input.clear (0, (int) (2 * rate));
        test::writeWav (folder["in.wav"], input, rate);

        ASSERT_EQ (test::render (folder, { "in.wav", "out.wav", "--meters", "meters.csv", "--red", "0.5" }), "");

        const auto rows = readCsv (folder["meters.csv"]);
        ASSERT_FALSE (rows.empty());
        EXPECT_EQ (rows[0].joinIntoString (","), "time,level,steadiness,density,transients");
        EXPECT_EQ ((int) rows.size() - 1, 160) << "one point per 25 ms of input";

        double previousTime = 0.0;

        for (size_t i = 1; i < rows.size(); ++i)
        {
            const auto& row = rows[i];
            ASSERT_EQ (row.size(), 5) << "line " << i;
            const auto time = row[0].getDoubleValue();
            const auto level = row[1].getDoubleValue();
            const auto shares = row[2].getDoubleValue() + row[3].getDoubleValue() + row[4].getDoubleValue();

            EXPECT_NEAR (time - previousTime, i == 1 ? time : 0.025, 1.0e-3) << "line " << i;
            previousTime = time;

            for (int column = 2; column < 5; ++column)
                EXPECT_TRUE (row[column].getDoubleValue() >= 0.0 && row[column].getDoubleValue() <= 1.0) << "line " << i;

            if (time < 1.95)
            {
                EXPECT_LT (level, 1.0e-3) << "silence at " << time;
            }

            if (time > 2.15)
            {
                EXPECT_GT (level, 0.1) << "material at " << time;
                EXPECT_NEAR (shares, 1.0, 0.02) << "line " << i;
            }
        }
    }

    TEST (RenderPicture, DrawsTheWindowAsTheFileLeftIt)
    {
        test::ScratchFolder folder;
        const double rate = 44100.0;
        auto loud = test::makeProgramme (2, (int) (3 * rate), rate);
        auto silent = loud;
        silent.clear();
        test::writeWav (folder["loud.wav"], loud, rate);
        test::writeWav (folder["silent.wav"], silent, rate);

        ASSERT_EQ (test::render (folder, { "loud.wav", "a.wav", "--picture", "loud.png", "--red", "0.5", "--green", "0.5", "--blue", "0.5" }), "");
        ASSERT_EQ (test::render (folder, { "silent.wav", "b.wav", "--picture", "silent.png", "--red", "0.5", "--green", "0.5", "--blue", "0.5" }), "");

        const auto loudPicture = juce::ImageFileFormat::loadFrom (folder["loud.png"]);
        const auto silentPicture = juce::ImageFileFormat::loadFrom (folder["silent.png"]);
        ASSERT_TRUE (loudPicture.isValid());
        EXPECT_EQ (loudPicture.getWidth(), EditorLayout::width);
        EXPECT_EQ (loudPicture.getHeight(), EditorLayout::height);

        // The history panel shows the material; after silence it stays dark.
        const auto panel = EditorLayout::displayWindow;
        EXPECT_GT (test::differingPixels (loudPicture, silentPicture, panel), panel.getWidth() * panel.getHeight() / 10) << "the history panel should show the loud file";

        // At a display scale the same window, drawn larger from the high-density artwork.
        ASSERT_EQ (test::render (folder, { "loud.wav", "c.wav", "--picture", "large.png", "--scale", "1.5", "--red", "0.5", "--green", "0.5", "--blue", "0.5" }), "");
        const auto largePicture = juce::ImageFileFormat::loadFrom (folder["large.png"]);
        ASSERT_TRUE (largePicture.isValid());
        EXPECT_EQ (largePicture.getWidth(), 675);
        EXPECT_EQ (largePicture.getHeight(), 450);
    }

    TEST (RenderProgram, StaysQuietWhenNotOnATerminal)
    {
        // Long enough for a progress bar, but standard error is a pipe here.
        test::ScratchFolder folder;
        test::writeWav (folder["in.wav"], test::makeProgramme (2, 6 * 44100, 44100.0), 44100.0);

        const auto run = test::runProgram ({ folder["in.wav"].getFullPathName(), folder["out.wav"].getFullPathName() });
        EXPECT_EQ (run.exitCode, 0);
        EXPECT_EQ (run.output, "");
        EXPECT_TRUE (folder["out.wav"].existsAsFile());
    }

    TEST (RenderProgram, HelpDocumentsEveryOption)
    {
        const auto run = test::runProgram ({ "--help" });
        EXPECT_EQ (run.exitCode, 0);

        for (const auto* option : { "--red", "--green", "--blue", "--x2", "--state", "--save-state", "--plugin", "--block", "--no-latency-compensation", "--bits", "--meters", "--picture", "--quiet", "--demo", "--demo-dir", "--automate" })
            EXPECT_TRUE (run.output.contains (option)) << option;
    }
} // namespace
