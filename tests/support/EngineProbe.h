#pragma once

#include "engine/EffectEngine.h"

namespace tavine
{
    /** The tests' one way into the engine's inner state. The engine's classes name this struct as
        a friend and nothing else outside them; whatever a test needs to see of an engine, or to do
        to a building block one sample at a time, goes through here, so that the engine's public
        interface stays what the product uses. */
    struct EngineProbe
    {
        // The analysis' state.
        static const MeanSquareWindow& longWindow (const SignalAnalysis& analysis) noexcept { return analysis.longWindow; }
        static const MeanSquareWindow& shortWindow (const SignalAnalysis& analysis) noexcept { return analysis.shortWindow; }
        static const Envelope& transientEnvelope (const SignalAnalysis& analysis) noexcept { return analysis.transientEnvelope; }

        // An engine's setting and state.
        static StageSetting setting (const EffectEngine& engine) noexcept { return engine.setting; }
        static const MeanSquareWindow& longWindow (const EffectEngine& engine) noexcept { return longWindow (engine.analysis); }
        static const MeanSquareWindow& shortWindow (const EffectEngine& engine) noexcept { return shortWindow (engine.analysis); }
        static const Envelope& transientEnvelope (const EffectEngine& engine) noexcept { return transientEnvelope (engine.analysis); }
        static const Envelope& peakEnvelope (const EffectEngine& engine) noexcept { return engine.peakEnvelope; }
        static const FilterSection& redFilter (const EffectEngine& engine) noexcept { return engine.stages.redFilterLeft; }
        static const FilterSection& blueFilter (const EffectEngine& engine) noexcept { return engine.stages.blueFilterLeft; }
        static double designRate (const FilterSection& section) noexcept { return section.designRate; }
        static juce::CriticalSection& lock (EffectEngine& engine) noexcept { return engine.engineLock; }

        // The building blocks, one call at a time, through the same cursors the engine runs them
        // with.
        static void processInPlace (FilterSection& section, float* samples, int numSamples) noexcept
        {
            FilterSection::Cursor cursor (section);

            for (int i = 0; i < numSamples; ++i)
                samples[i] = (float) cursor.step (samples[i]);

            cursor.storeInto (section);
        }

        /** Stores a square, drops the oldest one and returns the new mean. */
        static double push (MeanSquareWindow& window, double square) noexcept
        {
            MeanSquareWindow::Cursor cursor (window);
            const double mean = cursor.push (square);
            cursor.storeInto (window);
            return mean;
        }

        /** Feeds one sample pair; returns true when it completed a display point. */
        static bool pushSample (HistoryBuffer& history, float left, float right) noexcept
        {
            HistoryBuffer::Cursor cursor (history);
            const bool completed = cursor.pushPower (HistoryBuffer::powerOf (left, right));
            cursor.storeInto (history);
            return completed;
        }
    };
} // namespace tavine
