// The optimised engine against the straightforward one kept in ReferenceEngine: for the same
// seed, amounts and input, every output sample, every meter reading and every history point
// must be bit for bit the same, block after block.
#include "ReferenceEngine.h"
#include "engine/EffectEngine.h"
#include "support/EngineProbe.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace tavine;

namespace
{
    struct Amounts
    {
        float red, green, blue;
        bool x2;
        bool bypassed = false;
    };

    // Stages switching on and off between blocks, partial and full amounts, x2 and the bypass
    // both ways: each block takes the next row, so the gains glide, new targets arrive halfway
    // through glides, glides end inside blocks, and filters stop and wake in every order.
    const Amounts amountSchedule[] = {
        { 1.0f, 1.0f, 1.0f, true },
        { 0.0f, 0.0f, 0.0f, false },
        { 0.9f, 0.05f, 0.05f, false },
        { 1.0f, 1.0f, 1.0f, false },
        { 0.0f, 0.37f, 0.0f, true },
        { 0.05f, 0.9f, 0.05f, true },
        { 0.0f, 0.0f, 0.61f, false },
        { 0.25f, 0.0f, 0.0f, true, true },
        { 0.05f, 0.05f, 0.9f, true },
        { 1.0f, 0.0f, 1.0f, true },
        { 1.0f, 0.0f, 1.0f, true, true },
    };

    const int blockSchedule[] = { 512, 0, 1, 7, 64, 4096, 5000, 333, 1, 4097, 128, 8193, 31, 2048 };

    // Material that takes every branch of the signal path and the analysis: loud and quiet
    // noise, silence (windows emptying, envelopes flushing), bursts (transients), a steady low
    // tone, opposite-phase channels, the mid dead zone, samples around the flush threshold,
    // full-scale and over-range samples, and non-finite ones.
    std::vector<float> makeInput (double rate, int numSamples, bool isLeft)
    {
        std::mt19937 random (isLeft ? 11u : 23u);
        std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
        std::mt19937 shared (5u);
        std::vector<float> x ((std::size_t) numSamples);
        const int segment = (int) (rate * 0.23);

        for (int i = 0; i < numSamples; ++i)
        {
            const float own = uniform (random);
            const float common = uniform (shared);
            const double t = (double) i / rate;
            float v = 0.0f;

            switch ((i / segment) % 11)
            {
                case 0:
                    v = 0.5f * own;
                    break;
                case 1:
                    v = 0.0f;
                    break;
                case 2:
                    v = 0.3f * (float) std::sin (6.283185307179586 * 80.0 * t) + ((i % 997) == 0 ? 0.6f : 0.0f);
                    break;
                case 3:
                    v = ((i / (int) (rate * 0.01)) % 3 == 0) ? 0.8f * common : 0.0f;
                    break;
                case 4:
                    v = (isLeft ? 0.4f : -0.4f) * common;
                    break;
                case 5:
                    v = 5.0e-5f * common;
                    break;
                case 6:
                    // First mid values that lift the short window but not the long one, which
                    // then empties at every sample; then samples around the flush threshold.
                    v = (i % segment) < (int) (rate * 0.02) ? 0.008f * common : 2.0e-8f * own;
                    break;
                case 7:
                    v = (i % 2 == 0 ? 0.999f : -0.999f) * (common > 0.0f ? 1.0f : 0.5f);
                    break;
                case 8:
                    v = 3.0f * common + 0.5f;
                    break;
                case 9:
                    v = 0.2f * own;
                    if (i % 1001 == 0)
                        v = std::numeric_limits<float>::quiet_NaN();
                    else if (i % 1777 == 0)
                        v = (isLeft ? 1.0f : -1.0f) * std::numeric_limits<float>::infinity();
                    break;
                default:
                    v = 0.05f * own + 0.05f * (float) std::sin (6.283185307179586 * 1000.0 * t);
                    break;
            }

            x[(std::size_t) i] = v;
        }

        return x;
    }

    std::uint32_t bitsOf (float v)
    {
        std::uint32_t b;
        std::memcpy (&b, &v, sizeof (b));
        return b;
    }

    template <typename Engine>
    void setAmounts (Engine& engine, const Amounts& a)
    {
        engine.setRedAmount (a.red);
        engine.setGreenAmount (a.green);
        engine.setBlueAmount (a.blue);
        engine.setX2Enabled (a.x2);
        engine.setBypassed (a.bypassed);
    }

    /** Drives both engines side by side and compares everything observable after each block. */
    class Pair
    {
    public:
        Pair (double rate, bool stereo)
            : isStereo (stereo)
        {
            engine.prepare (rate);
            expected.prepare (rate);
            engine.setNoiseSeed (1234567);
            expected.setNoiseSeed (1234567);
        }

        template <typename Body>
        void both (Body&& body)
        {
            body (engine);
            body (expected);
        }

        // Returns false (after recording a failure) at the first difference.
        bool processAndCompare (const float* inLeft, const float* inRight, int n, const Amounts& amounts, const std::string& where)
        {
            std::vector<float> l1 (inLeft, inLeft + n), r1 (inRight, inRight + n);
            auto l2 = l1, r2 = r1;
            const juce::ScopedNoDenormals noDenormals;
            setAmounts (engine, amounts);
            setAmounts (expected, amounts);
            engine.process (l1.data(), isStereo ? r1.data() : nullptr, n);
            expected.process (l2.data(), isStereo ? r2.data() : nullptr, n);

            for (int i = 0; i < n; ++i)
            {
                if (bitsOf (l1[(std::size_t) i]) != bitsOf (l2[(std::size_t) i]) || (isStereo && bitsOf (r1[(std::size_t) i]) != bitsOf (r2[(std::size_t) i])))
                {
                    ADD_FAILURE() << where << ": sample " << i << " of " << n << " differs: left " << l1[(std::size_t) i] << " vs " << l2[(std::size_t) i]
                                  << ", right " << r1[(std::size_t) i] << " vs " << r2[(std::size_t) i];
                    return false;
                }
            }

            return compareState (where);
        }

        bool compareState (const std::string& where)
        {
            const bool metersSame = bitsOf (engine.getRedMeter()) == bitsOf (expected.getRedMeter()) && bitsOf (engine.getGreenMeter()) == bitsOf (expected.getGreenMeter()) && bitsOf (engine.getBlueMeter()) == bitsOf (expected.getBlueMeter());
            EXPECT_TRUE (metersSame) << where << ": meters " << engine.getRedMeter() << " " << engine.getGreenMeter() << " " << engine.getBlueMeter()
                                     << " vs " << expected.getRedMeter() << " " << expected.getGreenMeter() << " " << expected.getBlueMeter();

            const bool analysisSame = EngineProbe::longWindow (engine).getSum() == expected.getLongWindow().getSum() && EngineProbe::shortWindow (engine).getSum() == expected.getShortWindow().getSum() && EngineProbe::transientEnvelope (engine).value == expected.getTransientEnvelope().value && EngineProbe::peakEnvelope (engine).value == expected.getPeakEnvelope().value;
            EXPECT_TRUE (analysisSame) << where << ": window sums or envelopes differ";

            // The whole history, as the display would copy it.
            juce::Array<float> levels, expectedLevels;
            juce::Array<int> colours, expectedColours;
            levels.resize (399);
            expectedLevels.resize (399);
            colours.resize (400);
            expectedColours.resize (400);
            const bool copied = engine.copyHistory (levels, colours);
            const bool expectedCopied = expected.copyHistory (expectedLevels, expectedColours);
            EXPECT_EQ (copied, expectedCopied) << where;

            bool historySame = colours == expectedColours;

            for (int i = 0; i < levels.size(); ++i)
                historySame = historySame && bitsOf (levels[i]) == bitsOf (expectedLevels[i]);

            EXPECT_TRUE (historySame) << where << ": history differs";
            return metersSame && analysisSame && historySame && copied == expectedCopied;
        }

        EffectEngine engine;
        reference::ReferenceEngine expected;
        bool isStereo;
    };

    void runSchedule (Pair& pair, double rate, double seconds, std::size_t firstAmounts, const std::string& name)
    {
        const int total = (int) (rate * seconds);
        const auto left = makeInput (rate, total, true);
        const auto right = makeInput (rate, total, false);
        std::size_t block = 0;

        for (int start = 0; start < total; ++block)
        {
            const int n = std::min (blockSchedule[block % std::size (blockSchedule)], total - start);
            const auto& amounts = amountSchedule[(firstAmounts + block) % std::size (amountSchedule)];
            const auto where = name + " block " + std::to_string (block) + " at " + std::to_string (start);

            if (! pair.processAndCompare (left.data() + start, right.data() + start, n, amounts, where))
                return;

            start += n;
        }
    }
} // namespace

class EngineMatchesReference : public testing::TestWithParam<std::tuple<double, bool>>
{
};

TEST_P (EngineMatchesReference, AcrossBlocksAmountsAndMaterial)
{
    const auto [rate, stereo] = GetParam();
    Pair pair (rate, stereo);
    runSchedule (pair, rate, 2.6, 0, "first pass");

    // Same material again from a later point in the amount cycle, with every window, envelope
    // and filter memory carried over.
    runSchedule (pair, rate, 2.6, 3, "second pass");
}

INSTANTIATE_TEST_SUITE_P (RatesAndChannels,
                          EngineMatchesReference,
                          testing::Combine (testing::Values (44100.0, 48000.0, 96000.0, 192000.0), testing::Bool()));

TEST (EngineMatchesReference, ThroughResetAndRateChanges)
{
    // Reset and re-prepare between runs: the engine must rebuild exactly the state the
    // reference rebuilds, including the filter memories that a new rate keeps.
    Pair pair (44100.0, true);
    runSchedule (pair, 44100.0, 1.2, 0, "44100");
    pair.both ([] (auto& e) { e.prepare (96000.0); });
    runSchedule (pair, 96000.0, 1.2, 4, "96000");
    pair.both ([] (auto& e) { e.reset(); });
    runSchedule (pair, 96000.0, 1.2, 7, "after reset");
    pair.both ([] (auto& e) { e.prepare (48000.0); });
    runSchedule (pair, 48000.0, 1.2, 2, "48000");
}

TEST (EngineMatchesReference, ConstantAmountsOverLongBlocks)
{
    // The two configurations the benchmark measures (every stage full with x2, and every stage
    // off) and half amounts, each held for many blocks.
    for (const auto& amounts : { Amounts { 1.0f, 1.0f, 1.0f, true }, Amounts { 0.0f, 0.0f, 0.0f, false }, Amounts { 0.5f, 0.5f, 0.5f, false } })
    {
        for (const int blockSize : { 32, 512, 4096 })
        {
            const double rate = 48000.0;
            Pair pair (rate, true);
            const int total = (int) rate * 3;
            const auto left = makeInput (rate, total, true);
            const auto right = makeInput (rate, total, false);

            for (int start = 0; start + blockSize <= total; start += blockSize)
                if (! pair.processAndCompare (left.data() + start, right.data() + start, blockSize, amounts, "block size " + std::to_string (blockSize) + " at " + std::to_string (start)))
                    break;
        }
    }
}
