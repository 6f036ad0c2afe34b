#include "engine/HistoryBuffer.h"
#include "support/EngineProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace tavine;

TEST (HistoryBuffer, WindowAndPointSpacingFollowTheRate)
{
    struct Row
    {
        double rate;
        int windowLength, samplesPerPoint;
    };

    for (const auto row : { Row { 22050, 2205, 551 },
                            Row { 44100, 4410, 1102 },
                            Row { 48000, 4800, 1200 },
                            Row { 88200, 8820, 2205 },
                            Row { 96000, 9600, 2400 },
                            Row { 192000, 19200, 4800 } })
    {
        HistoryBuffer history (100.0, 0.025);
        history.setSampleRate (row.rate);
        EXPECT_EQ (history.getWindowLength(), row.windowLength) << row.rate;
        EXPECT_EQ (history.getSamplesPerPoint(), row.samplesPerPoint) << row.rate;

        int completedAt = 0;

        for (int i = 1; i <= row.samplesPerPoint && completedAt == 0; ++i)
            if (EngineProbe::pushSample (history, 0.5f, 0.5f))
                completedAt = i;

        EXPECT_EQ (completedAt, row.samplesPerPoint) << row.rate;
    }
}

TEST (HistoryBuffer, LevelsAreTheRmsOfBothChannels)
{
    HistoryBuffer history (100.0, 0.025);
    history.setSampleRate (44100.0);

    const auto feed = [&history] (bool rightToo) {
        float newest = 0.0f;

        for (int i = 0; i < 44100; ++i)
        {
            const float s = (float) std::sin (6.283185307179586 * 1000.0 * i / 44100.0);

            if (EngineProbe::pushSample (history, s, rightToo ? s : 0.0f))
            {
                juce::Array<float> levels;
                levels.resize (1);
                history.getLevelRing().copyNewestFirst (levels, 1);
                newest = levels[0];
            }
        }

        return newest;
    };

    EXPECT_NEAR (feed (true), 0.7071f, 0.0005f);
    history.setSampleRate (48000.0);
    history.setSampleRate (44100.0);
    EXPECT_NEAR (feed (false), 0.5f, 0.0005f);
}

TEST (HistoryBuffer, LevelsClimbWhileTheWindowFills)
{
    HistoryBuffer history (100.0, 0.025);
    history.setSampleRate (44100.0);
    std::vector<float> levels;

    for (int i = 0; i < 4410 + 1102; ++i)
        if (EngineProbe::pushSample (history, 0.5f, 0.5f))
        {
            juce::Array<float> newest;
            newest.resize (1);
            history.getLevelRing().copyNewestFirst (newest, 1);
            levels.push_back (newest[0]);
        }

    ASSERT_EQ (levels.size(), 5u);
    EXPECT_NEAR (levels[0], 0.5f * std::sqrt (1102.0f / 4410.0f), 1.0e-5f);

    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_GT (levels[i], levels[i - 1]);

    EXPECT_NEAR (levels[4], 0.5f, 1.0e-5f); // the window is full from the fifth point on
}

TEST (HistoryBuffer, NoiseFloorReadsAsExactSilence)
{
    HistoryBuffer history (100.0, 0.025);
    history.setSampleRate (44100.0);
    juce::Array<float> levels;
    levels.resize (10);

    for (int i = 0; i < 11020; ++i)
        EngineProbe::pushSample (history, 1.0e-7f * (float) ((i % 3) - 1), -0.9e-7f);

    history.getLevelRing().copyNewestFirst (levels, 10);

    for (auto level : levels)
        EXPECT_EQ (level, 0.0f);
}

TEST (HistoryBuffer, NewRateZeroesLevelsButKeepsColours)
{
    HistoryBuffer history (100.0, 0.025);

    for (int i = 0; i < 1102 * 6; ++i)
        if (EngineProbe::pushSample (history, 0.5f, 0.5f))
            history.pushColourCode (0x123456);

    history.setSampleRate (48000.0);

    juce::Array<float> levels;
    juce::Array<int> colours;
    levels.resize (6);
    colours.resize (6);
    history.getLevelRing().copyNewestFirst (levels, 6);
    history.getColourRing().copyNewestFirst (colours, 6);

    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ (levels[i], 0.0f);
        EXPECT_EQ (colours[i], 0x123456);
    }
}
