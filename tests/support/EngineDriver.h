#pragma once

#include "engine/EffectEngine.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <vector>

namespace test
{
    /** The stage amounts as the engine's setters take them: already cross-mixed, not the knobs'
        positions (StageSetting::fromKnobs lies between the two). */
    struct Amounts
    {
        float red = 0.0f, green = 0.0f, blue = 0.0f;
        bool x2 = false;
    };

    /** Runs an engine the way the processor's processBlock does: denormals flushed, amounts set,
        then the block processed in place. */
    inline void processBlock (tavine::EffectEngine& engine, const Amounts& amounts, float* left, float* right, int numSamples)
    {
        const juce::ScopedNoDenormals noDenormals;
        engine.setRedAmount (amounts.red);
        engine.setGreenAmount (amounts.green);
        engine.setBlueAmount (amounts.blue);
        engine.setX2Enabled (amounts.x2);
        engine.process (left, right, numSamples);
    }

    /** Processes whole signals in blocks of the given size; right is null for mono. */
    inline void processSignal (tavine::EffectEngine& engine, const Amounts& amounts, std::vector<float>& left, std::vector<float>* right, int blockSize = 512)
    {
        const int total = (int) left.size();

        for (int start = 0; start < total; start += blockSize)
        {
            const int n = std::min (blockSize, total - start);
            processBlock (engine, amounts, left.data() + start, right != nullptr ? right->data() + start : nullptr, n);
        }
    }
} // namespace test
