// The command line: the forms of each option, and where relative paths and the demo go.

#include "RenderTestSupport.h"

namespace
{
    const juce::File workingDirectory ("/work/dir");

    ArgumentParser::Result parse (const juce::StringArray& arguments, const juce::String& demoVariable = {})
    {
        return ArgumentParser::parse (arguments, workingDirectory, demoVariable);
    }

    TEST (ArgumentParser, TakesValuesAttachedOrSeparate)
    {
        const auto result = parse ({ "in.flac", "--red=0.25", "--green", "1", "--blue", "0", "sub/out.wav", "--block=1", "--bits", "24", "--no-latency-compensation", "-q" });
        ASSERT_EQ (result.error, "");
        const auto& options = result.options;

        EXPECT_EQ (options.input, workingDirectory.getChildFile ("in.flac"));
        EXPECT_EQ (options.output, workingDirectory.getChildFile ("sub/out.wav"));
        EXPECT_EQ (options.red, 0.25f);
        EXPECT_EQ (options.green, 1.0f);
        EXPECT_EQ (options.blue, 0.0f);
        EXPECT_FALSE (options.x2.has_value()) << "unset knobs stay unset, so a state file can set them";
        EXPECT_EQ (options.blockSize, 1);
        EXPECT_EQ (options.bitsPerSample, 24);
        EXPECT_FALSE (options.compensateLatency);
        EXPECT_TRUE (options.quiet);
    }

    TEST (ArgumentParser, ReadsTheToggleInItsForms)
    {
        EXPECT_EQ (parse ({ "a", "b", "--x2" }).options.x2, 1.0f);
        EXPECT_EQ (parse ({ "a", "b", "--x2=on" }).options.x2, 1.0f);
        EXPECT_EQ (parse ({ "a", "b", "--x2=OFF" }).options.x2, 0.0f);
        EXPECT_EQ (parse ({ "a", "b", "--x2=0.4" }).options.x2, 0.4f);

        // The words may also come as the next argument; anything else there stays a file.
        EXPECT_EQ (parse ({ "a", "b", "--x2", "on" }).options.x2, 1.0f);
        EXPECT_EQ (parse ({ "a", "b", "--x2", "Off" }).options.x2, 0.0f);
        EXPECT_EQ (parse ({ "a", "--x2", "b" }).options.output, workingDirectory.getChildFile ("b"));
        EXPECT_EQ (parse ({ "a", "--x2", "0.5" }).options.output, workingDirectory.getChildFile ("0.5"));
        EXPECT_EQ (parse ({ "--x2", "off", "a", "b" }).options.input, workingDirectory.getChildFile ("a"));
    }

    TEST (ArgumentParser, ReadsTheOutputChoices)
    {
        const auto defaults = parse ({ "a", "b" }).options;
        EXPECT_EQ (defaults.bitsPerSample, 0) << "the format's own default";
        EXPECT_TRUE (defaults.dither);
        EXPECT_FALSE (defaults.overwrite);

        const auto chosen = parse ({ "a", "b", "--no-dither", "-y" }).options;
        EXPECT_FALSE (chosen.dither);
        EXPECT_TRUE (chosen.overwrite);
        EXPECT_TRUE (parse ({ "a", "b", "--overwrite" }).options.overwrite);

        EXPECT_TRUE (parse ({ "--version" }).options.showVersion);
        EXPECT_EQ (ArgumentParser::versionText(), "tavine-render 1.1.0\n");
    }

    TEST (ArgumentParser, TakesManyInputsForAnOutputFolder)
    {
        const auto result = parse ({ "--out-dir", "rendered", "a.wav", "b.flac", "--format", ".FLAC", "--jobs", "3", "c.aiff" });
        ASSERT_EQ (result.error, "");
        const auto& options = result.options;

        EXPECT_EQ (options.outputFolder, workingDirectory.getChildFile ("rendered"));
        EXPECT_EQ (options.inputs, juce::Array<juce::File> ({ workingDirectory.getChildFile ("a.wav"), workingDirectory.getChildFile ("b.flac"), workingDirectory.getChildFile ("c.aiff") }));
        EXPECT_EQ (options.outputFormat, "flac");
        EXPECT_EQ (options.jobs, 3);

        EXPECT_NE (parse ({ "--out-dir", "rendered" }).error, "");
        EXPECT_NE (parse ({ "a", "b", "--jobs", "2" }).error, "");
        EXPECT_NE (parse ({ "--out-dir", "x", "a", "--picture", "p.png" }).error, "");
        EXPECT_NE (parse ({ "--out-dir", "x", "--demo" }).error, "");
    }

    TEST (ArgumentParser, TakesADisplayScaleForThePicture)
    {
        EXPECT_EQ (parse ({ "a", "b", "--picture", "p.png", "--scale", "2" }).options.pictureScale, 2.0f);
        EXPECT_EQ (parse ({ "a", "b", "--picture", "p.png", "--scale=1.25" }).options.pictureScale, 1.25f);
        EXPECT_EQ (parse ({ "--demo", "--scale", "3" }).options.pictureScale, 3.0f);
        EXPECT_FALSE (parse ({ "a", "b", "--picture", "p.png" }).options.pictureScale.has_value());

        for (const char* scale : { "0.5", "3.5", "2x", "nan", "" })
            EXPECT_NE (parse ({ "a", "b", "--picture", "p.png", "--scale", scale }).error, "") << scale;

        // Without a picture there is nothing to scale.
        EXPECT_NE (parse ({ "a", "b", "--scale", "2" }).error, "");
    }

    TEST (ArgumentParser, ReadsAutomationInSecondsMillisecondsAndWords)
    {
        const auto result = parse ({ "a", "b", "--automate", "green:0@0s,0.5@250ms,1@2", "--automate=x2:off@0.5s,on@1500ms", "--automate", "bypass:0@0,ON@3s,off@3s", "--red", "0.1" });
        ASSERT_EQ (result.error, "");
        const auto& lanes = result.options.automation;
        ASSERT_EQ (lanes.size(), 3u);
        EXPECT_EQ (result.options.red, 0.1f) << "a knob not automated may still be set";

        EXPECT_EQ (lanes[0].getParameter(), "green");
        EXPECT_FLOAT_EQ (lanes[0].valueAt (0.125), 0.25f);
        EXPECT_FLOAT_EQ (lanes[0].valueAt (0.25), 0.5f);
        EXPECT_FLOAT_EQ (lanes[0].valueAt (1.125), 0.75f) << "a bare time is in seconds";

        // On and off are 1 and 0; a switch holds each point's value up to the next one.
        EXPECT_EQ (lanes[1].getParameter(), "x2");
        EXPECT_EQ (lanes[1].valueAt (1.4999), 0.0f);
        EXPECT_EQ (lanes[1].valueAt (1.5), 1.0f);
        EXPECT_FALSE (lanes[1].isBypass());

        EXPECT_TRUE (lanes[2].isBypass());
        EXPECT_EQ (lanes[2].valueAt (2.999), 0.0f);
        EXPECT_EQ (lanes[2].valueAt (3.0), 0.0f) << "the later of two points at one time holds from it";
    }

    TEST (ArgumentParser, TreatsEverythingAfterADoubleDashAsFiles)
    {
        const auto result = parse ({ "--", "--odd name.wav", "-out.wav" });
        ASSERT_EQ (result.error, "");
        EXPECT_EQ (result.options.input, workingDirectory.getChildFile ("--odd name.wav"));
        EXPECT_EQ (result.options.output, workingDirectory.getChildFile ("-out.wav"));
    }

    TEST (ArgumentParser, FindsTheDemoFolder)
    {
        EXPECT_EQ (parse ({ "--demo" }).options.demoFolder, juce::File ("~/tavine-demo"));
        EXPECT_EQ (parse ({ "--demo" }, "/from/variable").options.demoFolder, juce::File ("/from/variable"));
        EXPECT_EQ (parse ({ "--demo", "--demo-dir", "here" }, "/from/variable").options.demoFolder, workingDirectory.getChildFile ("here"));

        EXPECT_NE (parse ({ "--demo", "in.wav" }).error, "");
        EXPECT_NE (parse ({ "in.wav", "out.wav", "--demo-dir", "x" }).error, "");
    }

    TEST (ArgumentParser, KeepsAnLv2UriAsItIs)
    {
        EXPECT_EQ (parse ({ "a", "b", "--plugin", "https://wemb.audio/plugins/tavine" }).options.pluginPath, "https://wemb.audio/plugins/tavine");
        EXPECT_EQ (parse ({ "a", "b", "--plugin", "Tavine.vst3" }).options.pluginPath, workingDirectory.getChildFile ("Tavine.vst3").getFullPathName());
    }
} // namespace
