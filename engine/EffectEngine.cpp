#include "EffectEngine.h"

#include <algorithm>
#include <cmath>

namespace tavine
{
    namespace
    {
        // No real signal comes near this (120 dB above full scale); beyond it the analysis' squares
        // and running sums, and the gains, could overflow and leave the meters broken for good.
        constexpr float largestInput = 1.0e6f;

        // A NaN or infinite sample from a host is silence; an absurdly loud one is limited.
        float sanitised (float sample) noexcept
        {
            return std::isfinite (sample) ? std::clamp (sample, -largestInput, largestInput) : 0.0f;
        }
    } // namespace

    EffectEngine::EffectEngine()
        : scratch (new float[(std::size_t) (scratchLanes * maxSliceLength)])
    {
        peakEnvelope.release = 1.0 - 1.0 / 44100.0;
        prepare (44100.0);
        reset();
    }

    void EffectEngine::prepare (double newSampleRate)
    {
        jumpToNextSetting();

        if (newSampleRate == sampleRate)
            return;

        // A host that hands over 0, a negative, NaN or an absurd rate would otherwise put
        // infinities into the envelopes or ask for gigabytes of window: keep the last set-up.
        if (! std::isfinite (newSampleRate) || newSampleRate < minSampleRate || newSampleRate > maxSampleRate)
            return;

        sampleRate = newSampleRate;

        {
            // The message thread may be copying the history right now.
            const juce::ScopedLock lock (engineLock);
            history.setSampleRate (newSampleRate);
        }

        stages.prepare (newSampleRate);
        analysis.prepare (newSampleRate);

        const int delayLength = 512 * (int) (newSampleRate / 44100.0);
        delayLeft.setLength (delayLength);
        delayRight.setLength (delayLength);
    }

    void EffectEngine::reset()
    {
        stages.reset();
        peakEnvelope.value = 0.0;
        analysis.reset();
    }

    void EffectEngine::setKnobs (float red, float green, float blue, float x2) noexcept
    {
        const auto position = [] (float value) { return std::isfinite (value) ? value : 0.0f; };
        const auto knobs = StageSetting::fromKnobs (position (red), position (green), position (blue), position (x2));

        setting.redAmount = knobs.redAmount;
        setting.greenAmount = knobs.greenAmount;
        setting.blueAmount = knobs.blueAmount;
        setting.x2Enabled = knobs.x2Enabled;
    }

    void EffectEngine::process (float* left, float* right, int numSamples) noexcept
    {
        if (left == nullptr)
            return;

        numSamples = std::max (0, numSamples);

        // The scratch buffers hold one slice; a longer host block is worked through slice by slice,
        // which gives the same audio as one long block.
        int done = 0;

        do
        {
            const int sliceLength = std::min (scratchCapacity, numSamples - done);
            processSlice (left + done, right != nullptr ? right + done : nullptr, sliceLength);
            done += sliceLength;
        } while (done < numSamples);
    }

    void EffectEngine::processSlice (float* left, float* right, int numSamples) noexcept
    {
        // One draw serves both channels, so the floor is identical in left and right.
        float* const draws = noiseDraws();
        noise.fill (draws, numSamples);

        for (auto* channel : { left, right })
        {
            if (channel == nullptr)
                continue;

            for (int i = 0; i < numSamples; ++i)
                channel[i] = sanitised (channel[i]) + draws[i];
        }

        delayLeft.process (left, numSamples);

        if (right != nullptr)
            delayRight.process (right, numSamples);

        // The stages need nothing from the analysis, so they run first and outside the lock; the
        // flushed input they leave behind is what the analysis reads.
        stages.process (left, right, dryLeft(), dryRight(), numSamples, setting, peakEnvelope);

        {
            const juce::ScopedLock lock (engineLock);
            analysis.analyse (dryLeft(), right != nullptr ? dryRight() : nullptr, numSamples, (float) peakEnvelope.value, history);
        }
    }

    bool EffectEngine::copyHistory (juce::Array<float>& levels, juce::Array<int>& colours)
    {
        const juce::ScopedTryLock lock (engineLock);

        if (! lock.isLocked())
            return false;

        const auto& colourRing = history.getColourRing();
        const auto& levelRing = history.getLevelRing();

        if (colours.size() >= colourRing.getCapacity())
            return false;

        colourRing.copyNewestFirst (colours, colours.size());

        // One entry fewer for the levels than for the colours: the display relies on this limit.
        if (levels.size() >= levelRing.getCapacity() - 1)
            return false;

        levelRing.copyNewestFirst (levels, levels.size());
        return true;
    }
} // namespace tavine
