#pragma once

#include "DelayLine.h"
#include "Envelope.h"
#include "FilterSection.h"
#include "HistoryBuffer.h"
#include "MeanSquareWindow.h"
#include "NoiseSource.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

/** The sound engine: three enhancement stages behind a fixed delay, plus the analysis that
    drives the level rings and the history display.

    Threads: `prepare`, the setters and `process` belong to the audio side and never overlap
    (a host does not process while it prepares). The meters may be read from any thread at any
    time without a lock. `copyHistory` is the message thread's way in: it only ever tries
    `engineLock` and gives up at once when the audio thread holds it.
*/
class EffectEngine
{
public:
    /** The most samples the engine processes in one go; longer blocks are sliced. */
    static constexpr int maxSliceLength = 4096;

    /** Rates outside this range are nonsense from a host and are ignored by `prepare`. */
    static constexpr double minSampleRate = 1000.0;
    static constexpr double maxSampleRate = 1.0e6;

    /** Centre of the red stage's band-pass and, where the rate allows it, corner of the blue
        stage's high-pass. */
    static constexpr double redCentre = 80.0;
    static constexpr double blueCornerHz = 10000.0;

    EffectEngine();

    /** The blue stage's corner at a sample rate: 10 kHz from 40 kHz up, a quarter of the rate
        below, so that the high-pass stays a stable, non-ringing filter at every rate. */
    static double blueCorner (double rate) noexcept;

    /** Designs one channel's red and blue sections for a rate, as `prepare` designs the
        engine's own; their memories are kept. */
    static void designStageFilters (double rate, FilterSection& red, FilterSection& blue);

    /** Sets the engine up for a sample rate. A repeated rate changes nothing; a rate that is
        not finite or out of range is ignored. Allocates: never call while processing. */
    void prepare (double newSampleRate);

    /** Clears filter memories, windows, the peak envelope and the meters. */
    void reset();

    void setRedAmount (float amount) noexcept { redAmount = amount; }
    void setGreenAmount (float amount) noexcept { greenAmount = amount; }
    void setBlueAmount (float amount) noexcept { blueAmount = amount; }
    void setX2Enabled (bool enabled) noexcept { x2Enabled = enabled; }

    /** Bypassed, the output is the input as it leaves the delay, flushed and with the noise
        floor, exactly what all three amounts at 0 give: a host's bypass keeps the latency it
        was told. The stages and the analysis keep running, so that nothing jumps on return. */
    void setBypassed (bool shouldBeBypassed) noexcept { bypassed = shouldBeBypassed; }

    /** Processes one block in place. `right` is null for a single-channel block. Blocks of any
        length are accepted; non-finite input samples are treated as silence. */
    void process (float* left, float* right, int numSamples) noexcept;

    /** Copies the newest history points into arrays that the caller has sized: colours first,
        then levels. Never waits; returns false when the lock is busy or a destination is
        larger than the history allows (at most 400 colours and 399 levels). */
    bool copyHistory (juce::Array<float>& levels, juce::Array<int>& colours);

    /** Packs the meter sums since the last point into a colour code (blue in bits 16-23, red
        in 8-15, green in 0-7) and starts new sums. Audio thread, under engineLock. */
    int takeColourCode() noexcept;

    /** The colour code for three meter sums: each sum's share of their total, in 0..255. */
    static int packColourCode (float blueSum, float redSum, float greenSum) noexcept;

    float getRedMeter() const noexcept { return redMeter.load (std::memory_order_relaxed); }
    float getGreenMeter() const noexcept { return greenMeter.load (std::memory_order_relaxed); }
    float getBlueMeter() const noexcept { return blueMeter.load (std::memory_order_relaxed); }

    double getSampleRate() const noexcept { return sampleRate; }

    /** The delay the engine applies, in samples: the latency a host has to compensate. */
    int getDelayLength() const noexcept { return delayLeft.getLength(); }

    /** Restarts the noise floor from a fixed seed, so that renders and tests repeat exactly. */
    void setNoiseSeed (juce::int64 seed) noexcept { noise.setSeed (seed); }

    // Read-only views for tests, benchmarks and tools.
    float getRedAmount() const noexcept { return redAmount; }
    float getGreenAmount() const noexcept { return greenAmount; }
    float getBlueAmount() const noexcept { return blueAmount; }
    bool isX2Enabled() const noexcept { return x2Enabled; }
    const MeanSquareWindow& getLongWindow() const noexcept { return longWindow; }
    const MeanSquareWindow& getShortWindow() const noexcept { return shortWindow; }
    const Envelope& getTransientEnvelope() const noexcept { return transientEnvelope; }
    const Envelope& getPeakEnvelope() const noexcept { return peakEnvelope; }
    const FilterSection& getRedFilter() const noexcept { return redFilterLeft; }
    const FilterSection& getBlueFilter() const noexcept { return blueFilterLeft; }
    const HistoryBuffer& getHistory() const noexcept { return history; }
    juce::CriticalSection& getLock() noexcept { return engineLock; }

    /** The stage gain laws, shared by the processing and the tests. */
    static float greenGain (float amount, bool x2) noexcept;
    static float redMix (float amount, bool x2) noexcept;
    static float blueMix (float amount, bool x2) noexcept;

private:
    void processSlice (float* left, float* right, int numSamples) noexcept;

    template <bool stereo, bool red, bool green, bool blue>
    void applyStages (float* left, float* right, int numSamples) noexcept;

    void analyse (const float* left, const float* right, int numSamples) noexcept;
    void analyseChunk (const float* left, const float* right, int numSamples, float meterRelease, float peakValue) noexcept;

    // The slice's flushed input, which the analysis reads once the stages have overwritten the
    // channels, and the noise floor's draws.
    float* dryLeft() const noexcept { return scratch.get(); }
    float* dryRight() const noexcept { return scratch.get() + scratchCapacity; }
    float* noiseDraws() const noexcept { return scratch.get() + 2 * scratchCapacity; }
    static constexpr int scratchLanes = 3;

    /** The stages' per-sample intermediates for one chunk of a slice: the mid values the peak
        follows, and the filtered stages' outputs as interleaved pairs (left and right, or in
        mono red and blue), so that mixing them into the channels can run a register at a time
        after the recursions. */
    struct StageLanes
    {
        static constexpr int length = 512;

        alignas (32) double mids[length];
        alignas (32) float redPairs[2 * length];
        alignas (32) float bluePairs[2 * length];
    };

    /** The analysis' per-sample intermediates for one chunk of a slice. The analysis runs in
        passes: the recursions (windows, transient envelope, meters) each in a tight loop of
        their own, and everything between them four samples at a time. A chunk's worth stays
        in the first-level cache from one pass to the next. */
    struct AnalysisLanes
    {
        static constexpr int length = 512;

        alignas (32) double squares[length];
        alignas (32) double pointPowers[length];
        alignas (32) double longSums[length];
        alignas (32) double shortSums[length];
        alignas (32) float excessSquares[length];
        alignas (32) float densities[length];
        alignas (32) float gates[length];
        alignas (32) float transientLevels[length];
    };

    /** A stage's gain law with its last answer kept: the law costs a power of ten, which for
        small host blocks would otherwise be a noticeable share of every block. */
    class CachedLaw
    {
    public:
        using Law = float (*) (float amount, bool x2) noexcept;

        explicit CachedLaw (Law l) noexcept
            : law (l)
        {
        }

        float of (float amount, bool x2) noexcept
        {
            if (! known || amount != lastAmount || x2 != lastX2)
            {
                lastAmount = amount;
                lastX2 = x2;
                lastValue = law (amount, x2);
                known = true;
            }

            return lastValue;
        }

    private:
        Law law;
        bool known = false;
        float lastAmount = 0.0f;
        bool lastX2 = false;
        float lastValue = 0.0f;
    };

    double sampleRate = 0.0;
    float redAmount = 0.0f;
    float greenAmount = 0.0f;
    float blueAmount = 0.0f;
    bool x2Enabled = false;
    bool bypassed = false;
    CachedLaw greenLaw { greenGain }, redLaw { redMix }, blueLaw { blueMix };
    std::atomic<float> blueMeter { 0.0f };
    std::atomic<float> redMeter { 0.0f };
    std::atomic<float> greenMeter { 0.0f };
    NoiseSource noise { -140.0f };
    int scratchCapacity = maxSliceLength;
    std::unique_ptr<float[]> scratch;
    std::unique_ptr<StageLanes> stageLanes;
    std::unique_ptr<AnalysisLanes> analysisLanes;
    FilterSection redFilterLeft, redFilterRight;
    FilterSection blueFilterLeft, blueFilterRight;
    MeanSquareWindow longWindow { 13230 };
    MeanSquareWindow shortWindow { 882 };
    double longQuietBelow = 0.0, shortQuietBelow = 0.0; // a sum below these has a mean below the window floor
    Envelope transientEnvelope;
    Envelope peakEnvelope;
    HistoryBuffer history { 100.0, 0.025 };
    float blueMeterSum = 0.0f;
    float redMeterSum = 0.0f;
    float greenMeterSum = 0.0f;
    DelayLine delayLeft { 512 };
    DelayLine delayRight { 512 };
    juce::CriticalSection engineLock;

    JUCE_DECLARE_NON_COPYABLE (EffectEngine)
};
