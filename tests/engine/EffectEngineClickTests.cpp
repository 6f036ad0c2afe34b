// Nothing a user does may be heard as a click. A steady tone goes through the engine while the
// knobs, x2 and the bypass change at block boundaries, as a host's automation changes them, and
// the output's discontinuity (the residual of the tone's own prediction) must stay at or below
// -80 dBFS, more than 20 dB under what is heard on a pure tone, at every block size and rate.
#include "engine/EffectEngine.h"
#include "support/ChangeScenarios.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

using namespace tavine;

namespace
{
    /** Plays the tone through a fresh engine in blocks, the knobs set before each block. */
    test::Measured measure (const test::Case& c, double rate, int blockSize, double frequency)
    {
        EffectEngine engine;
        engine.prepare (rate);
        engine.setNoiseSeed (5);
        const juce::ScopedNoDenormals noDenormals;

        return test::measureChange (c, rate, blockSize, frequency, [&] (const test::Knobs& k, float* left, float* right, int n) {
            const auto setting = StageSetting::fromKnobs (k.red, k.green, k.blue, k.x2);
            engine.setRedAmount (setting.redAmount);
            engine.setGreenAmount (setting.greenAmount);
            engine.setBlueAmount (setting.blueAmount);
            engine.setX2Enabled (setting.x2Enabled);
            engine.setBypassed (k.bypassed);
            engine.process (left, right, n);
        });
    }
} // namespace

class EngineChangesDoNotClick : public testing::TestWithParam<std::tuple<double, int>>
{
};

TEST_P (EngineChangesDoNotClick, AtEitherTone)
{
    const auto [rate, blockSize] = GetParam();
    test::expectNoChangeClicks (std::to_string ((int) rate) + " Hz, block " + std::to_string (blockSize), true, [rate = rate, blockSize = blockSize] (const test::Case& c, double frequency) {
        return measure (c, rate, blockSize, frequency);
    });
}

INSTANTIATE_TEST_SUITE_P (RatesAndBlocks,
                          EngineChangesDoNotClick,
                          testing::Combine (testing::Values (44100.0, 48000.0, 96000.0), testing::Values (32, 64, 512, 4096)),
                          [] (const auto& parameters) { return std::to_string ((int) std::get<0> (parameters.param)) + "HzBlock" + std::to_string (std::get<1> (parameters.param)); });

TEST (EngineChangesDoNotClick, TheMeasureHearsAStepThatIsNotGlided)
{
    // The same tone with its level stepped by 0.009 dB, a third of the first step a one-second
    // ramp of green takes in blocks of 32 at 48 kHz: far above the limit, so the limit is not met
    // by a measure that is deaf.
    const test::QuadratureTone tone { 1000.0, 48000.0 };
    auto left = tone.channel (4800, false), right = tone.channel (4800, true);

    for (std::size_t i = 2400; i < left.size(); ++i)
    {
        left[i] *= 1.001f;
        right[i] *= 1.001f;
    }

    EXPECT_GT (test::discontinuityDb (left, right, 1000.0, 48000.0, 0, left.size()), -75.0);
    EXPECT_LT (test::discontinuityDb (left, right, 1000.0, 48000.0, 0, 2400), -120.0);
}
