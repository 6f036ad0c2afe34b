#include "editor/EditorLayout.h"
#include "editor/Visualisation.h"
#include "support/AllocationCounter.h"
#include "support/EditorProbe.h"
#include "support/EngineDriver.h"
#include "support/EngineProbe.h"
#include "support/LockHeldElsewhere.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

using namespace tavine;

namespace
{
    // The panel as the window places it.
    const auto panelBounds = EditorLayout::displayWindow.withZeroOrigin();

    // Plays a constant level on both channels: the history's level is then that value.
    void playLevel (EffectEngine& engine, float level, double seconds)
    {
        std::vector<float> left ((std::size_t) (engine.getSampleRate() * seconds), level), right = left;
        test::processSignal (engine, {}, left, &right, 4096);
    }

    /** A panel on an engine of its own, which has played a constant level for `seconds`. */
    struct PlayedPanel
    {
        PlayedPanel (float level, double seconds) { playLevel (engine, level, seconds); }

        /** Places the panel at `bounds` and ticks it once. */
        void tickAt (juce::Rectangle<int> bounds)
        {
            panel.setBounds (bounds);
            panel.timerCallback();
        }

        EffectEngine engine;
        Visualisation panel { engine };
    };

    juce::Image render (Visualisation& panel)
    {
        return panel.createComponentSnapshot (panel.getLocalBounds());
    }

    bool columnHasBar (const juce::Image& image, int x)
    {
        for (int y = 0; y < image.getHeight(); ++y)
            if (image.getPixelAt (x, y).getARGB() != 0xff101010u)
                return true;

        return false;
    }

    int firstNonZero (const juce::Array<float>& levels)
    {
        for (int i = 0; i < levels.size(); ++i)
            if (levels[i] > 0.0f)
                return i;

        return -1;
    }
} // namespace

TEST (Visualisation, SteadyLevelFirstTickAndConvergence)
{
    PlayedPanel played (0.5f, 10.5);
    auto& panel = played.panel;
    panel.setBounds (panelBounds);
    EXPECT_EQ (EditorProbe::rangeLowDb (panel), -30.0f);
    EXPECT_EQ (EditorProbe::rangeHighDb (panel), 0.0f);

    panel.timerCallback();
    EXPECT_NEAR (EditorProbe::rangeLowDb (panel), -28.673f, 0.001f);
    EXPECT_NEAR (EditorProbe::rangeHighDb (panel), -0.130f, 0.001f);

    for (auto level : EditorProbe::levels (panel))
        EXPECT_NEAR (level, 0.899f, 0.001f);

    for (int tick = 0; tick < 400; ++tick)
        panel.timerCallback();

    EXPECT_NEAR (EditorProbe::rangeLowDb (panel), -3.468f, 0.001f);
    EXPECT_NEAR (EditorProbe::rangeHighDb (panel), -2.596f, 0.001f);
    EXPECT_NEAR (EditorProbe::levels (panel)[0], 0.525f, 0.001f);
    EXPECT_NEAR (EditorProbe::levels (panel)[387], 0.525f, 0.001f);
}

TEST (Visualisation, ColoursOfTheColourCodes)
{
    EXPECT_EQ (Visualisation::colourForCode (0x00FF0000), 0xFF40709Fu);
    EXPECT_EQ (Visualisation::colourForCode (0x0000FF00), 0xFF409F56u);
    EXPECT_EQ (Visualisation::colourForCode (0x000000FF), 0xFF9F4058u);
    EXPECT_EQ (Visualisation::colourForCode (0x00555555), 0xFF5F6F6Fu);
    EXPECT_EQ (Visualisation::colourForCode (0), 0xFF404040u);
}

TEST (Visualisation, SilenceDrawsOnlyTheGroundAndKeepsTheRange)
{
    PlayedPanel played (0.0f, 11.0);
    auto& panel = played.panel;
    played.tickAt (panelBounds);

    EXPECT_EQ (EditorProbe::rangeLowDb (panel), -30.0f);
    EXPECT_EQ (EditorProbe::rangeHighDb (panel), 0.0f);

    const auto image = render (panel);

    for (int x = 0; x < panel.getWidth(); ++x)
        ASSERT_FALSE (columnHasBar (image, x)) << x;
}

TEST (Visualisation, NewestPointIsRightmostAndScrollsFourColumnsPerTick)
{
    PlayedPanel played (0.0f, 11.0);
    auto& [engine, panel] = played;
    playLevel (engine, 0.5f, 0.5);
    played.tickAt (panelBounds);

    const auto image = render (panel);
    EXPECT_TRUE (columnHasBar (image, panel.getWidth() - 1));
    EXPECT_FALSE (columnHasBar (image, 0));
    EXPECT_FALSE (columnHasBar (image, 300));

    // Row 0 and the last row always show the ground; a full bar fills the rows between.
    for (int x = panel.getWidth() - 8; x < panel.getWidth(); ++x)
    {
        EXPECT_EQ (image.getPixelAt (x, 0).getARGB(), 0xff101010u);
        EXPECT_EQ (image.getPixelAt (x, panel.getHeight() - 1).getARGB(), 0xff101010u);
    }

    playLevel (engine, 0.0f, 1.0);
    panel.timerCallback();
    const int before = firstNonZero (EditorProbe::levels (panel));
    ASSERT_GE (before, 0);

    playLevel (engine, 0.0f, 0.1); // a tick's worth of audio: four points
    panel.timerCallback();
    EXPECT_EQ (firstNonZero (EditorProbe::levels (panel)), before + 4);
}

TEST (Visualisation, PanelsWiderThan399ColumnsStayBlank)
{
    PlayedPanel played (0.5f, 10.5);

    played.tickAt ({ 0, 0, 399, 150 });
    EXPECT_TRUE (columnHasBar (render (played.panel), 398));

    played.tickAt ({ 0, 0, 400, 150 });
    const auto image = render (played.panel);

    for (int x = 0; x < 400; ++x)
        ASSERT_FALSE (columnHasBar (image, x)) << x;
}

TEST (Visualisation, OnePixelPanelKeepsItsRange)
{
    PlayedPanel played (0.5f, 1.0);
    played.tickAt ({ 0, 0, 1, 150 });
    EXPECT_EQ (EditorProbe::rangeLowDb (played.panel), -30.0f);
    EXPECT_EQ (EditorProbe::rangeHighDb (played.panel), 0.0f);
}

TEST (Visualisation, TickNeverWaitsAndNeverAllocates)
{
    PlayedPanel played (0.5f, 2.0);
    auto& [engine, panel] = played;
    panel.setBounds (panelBounds);

    if (test::ScopedAllocationCounter::isAvailable())
    {
        const test::ScopedAllocationCounter counter;
        panel.timerCallback();
        EXPECT_EQ (counter.getAllocations(), 0);
        EXPECT_EQ (counter.getFrees(), 0);
    }

    // With the audio thread inside its analysis, the tick gives up and keeps its picture.
    const auto levelsBefore = EditorProbe::levels (panel);
    const float lowBefore = EditorProbe::rangeLowDb (panel);
    std::optional<test::LockHeldElsewhere> audio;
    audio.emplace (EngineProbe::lock (engine));

    panel.timerCallback();
    audio.reset();

    EXPECT_EQ (EditorProbe::levels (panel), levelsBefore);
    EXPECT_EQ (EditorProbe::rangeLowDb (panel), lowBefore);
}

TEST (Visualisation, RecentLoudPointsRaiseTheRangeMoreThanOldOnes)
{
    // The same burst, a loud stretch and then a quiet one, heard just now or nearly ten seconds
    // ago: the points the panel weighs are the same in both, in the same order, so only how
    // recent they are tells the two apart. The range must reach higher for the recent burst.
    const auto rangeHighAfter = [] (double silenceBefore, double silenceAfter) {
        EffectEngine engine;
        engine.setNoiseSeed (5);
        playLevel (engine, 0.0f, silenceBefore);
        playLevel (engine, 0.9f, 0.3);
        playLevel (engine, 0.05f, 0.3);
        playLevel (engine, 0.0f, silenceAfter);

        Visualisation panel (engine);
        panel.setBounds (panelBounds);

        for (int tick = 0; tick < 200; ++tick)
            panel.timerCallback();

        return EditorProbe::rangeHighDb (panel);
    };

    const float recent = rangeHighAfter (9.0, 0.2);
    const float old = rangeHighAfter (0.2, 9.0);
    EXPECT_GT (recent, old + 1.0f) << "recent " << recent << " dB, old " << old << " dB";
}
