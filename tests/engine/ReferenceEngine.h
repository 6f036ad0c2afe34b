#pragma once

// The engine's signal path and analysis written the straightforward way: plain per-stage loops,
// one operation after another. The tests hold the optimised engine to bit-identical output
// against it, so these loops must never be "improved" - change them only when the sound is meant
// to change. What the engine does not optimise (the filter design, the stage laws, the noise
// generator's draws, the envelope, the history's rings, the colour code, the gains' glide) is
// taken from the engine itself, so that the difference between the two is exactly the
// optimisation; those pieces are pinned by tests of their own.

#include "engine/Envelope.h"
#include "engine/FilterSection.h"
#include "engine/GainGlide.h"
#include "engine/HistoryRing.h"
#include "engine/NoiseSource.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

namespace reference
{

    /** A fixed delay of whole samples: what goes in comes out `length` samples later. */
    class DelayLine
    {
    public:
        explicit DelayLine (int initialLength);

        /** Re-sizes and empties the line. A length of 0 or less, or the current length, is ignored,
            so that a rate whose computed delay is 0 keeps the delay it had. */
        void setLength (int newLength);

        int getLength() const noexcept { return length; }

        /** Delays a buffer in place. */
        void process (float* samples, int numSamples) noexcept
        {
            for (int i = 0; i < numSamples; ++i)
            {
                const float delayed = buffer[(std::size_t) position];
                buffer[(std::size_t) position] = samples[i];
                samples[i] = delayed;

                if (++position == length)
                    position = 0;
            }
        }

    private:
        int length = 0;
        std::vector<float> buffer;
        int position = 0;
    };

    /** A filter section's recursion, one sample at a time, on the coefficients the engine's
        FilterSection designs: the design is shared, the loop is the straightforward one. */
    class FilterRun
    {
    public:
        /** Designs as FilterSection::setDesignRate and FilterSection::design do; the memory is
            kept. */
        void setDesignRate (double rate) { section.setDesignRate (rate); }
        void design (tavine::FilterShape shape, double frequency, double q) { section.design (shape, frequency, q); }

        void processInPlace (float* samples, int numSamples) noexcept
        {
            const tavine::FilterCoefficients& coefficients = section.getCoefficients();

            for (int i = 0; i < numSamples; ++i)
            {
                const double x = samples[i];

                // Direct form I, summed in exactly this order.
                double y = coefficients.b1 * in1 + coefficients.b0 * x + coefficients.b2 * in2 - coefficients.a1 * out1 - coefficients.a2 * out2;

                if (y > -1.0e-8 && y < 1.0e-8)
                    y = 0.0;

                in2 = in1;
                in1 = x;
                out2 = out1;
                out1 = y;
                samples[i] = (float) y;
            }
        }

        void clearState() noexcept { in1 = in2 = out1 = out2 = 0.0; }

        const tavine::FilterSection& getSection() const noexcept { return section; }

    private:
        tavine::FilterSection section;
        double in1 = 0.0, in2 = 0.0, out1 = 0.0, out2 = 0.0;
    };

    /** The running mean of the last `length` squared values. */
    class MeanSquareWindow
    {
    public:
        explicit MeanSquareWindow (int initialLength);

        /** Re-sizes and empties the window; a length of 0 or less, or the current one, is ignored. */
        void setLength (int newLength);

        /** Empties the window: sum, stored squares and position back to zero. */
        void clear() noexcept;

        /** Stores a square, drops the oldest one and returns the new mean. */
        double push (double square) noexcept
        {
            const double old = squares[(std::size_t) position];
            squares[(std::size_t) position] = square;

            if (++position == length)
                position = 0;

            // The order of this sum matters: it is part of the analysis' exact arithmetic.
            sum = (square + sum) - old;
            return sum / length;
        }

        int getLength() const noexcept { return length; }
        double getSum() const noexcept { return sum; }

    private:
        double sum = 0.0;
        int length = 0;
        std::vector<double> squares;
        int position = 0;
    };

    /** The analysis history for the display: one point every `pointInterval` seconds of audio.

        Each point is a level (the RMS of both channels over the last `windowMilliseconds`) and a
        colour code that the engine pushes right after the level. The buffer has no lock of its
        own: the engine guards every access with its engineLock.
    */
    class HistoryBuffer
    {
    public:
        static constexpr int ringCapacity = 401;

        HistoryBuffer (double windowMilliseconds, double pointInterval);

        /** Sets the buffer up for a rate: re-sizes the power window, empties it and the level
            ring. The colour ring keeps its codes. Allocates: never call on the audio thread. */
        void setSampleRate (double newRate);

        /** Feeds one sample pair; returns true when it completed a display point. */
        bool pushSample (float left, float right) noexcept
        {
            const double p = (double) ((left * left + right * right) * 0.5f);

            powerSum = (p - powers[(std::size_t) windowPosition]) + powerSum;

            // Snapping tiny sums to 0 keeps the noise floor (and rounding residue) from showing
            // up as a level when the input is silent.
            if (powerSum < 1.0e-8)
                powerSum = 0.0;

            powers[(std::size_t) windowPosition] = p;

            if (++windowPosition == windowLength)
                windowPosition = 0;

            ++samplesSincePoint;

            if (samplesSincePoint < getSamplesPerPoint())
                return false;

            samplesSincePoint = 0;
            levelRing.push (std::sqrt ((float) (powerSum / windowLength)));
            return true;
        }

        void pushColourCode (int code) noexcept { colourRing.push (code); }

        int getSamplesPerPoint() const noexcept { return (int) (rate * pointInterval); }
        int getWindowLength() const noexcept { return windowLength; }
        double getRate() const noexcept { return rate; }

        const tavine::HistoryRing<float>& getLevelRing() const noexcept { return levelRing; }
        const tavine::HistoryRing<int>& getColourRing() const noexcept { return colourRing; }

    private:
        static int windowLengthFor (double rate, double windowMilliseconds) noexcept;

        double windowMilliseconds;
        int windowLength;
        std::vector<double> powers;
        double powerSum = 0.0;
        int windowPosition = 0;
        tavine::HistoryRing<float> levelRing { ringCapacity };
        double pointInterval;
        double rate = 44100.0;
        int samplesSincePoint = 0;
        tavine::HistoryRing<int> colourRing { ringCapacity };

        JUCE_DECLARE_NON_COPYABLE (HistoryBuffer)
    };

    /** The reference for EffectEngine: three enhancement stages behind a fixed delay, plus the
        analysis that drives the level rings and the history display.

        Threads: `prepare`, the setters and `process` belong to the audio side and never overlap
        (a host does not process while it prepares). The meters may be read from any thread at any
        time without a lock. `copyHistory` is the message thread's way in: it only ever tries
        `engineLock` and gives up at once when the audio thread holds it.
    */
    class ReferenceEngine
    {
    public:
        /** The most samples the engine processes in one go; longer blocks are sliced. */
        static constexpr int maxSliceLength = 4096;

        /** Rates outside this range are nonsense from a host and are ignored by `prepare`. */
        static constexpr double minSampleRate = 1000.0;
        static constexpr double maxSampleRate = 1.0e6;

        ReferenceEngine();

        /** Sets the engine up for a sample rate. A repeated rate changes nothing but that the
            next setting is taken at once; a rate that is not finite or out of range is ignored.
            Allocates: never call while processing. */
        void prepare (double newSampleRate);

        /** Clears filter memories, windows, the peak envelope and the meters. The next setting
            is taken at once. */
        void reset();

        /** The next block's setting is taken at once instead of glided to. */
        void jumpToNextSetting() noexcept { jumpPending = true; }

        void setRedAmount (float amount) noexcept { redAmount = amount; }
        void setGreenAmount (float amount) noexcept { greenAmount = amount; }
        void setBlueAmount (float amount) noexcept { blueAmount = amount; }
        void setX2Enabled (bool enabled) noexcept { x2Enabled = enabled; }
        void setBypassed (bool shouldBeBypassed) noexcept { bypassed = shouldBeBypassed; }

        /** Processes one block in place. `right` is null for a single-channel block. Blocks of any
            length are accepted; non-finite input samples are treated as silence. Unlike the
            engine it does not limit samples more than 120 dB above full scale, so the two are
            compared only on material far below that. */
        void process (float* left, float* right, int numSamples) noexcept;

        /** Copies the newest history points into arrays that the caller has sized: colours first,
            then levels. Never waits; returns false when the lock is busy or a destination is
            larger than the history allows (at most 400 colours and 399 levels). */
        bool copyHistory (juce::Array<float>& levels, juce::Array<int>& colours);

        /** Packs the meter sums since the last point into a colour code (blue in bits 16-23, red
            in 8-15, green in 0-7) and starts new sums. Audio thread, under engineLock. */
        int takeColourCode() noexcept;

        float getRedMeter() const noexcept { return redMeter.load (std::memory_order_relaxed); }
        float getGreenMeter() const noexcept { return greenMeter.load (std::memory_order_relaxed); }
        float getBlueMeter() const noexcept { return blueMeter.load (std::memory_order_relaxed); }

        double getSampleRate() const noexcept { return sampleRate; }

        /** The delay the engine applies, in samples: the latency a host has to compensate. */
        int getDelayLength() const noexcept { return delayLeft.getLength(); }

        /** Restarts the noise floor from a fixed seed, so that renders and tests repeat exactly. */
        void setNoiseSeed (juce::int64 seed) noexcept { noise.setSeed (seed); }

        // Read-only views for the comparison.
        float getRedAmount() const noexcept { return redAmount; }
        float getGreenAmount() const noexcept { return greenAmount; }
        float getBlueAmount() const noexcept { return blueAmount; }
        bool isX2Enabled() const noexcept { return x2Enabled; }
        const MeanSquareWindow& getLongWindow() const noexcept { return longWindow; }
        const MeanSquareWindow& getShortWindow() const noexcept { return shortWindow; }
        const tavine::Envelope& getTransientEnvelope() const noexcept { return transientEnvelope; }
        const tavine::Envelope& getPeakEnvelope() const noexcept { return peakEnvelope; }
        const tavine::FilterSection& getRedFilter() const noexcept { return redFilterLeft.getSection(); }
        const tavine::FilterSection& getBlueFilter() const noexcept { return blueFilterLeft.getSection(); }
        const HistoryBuffer& getHistory() const noexcept { return history; }
        juce::CriticalSection& getLock() noexcept { return engineLock; }

    private:
        void processSlice (float* left, float* right, int numSamples) noexcept;
        void analyse (float* left, float* right, int numSamples) noexcept;

        double sampleRate = 0.0;
        float redAmount = 0.0f;
        float greenAmount = 0.0f;
        float blueAmount = 0.0f;
        bool x2Enabled = false;
        bool bypassed = false;
        std::atomic<float> blueMeter { 0.0f };
        std::atomic<float> redMeter { 0.0f };
        std::atomic<float> greenMeter { 0.0f };
        tavine::NoiseSource noise { -140.0f };
        int scratchCapacity = maxSliceLength;
        std::unique_ptr<float[]> redLeftCopy, blueLeftCopy, redRightCopy, blueRightCopy;
        std::unique_ptr<float[]> greenGains, redGains, blueGains;
        tavine::GainGlide glide;
        bool jumpPending = true;
        bool redRunning = false, blueRunning = false;
        FilterRun redFilterLeft, redFilterRight;
        FilterRun blueFilterLeft, blueFilterRight;
        MeanSquareWindow longWindow { 13230 };
        MeanSquareWindow shortWindow { 882 };
        tavine::Envelope transientEnvelope;
        tavine::Envelope peakEnvelope;
        HistoryBuffer history { 100.0, 0.025 };
        float blueMeterSum = 0.0f;
        float redMeterSum = 0.0f;
        float greenMeterSum = 0.0f;
        DelayLine delayLeft { 512 };
        DelayLine delayRight { 512 };
        juce::CriticalSection engineLock;

        JUCE_DECLARE_NON_COPYABLE (ReferenceEngine)
    };
} // namespace reference
