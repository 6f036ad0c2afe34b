#include "engine/DelayLine.h"
#include "engine/HistoryBuffer.h"
#include "engine/MeanSquareWindow.h"
#include "engine/NoiseSource.h"
#include "support/EngineProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST (DelayLine, DelaysByItsLengthAndIgnoresUselessLengths)
{
    DelayLine delay (4);
    std::vector<float> x { 1, 2, 3, 4, 5, 6, 7 };
    delay.process (x.data(), (int) x.size());
    EXPECT_EQ (x, (std::vector<float> { 0, 0, 0, 0, 1, 2, 3 }));

    delay.setLength (0);
    delay.setLength (-3);
    delay.setLength (4);
    EXPECT_EQ (delay.getLength(), 4);

    std::vector<float> y { 8, 9 };
    delay.process (y.data(), 2);
    EXPECT_EQ (y, (std::vector<float> { 4, 5 })); // nothing was emptied

    delay.setLength (2);
    std::vector<float> z { 1, 2, 3 };
    delay.process (z.data(), 3);
    EXPECT_EQ (z, (std::vector<float> { 0, 0, 1 })); // a new length starts empty
}

TEST (MeanSquareWindow, RunningMeanOverItsLength)
{
    MeanSquareWindow window (4);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 4.0), 1.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 4.0), 2.0);
    EngineProbe::push (window, 4.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 4.0), 4.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 0.0), 3.0); // the oldest square drops out

    // The ring has wrapped: a clear must empty every slot, not only those since the wrap.
    window.clear();
    EXPECT_EQ (window.getSum(), 0.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 8.0), 2.0);
    EngineProbe::push (window, 8.0);
    EngineProbe::push (window, 8.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 8.0), 8.0);
    window.clear();
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 8.0), 2.0);

    window.setLength (4); // unchanged length: keeps its contents
    EXPECT_DOUBLE_EQ (window.getSum(), 8.0);
    window.setLength (2); // new length: emptied
    EXPECT_EQ (window.getSum(), 0.0);
}

// The window's emptying test compares sums with this threshold instead of dividing: it has to
// sit exactly on the boundary, at every length a rate can give.
TEST (MeanSquareWindow, SmallestSumWithMeanAtLeastSitsOnTheBoundary)
{
    const double floor = (double) 1.0e-8f;
    std::vector<int> lengths { 1, 2, 3, 7, 20, 44, 882, 960, 1920, 3840, 13230, 14400, 28800, 57600, 300000 };

    for (int n = 1; n < 20000; n += 37)
        lengths.push_back (n);

    for (double mean : { floor, 1.0e-3, 0.5 })
    {
        for (int length : lengths)
        {
            const double sum = MeanSquareWindow::smallestSumWithMeanAtLeast (mean, length);
            EXPECT_GE (sum / length, mean) << length;
            EXPECT_LT (std::nextafter (sum, 0.0) / length, mean) << length;
        }
    }
}

TEST (NoiseSource, StaysWithinItsLevel)
{
    NoiseSource noise (-140.0f);
    EXPECT_FLOAT_EQ (noise.getLevel(), 1.0e-7f);

    float lowest = 1.0f, highest = -1.0f;

    for (int i = 0; i < 200000; ++i)
    {
        const float v = noise.next();
        lowest = std::min (lowest, v);
        highest = std::max (highest, v);
    }

    EXPECT_GE (lowest, -1.0e-7f);
    EXPECT_LT (highest, 1.0e-7f);
    EXPECT_LT (lowest, -0.9e-7f); // and it actually uses its range
    EXPECT_GT (highest, 0.9e-7f);
}

TEST (NoiseSource, IsSeededDifferentlyPerInstanceAndRepeatsWithAFixedSeed)
{
    NoiseSource a (-140.0f), b (-140.0f);
    EXPECT_NE (a.next(), b.next());

    a.setSeed (7);
    b.setSeed (7);

    for (int i = 0; i < 100; ++i)
        EXPECT_EQ (a.next(), b.next());
}

TEST (HistoryRing, WrapsAroundAndCopiesNewestFirst)
{
    HistoryRing<int> ring (401);

    for (int i = 1; i <= 1000; ++i)
        ring.push (i);

    juce::Array<int> dest;
    dest.resize (388);
    ring.copyNewestFirst (dest, 388);

    for (int i = 0; i < 388; ++i)
        EXPECT_EQ (dest[i], 1000 - i);

    ring.setCapacity (401); // unchanged: keeps entries
    ring.copyNewestFirst (dest, 1);
    EXPECT_EQ (dest[0], 1000);

    ring.setCapacity (5);
    ring.copyNewestFirst (dest, 5);

    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (dest[i], 0);
}

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
