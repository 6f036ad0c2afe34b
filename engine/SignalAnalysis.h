#pragma once

#include "Envelope.h"
#include "HistoryBuffer.h"
#include "MeanSquareWindow.h"

#include <atomic>
#include <memory>

namespace tavine
{
    /** What the display shows of the sound: three meters and the history's colours.

        Each meter is named after the knob whose ring shows it: `greenMeter` is the density, the
        long-term RMS of the mid signal against its peak; `blueMeter` the transients, how far the
        short-term power rises above the long-term one; `redMeter` the steadiness, what the
        transients leave, pulled down hard by a fifth root. A gate fades steadiness and transients
        out for near-silent material. Steadiness and transients have a peak-and-release ballistic;
        density has none and follows its long window directly. The meters' sums since the last
        history point become that point's colour code.

        Threads: `analyse` runs on the audio thread, under the engine's lock, which also guards the
        history it writes to. The meters may be read from any thread without a lock.
    */
    class SignalAnalysis
    {
    public:
        SignalAnalysis();
        ~SignalAnalysis();

        /** Sizes the windows and sets the envelopes and meters up for a rate. Allocates. */
        void prepare (double rate);

        /** Empties the windows and zeroes the meters. */
        void reset() noexcept;

        /** One slice of flushed, delayed input (`right` is null in mono), with the peak of its mid
            signal as the stages left it. Completed history points go into `history`. */
        void analyse (const float* left, const float* right, int numSamples, float peakValue, HistoryBuffer& history) noexcept;

        float getRedMeter() const noexcept { return redMeter.load (std::memory_order_relaxed); }
        float getGreenMeter() const noexcept { return greenMeter.load (std::memory_order_relaxed); }
        float getBlueMeter() const noexcept { return blueMeter.load (std::memory_order_relaxed); }

        /** The colour code for three meter sums (blue, the transients, in bits 16-23; red, the
            steadiness, in 8-15; green, the density, in 0-7): each sum's share of their total, in
            0..255. */
        static int packColourCode (float blueSum, float redSum, float greenSum) noexcept;

        /** A colour code taken apart: each meter's share of its history point, out of 255. */
        struct MeterShares
        {
            int steadiness, density, transients;
        };

        static MeterShares unpackColourCode (int code) noexcept
        {
            return { (code >> 8) & 0xff, code & 0xff, (code >> 16) & 0xff };
        }

    private:
        friend struct EngineProbe;

        struct Lanes;

        // The passes over one chunk, in the order they run. Each reads what the ones before it
        // left in the chunk's lanes.
        void analyseChunk (const float* left, const float* right, int numSamples, float peakValue, HistoryBuffer& history) noexcept;
        void squareMidsAndPowers (const float* left, const float* right, int numSamples) noexcept;
        void runWindows (int numSamples) noexcept;
        void compareWindows (int lanesLength, bool hasPeak) noexcept;
        void densitiesAndGates (int lanesLength, float peakValue, bool hasPeak) noexcept;
        void followTransients (int numSamples, int lanesLength) noexcept;
        void steadinessFromTransients (int lanesLength) noexcept;
        void updateMetersAndHistory (int numSamples, HistoryBuffer& history) noexcept;

        std::unique_ptr<Lanes> chunk;
        MeanSquareWindow longWindow { 13230 };
        MeanSquareWindow shortWindow { 882 };
        double longQuietBelow = 0.0, shortQuietBelow = 0.0; // a sum below these has a mean below the window floor
        Envelope transientEnvelope;
        float meterRelease = 0.0f;
        std::atomic<float> blueMeter { 0.0f };
        std::atomic<float> redMeter { 0.0f };
        std::atomic<float> greenMeter { 0.0f };
        float blueMeterSum = 0.0f;
        float redMeterSum = 0.0f;
        float greenMeterSum = 0.0f;
    };
} // namespace tavine
