#pragma once

#include "DelayLine.h"
#include "EnhancementStages.h"
#include "Envelope.h"
#include "HistoryBuffer.h"
#include "NoiseSource.h"
#include "SignalAnalysis.h"

#include <juce_core/juce_core.h>

#include <memory>

namespace tavine
{
    /** The sound engine: three enhancement stages behind a fixed delay, plus the analysis that
        drives the level rings and the history display.

        The engine as the processor uses it: it slices host blocks, adds the noise floor, applies
        the delay, owns the lock, the meters and the history, and hands each slice to
        EnhancementStages and SignalAnalysis, which do the work.

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

        EffectEngine();

        /** Sets the engine up for a sample rate. A repeated rate changes nothing but that the next
            setting is taken at once; a rate that is not finite or out of range is ignored.
            Allocates: never call while processing. */
        void prepare (double newSampleRate);

        /** Clears filter memories, windows, the peak envelope and the meters. The next setting
            is taken at once. */
        void reset();

        /** Every change of setting glides, except the first one after construction, `prepare`,
            `reset` or this call: a setting made before playback starts is the sound from its
            first sample, not a fade into it. */
        void jumpToNextSetting() noexcept { stages.jumpToNextSetting(); }

        /** Sets the stages from the knobs' positions, as the processor's parameters hold them
            (each 0..1, x2 on from one half up): the cross-mix of StageSetting::fromKnobs. A
            position that is not a number counts as 0, since a host may hand one over and it
            must never reach the gains. */
        void setKnobs (float red, float green, float blue, float x2) noexcept;

        void setRedAmount (float amount) noexcept { setting.redAmount = amount; }
        void setGreenAmount (float amount) noexcept { setting.greenAmount = amount; }
        void setBlueAmount (float amount) noexcept { setting.blueAmount = amount; }
        void setX2Enabled (bool enabled) noexcept { setting.x2Enabled = enabled; }

        /** Bypassed, the output fades to the input as it leaves the delay, flushed and with the
            noise floor, exactly what all three amounts at 0 give: a host's bypass keeps the
            latency it was told. The analysis keeps running, so the meters and the history go on
            as if nothing happened; leaving bypass fades back in. */
        void setBypassed (bool shouldBeBypassed) noexcept { setting.bypassed = shouldBeBypassed; }

        /** Processes one block in place. `right` is null for a single-channel block. Blocks of any
            length are accepted; non-finite input samples are treated as silence, and samples more
            than 120 dB above full scale are limited. */
        void process (float* left, float* right, int numSamples) noexcept;

        /** Copies the newest history points into arrays that the caller has sized: colours first,
            then levels. Never waits; returns false when the lock is busy or a destination is
            larger than the history allows (at most 400 colours and 399 levels). */
        bool copyHistory (juce::Array<float>& levels, juce::Array<int>& colours);

        float getRedMeter() const noexcept { return analysis.getRedMeter(); }
        float getGreenMeter() const noexcept { return analysis.getGreenMeter(); }
        float getBlueMeter() const noexcept { return analysis.getBlueMeter(); }

        double getSampleRate() const noexcept { return sampleRate; }

        /** The delay the engine applies, in samples: the latency a host has to compensate. */
        int getDelayLength() const noexcept { return delayLeft.getLength(); }

        /** Restarts the noise floor from a fixed seed, so that renders and tests repeat exactly. */
        void setNoiseSeed (juce::int64 seed) noexcept { noise.setSeed (seed); }

        /** The history as the audio thread last left it: read it only where no audio runs, or
            under the lock (as copyHistory does). */
        const HistoryBuffer& getHistory() const noexcept { return history; }

    private:
        friend struct EngineProbe;

        void processSlice (float* left, float* right, int numSamples) noexcept;

        // The slice's flushed input, which the analysis reads once the stages have overwritten
        // the channels, and the noise floor's draws.
        float* dryLeft() const noexcept { return scratch.get(); }
        float* dryRight() const noexcept { return scratch.get() + scratchCapacity; }
        float* noiseDraws() const noexcept { return scratch.get() + 2 * scratchCapacity; }
        static constexpr int scratchLanes = 3;

        double sampleRate = 0.0;
        StageSetting setting;
        NoiseSource noise { -140.0f };
        int scratchCapacity = maxSliceLength;
        std::unique_ptr<float[]> scratch;
        EnhancementStages stages;
        SignalAnalysis analysis;
        Envelope peakEnvelope;
        HistoryBuffer history { 100.0, 0.025 };
        DelayLine delayLeft { 512 };
        DelayLine delayRight { 512 };
        juce::CriticalSection engineLock;

        JUCE_DECLARE_NON_COPYABLE (EffectEngine)
    };
} // namespace tavine
