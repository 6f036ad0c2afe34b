#pragma once

#include "HistoryRing.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace tavine
{
    /** The analysis history for the display: one point every `pointInterval` seconds of audio.

        Each point is a level (the RMS of both channels over the last `windowMilliseconds`) and a
        colour code that the engine pushes right after the level. The buffer has no lock of its
        own: the engine guards every access with its engineLock.
    */
    class HistoryBuffer
    {
    public:
        static constexpr int ringCapacity = 401;

        HistoryBuffer (double windowMilliseconds, double pointIntervalSeconds);

        /** Sets the buffer up for a rate: re-sizes the power window, empties it and the level
            ring. The colour ring keeps its codes. Allocates: never call on the audio thread. */
        void setSampleRate (double newRate);

        /** A sample pair's power, the mean of its two squares: the window's unit. */
        static double powerOf (float left, float right) noexcept { return (double) ((left * left + right * right) * 0.5f); }

        /** The running window copied into locals for a block's loop: stores into the power ring
            could otherwise alias the sum, sending it through memory on every sample. Take one at
            the start of a block, push through it, store it back at the end. */
        class Cursor
        {
        public:
            explicit Cursor (HistoryBuffer& b) noexcept
                : buffer (b)
                , powers (b.powers.data())
                , powerSum (b.powerSum)
                , windowPosition (b.windowPosition)
                , samplesSincePoint (b.samplesSincePoint)
                , windowLength (b.windowLength)
                , samplesPerPoint (b.samplesPerPoint)
            {
            }

            /** Feeds one sample pair's power, as powerOf gives it; returns true when it completed a
                display point. */
            bool pushPower (double p) noexcept
            {
                powerSum = (p - powers[windowPosition]) + powerSum;

                // Snapping tiny sums to 0 keeps the noise floor (and rounding residue) from
                // showing up as a level when the input is silent.
                if (powerSum < 1.0e-8)
                    powerSum = 0.0;

                powers[windowPosition] = p;

                if (++windowPosition == windowLength)
                    windowPosition = 0;

                ++samplesSincePoint;

                if (samplesSincePoint < samplesPerPoint)
                    return false;

                samplesSincePoint = 0;
                buffer.levelRing.push (std::sqrt ((float) (powerSum / windowLength)));
                return true;
            }

            void storeInto (HistoryBuffer& b) const noexcept
            {
                b.powerSum = powerSum;
                b.windowPosition = windowPosition;
                b.samplesSincePoint = samplesSincePoint;
            }

        private:
            HistoryBuffer& buffer;
            double* powers;
            double powerSum;
            int windowPosition;
            int samplesSincePoint;
            int windowLength;
            int samplesPerPoint;
        };

        void pushColourCode (int code) noexcept { colourRing.push (code); }

        int getSamplesPerPoint() const noexcept { return samplesPerPoint; }
        int getWindowLength() const noexcept { return windowLength; }

        const HistoryRing<float>& getLevelRing() const noexcept { return levelRing; }
        const HistoryRing<int>& getColourRing() const noexcept { return colourRing; }

    private:
        static int windowLengthFor (double rate, double windowMilliseconds) noexcept;

        double windowMilliseconds;
        int windowLength;
        std::vector<double> powers;
        double powerSum = 0.0;
        int windowPosition = 0;
        HistoryRing<float> levelRing { ringCapacity };
        double pointInterval;
        int samplesSincePoint = 0;
        int samplesPerPoint = (int) (44100.0 * pointInterval); // set with the rate, not worked out per sample
        HistoryRing<int> colourRing { ringCapacity };

        JUCE_DECLARE_NON_COPYABLE (HistoryBuffer)
    };
} // namespace tavine
