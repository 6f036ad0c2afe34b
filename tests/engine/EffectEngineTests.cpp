#include "engine/EffectEngine.h"
#include "support/EngineDriver.h"
#include "support/EngineProbe.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace tavine;

using test::Amounts;

namespace
{
    // Gain in dB that the engine applies to a steady stereo tone, measured after settling.
    double stageGainAt (double frequency, double rate, const Amounts& amounts)
    {
        EffectEngine engine;
        engine.prepare (rate);
        const int total = (int) rate * 2;
        auto input = frequency * 2.0 == rate
                         ? std::vector<float> ((std::size_t) total)
                         : test::sine (frequency, rate, total, 0.25f);

        if (frequency * 2.0 == rate) // a sine at half the rate is all zeros: use the alternating wave
            for (std::size_t i = 0; i < input.size(); ++i)
                input[i] = (i % 2 == 0) ? 0.25f : -0.25f;

        auto left = input, right = input;
        test::processSignal (engine, amounts, left, &right);

        const auto delay = (std::size_t) engine.getDelayLength();
        const auto settled = (std::size_t) rate;
        return test::decibels (test::rms (left, settled + delay, left.size()) / test::rms (input, settled, input.size() - delay));
    }
} // namespace

TEST (EffectEngine, FreshEngineIsPreparedFor44100)
{
    EffectEngine engine;
    EXPECT_EQ (engine.getSampleRate(), 44100.0);
    EXPECT_EQ (EngineProbe::longWindow (engine).getLength(), 13230);
    EXPECT_EQ (EngineProbe::shortWindow (engine).getLength(), 882);
    EXPECT_EQ (engine.getDelayLength(), 512);
    EXPECT_EQ (engine.getRedMeter(), 0.0f);
    EXPECT_EQ (engine.getGreenMeter(), 0.0f);
    EXPECT_EQ (engine.getBlueMeter(), 0.0f);
    EXPECT_DOUBLE_EQ (EngineProbe::transientEnvelope (engine).attack, 1.0 / 3307.5);
    EXPECT_DOUBLE_EQ (EngineProbe::transientEnvelope (engine).release, 1.0 - 1.0 / 13230.0);
    EXPECT_DOUBLE_EQ (EngineProbe::peakEnvelope (engine).release, 1.0 - 1.0 / 44100.0);
}

TEST (EffectEngine, PrepareSizesEverythingForTheRate)
{
    struct Row
    {
        double rate;
        int longWindow, shortWindow, delay;
        double attackSamples, releaseSamples;
    };

    // Each row is prepared on a fresh engine. At 22050 the delay law gives 0 samples, which
    // the delay line ignores, so it keeps the 512 of construction.
    for (const auto row : { Row { 22050, 6615, 441, 512, 1653.75, 6615 },
                            Row { 44100, 13230, 882, 512, 3307.5, 13230 },
                            Row { 48000, 14400, 960, 512, 3600, 14400 },
                            Row { 88200, 26460, 1764, 1024, 6615, 26460 },
                            Row { 96000, 28800, 1920, 1024, 7200, 28800 },
                            Row { 192000, 57600, 3840, 2048, 14400, 57600 } })
    {
        EffectEngine engine;
        engine.prepare (row.rate);
        EXPECT_EQ (EngineProbe::longWindow (engine).getLength(), row.longWindow) << row.rate;
        EXPECT_EQ (EngineProbe::shortWindow (engine).getLength(), row.shortWindow) << row.rate;
        EXPECT_EQ (engine.getDelayLength(), row.delay) << row.rate;
        EXPECT_DOUBLE_EQ (EngineProbe::transientEnvelope (engine).attack, 1.0 / row.attackSamples) << row.rate;
        EXPECT_DOUBLE_EQ (EngineProbe::transientEnvelope (engine).release, 1.0 - 1.0 / row.releaseSamples) << row.rate;
        EXPECT_EQ (EngineProbe::designRate (EngineProbe::redFilter (engine)), row.rate);
        EXPECT_EQ (EngineProbe::designRate (EngineProbe::blueFilter (engine)), row.rate);
    }
}

TEST (EffectEngine, DelayComesOutExactlyAtItsLength)
{
    for (double rate : { 44100.0, 48000.0, 96000.0, 192000.0 })
    {
        EffectEngine engine;
        engine.prepare (rate);
        const int delay = engine.getDelayLength();
        std::vector<float> left ((std::size_t) delay * 3, 0.0f), right = left;
        left[10] = right[10] = 0.5f;
        test::processSignal (engine, {}, left, &right, 333);

        for (std::size_t i = 0; i < left.size(); ++i)
        {
            if (i == (std::size_t) delay + 10)
                EXPECT_NEAR (left[i], 0.5f, 1.0e-6f) << rate;
            else
                EXPECT_LE (std::abs (left[i]), 1.0e-7f) << rate << " at " << i; // the noise floor, whose draws lie in [-1e-7, 1e-7)
        }
    }
}

TEST (EffectEngine, RepeatedOrNonsenseRatesChangeNothing)
{
    EffectEngine engine;
    engine.prepare (96000.0);
    std::vector<float> left (3000, 0.25f), right = left;
    test::processSignal (engine, { 1.0f, 1.0f, 1.0f, true }, left, &right);
    const double longSum = EngineProbe::longWindow (engine).getSum();
    const float green = engine.getGreenMeter();

    for (double rate : { 96000.0, 0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1.0e12, 10.0 })
    {
        engine.prepare (rate);
        EXPECT_EQ (engine.getSampleRate(), 96000.0);
        EXPECT_EQ (engine.getDelayLength(), 1024);
        EXPECT_EQ (EngineProbe::longWindow (engine).getSum(), longSum);
        EXPECT_EQ (engine.getGreenMeter(), green);
        EXPECT_TRUE (std::isfinite (EngineProbe::transientEnvelope (engine).attack));
    }
}

TEST (EffectEngine, NewRateKeepsFilterMemoryAndMetersButEmptiesWindowsAndDelay)
{
    EffectEngine engine;
    std::vector<float> left = test::sine (1000.0, 44100.0, 30000, 0.5f), right = left;
    test::processSignal (engine, { 1.0f, 0.0f, 0.0f, false }, left, &right);
    const float red = engine.getRedMeter();
    ASSERT_GT (engine.getGreenMeter(), 0.5f);

    engine.prepare (48000.0); // same delay length, new window lengths
    EXPECT_EQ (EngineProbe::longWindow (engine).getSum(), 0.0);
    EXPECT_EQ (engine.getRedMeter(), red);

    // The delay line still holds the last 512 samples of the sine.
    std::vector<float> silentLeft (512, 0.0f), silentRight (512, 0.0f);
    test::processSignal (engine, {}, silentLeft, &silentRight);
    EXPECT_GT (test::rms (silentLeft, 0, 512), 0.3);

    engine.prepare (96000.0); // new delay length: emptied
    std::vector<float> after (1024, 0.0f), afterRight (1024, 0.0f);
    test::processSignal (engine, {}, after, &afterRight);
    EXPECT_LT (test::rms (after, 0, 1024), 1.0e-7);
}

class EngineAtRate : public testing::TestWithParam<double>
{
};

TEST_P (EngineAtRate, RedStageRaisesEightyHertzByItsDecibels)
{
    const double rate = GetParam();
    EXPECT_NEAR (stageGainAt (80.0, rate, { 1.0f, 0.0f, 0.0f, false }), 0.95, 0.005);
    EXPECT_NEAR (stageGainAt (80.0, rate, { 1.0f, 0.0f, 0.0f, true }), 1.850, 0.005);
}

TEST_P (EngineAtRate, BlueStageCornerStaysAtTenKilohertz)
{
    // At its corner the high-pass passes the tone at 1/sqrt(2) with a 45 degree lead.
    const double rate = GetParam();
    const double m = EnhancementStages::blueMix (1.0f, false);
    const double expected = test::decibels (std::hypot (1.0 + m * 0.5, m * 0.5));
    EXPECT_NEAR (stageGainAt (10000.0, rate, { 0.0f, 0.0f, 1.0f, false }), expected, 0.01);
}

TEST_P (EngineAtRate, GreenStageIsABroadbandGain)
{
    const double rate = GetParam();
    EXPECT_NEAR (stageGainAt (1000.0, rate, { 0.0f, 1.0f, 0.0f, false }), 1.25, 0.001);
    EXPECT_NEAR (stageGainAt (5000.0, rate, { 0.0f, 1.0f, 0.0f, true }), 1.25 * 1.9475, 0.001);
}

INSTANTIATE_TEST_SUITE_P (Rates, EngineAtRate, testing::Values (44100.0, 48000.0, 96000.0));

TEST (EffectEngine, BlueStageRaisesTheTopOctaveAt44100)
{
    EXPECT_NEAR (stageGainAt (22050.0, 44100.0, { 0.0f, 0.0f, 1.0f, false }), 1.28, 0.005);
    EXPECT_NEAR (stageGainAt (22050.0, 44100.0, { 0.0f, 0.0f, 1.0f, true }), 2.493, 0.005);
}

TEST (EffectEngine, SilenceComesOutAsTheNoiseFloorIdenticalInBothChannels)
{
    EffectEngine engine;
    std::vector<float> left (20000, 0.0f), right (20000, 0.0f);
    test::processSignal (engine, {}, left, &right);

    int nonZero = 0;

    for (std::size_t i = 0; i < left.size(); ++i)
    {
        EXPECT_EQ (left[i], right[i]);
        EXPECT_LE (std::abs (left[i]), 1.0e-7f);                        // the floor's draws lie in [-1e-7, 1e-7)
        EXPECT_TRUE (left[i] == 0.0f || std::abs (left[i]) >= 1.0e-8f); // tiny values flushed

        if (i < 512)
        {
            EXPECT_EQ (left[i], 0.0f);
        }

        nonZero += left[i] != 0.0f ? 1 : 0;
    }

    EXPECT_GT (nonZero, 10000); // the floor is really there
}

TEST (EffectEngine, GreenAloneScalesTheDelayedInput)
{
    EffectEngine engine;
    const auto input = test::sine (440.0, 44100.0, 8192, 0.5f);
    auto left = input, right = input;
    test::processSignal (engine, { 0.0f, 1.0f, 0.0f, false }, left, &right);

    for (std::size_t i = 512; i < left.size(); ++i)
        EXPECT_NEAR (left[i], input[i - 512] * 1.15478f, 2.0e-6f);
}

TEST (EffectEngine, MonoIsProcessedLikeTheLeftChannel)
{
    EffectEngine mono, stereo;
    mono.setNoiseSeed (42);
    stereo.setNoiseSeed (42);

    auto monoLeft = test::sine (90.0, 44100.0, 20000, 0.4f);
    auto stereoLeft = monoLeft;
    auto stereoRight = test::sine (12000.0, 44100.0, 20000, 0.7f);
    const Amounts all { 0.8f, 0.6f, 0.9f, true };

    test::processSignal (mono, all, monoLeft, nullptr, 700);
    test::processSignal (stereo, all, stereoLeft, &stereoRight, 700);
    EXPECT_EQ (monoLeft, stereoLeft);
}

TEST (EffectEngine, StageThatWakesStartsFromSilenceNotFromOldMemory)
{
    // Red plays, falls silent long enough for its glide to end, and comes back. From then on the
    // engine must sound exactly like one whose red stage never ran: whatever its filters held
    // belongs to audio long gone, and would ring out on return.
    EffectEngine returning, fresh;
    returning.setNoiseSeed (1);
    fresh.setNoiseSeed (1);
    const int block = 512;
    const auto input = test::sine (80.0, 44100.0, block * 20, 0.5f);
    auto a = input, ar = input, b = input, br = input;
    const Amounts red { 1.0f, 0.0f, 0.0f, false };

    for (int k = 0; k < 20; ++k)
    {
        const auto start = (std::size_t) (k * block);
        test::processBlock (returning, k < 6 || k >= 12 ? red : Amounts {}, a.data() + start, ar.data() + start, block);
        test::processBlock (fresh, k >= 12 ? red : Amounts {}, b.data() + start, br.data() + start, block);
    }

    EXPECT_NE (a, b); // the first six blocks differ: one engine played red
    EXPECT_TRUE (std::equal (a.begin() + 12 * block, a.end(), b.begin() + 12 * block));
    EXPECT_TRUE (std::equal (ar.begin() + 12 * block, ar.end(), br.begin() + 12 * block));
}

TEST (EffectEngine, LongBlocksSoundLikeShortOnes)
{
    EffectEngine longBlocks, shortBlocks;
    longBlocks.setNoiseSeed (3);
    shortBlocks.setNoiseSeed (3);

    auto a = test::sine (3000.0, 44100.0, 3 * 8192 + 17, 0.6f);
    auto b = a;
    auto ar = test::sine (70.0, 44100.0, (int) a.size(), 0.6f);
    auto br = ar;
    const Amounts all { 1.0f, 1.0f, 1.0f, true };
    test::processSignal (longBlocks, all, a, &ar, 10000);
    test::processSignal (shortBlocks, all, b, &br, 256);
    EXPECT_EQ (a, b);
    EXPECT_EQ (ar, br);
}

TEST (EffectEngine, NonFiniteInputIsSilenceAndNeverPoisonsTheState)
{
    EffectEngine poisoned, clean;
    poisoned.setNoiseSeed (9);
    clean.setNoiseSeed (9);

    auto signal = test::sine (200.0, 44100.0, 6000, 0.5f);
    auto left = signal, right = signal, cleanLeft = signal, cleanRight = signal;
    left[100] = std::numeric_limits<float>::quiet_NaN();
    right[101] = std::numeric_limits<float>::infinity();
    left[102] = -std::numeric_limits<float>::infinity();
    cleanLeft[100] = cleanRight[101] = cleanLeft[102] = 0.0f;

    const Amounts all { 1.0f, 1.0f, 1.0f, true };
    test::processSignal (poisoned, all, left, &right);
    test::processSignal (clean, all, cleanLeft, &cleanRight);

    EXPECT_EQ (left, cleanLeft);
    EXPECT_EQ (right, cleanRight);
    EXPECT_TRUE (std::isfinite (poisoned.getRedMeter()));
    EXPECT_TRUE (std::isfinite (poisoned.getGreenMeter()));
}

TEST (EffectEngine, AmountsOutOfRangeAreLimitedNeverInfinite)
{
    // The processor hands over 0..1, but the engine is a library of its own: an amount above 1
    // (infinity included) works as 1 and one below 0 or NaN as 0, so that no gain and no glide
    // towards one can blow up, and the engine goes on gliding normally afterwards.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();

    for (const auto& [wild, tame] : { std::pair (Amounts { inf, 1.0e30f, 2.0f, true }, Amounts { 1.0f, 1.0f, 1.0f, true }),
                                      std::pair (Amounts { nan, -1.0f, -inf, true }, Amounts {}) })
    {
        EffectEngine a, b;
        a.setNoiseSeed (2);
        b.setNoiseSeed (2);
        auto left = test::sine (1000.0, 44100.0, 8192, 0.5f), right = left;
        auto expectedLeft = left, expectedRight = right;
        test::processSignal (a, {}, left, &right);
        test::processSignal (b, {}, expectedLeft, &expectedRight);

        // From 0 to the wild amounts and back, through glides; each pass plays the last one's
        // output again.
        for (const bool on : { true, false, true })
        {
            test::processSignal (a, on ? wild : Amounts {}, left, &right);
            test::processSignal (b, on ? tame : Amounts {}, expectedLeft, &expectedRight);
        }

        EXPECT_EQ (left, expectedLeft);
        EXPECT_EQ (right, expectedRight);
    }
}

TEST (EffectEngine, KnobsAreCrossMixedAndNonFinitePositionsCountAsZero)
{
    // Each knob drives its own stage with 90 % and leaks 5 % into the other two; x2 is on from
    // one half up. What a host may hand over that is not a number is a knob at 0.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    EffectEngine engine;

    engine.setKnobs (1.0f, 0.0f, 0.0f, 0.5f);
    auto setting = EngineProbe::setting (engine);
    EXPECT_FLOAT_EQ (setting.redAmount, 0.9f);
    EXPECT_FLOAT_EQ (setting.greenAmount, 0.05f);
    EXPECT_FLOAT_EQ (setting.blueAmount, 0.05f);
    EXPECT_TRUE (setting.x2Enabled);

    engine.setBypassed (true);
    engine.setKnobs (nan, inf, -inf, nan);
    setting = EngineProbe::setting (engine);
    EXPECT_EQ (setting.redAmount, 0.0f);
    EXPECT_EQ (setting.greenAmount, 0.0f);
    EXPECT_EQ (setting.blueAmount, 0.0f);
    EXPECT_FALSE (setting.x2Enabled);
    EXPECT_TRUE (setting.bypassed) << "the knobs leave the bypass alone";
}

TEST (EffectEngine, EmptyBlockChangesNothing)
{
    EffectEngine engine;
    float sample = 0.5f;
    test::processBlock (engine, { 1.0f, 1.0f, 1.0f, true }, &sample, &sample, 0);
    test::processBlock (engine, { 1.0f, 1.0f, 1.0f, true }, &sample, nullptr, -5);
    EXPECT_EQ (sample, 0.5f);
    EXPECT_EQ (engine.getHistory().getLevelRing().getPosition(), 0);
    EXPECT_EQ (EngineProbe::setting (engine).redAmount, 1.0f);
}

TEST (EffectEngine, AbsurdlyLoudInputCannotBreakTheMeters)
{
    // Finite, but so loud that squares and sums of it would overflow.
    EffectEngine engine;
    std::vector<float> left (4096, 3.0e38f), right (4096, 3.0e38f);
    test::processSignal (engine, { 1.0f, 1.0f, 1.0f, true }, left, &right);

    for (float sample : left)
        ASSERT_TRUE (std::isfinite (sample));

    auto sine = test::sine (1000.0, 44100.0, 44100 * 3, 0.5f), sineRight = sine;
    test::processSignal (engine, {}, sine, &sineRight);

    for (float meter : { engine.getRedMeter(), engine.getGreenMeter(), engine.getBlueMeter() })
        EXPECT_TRUE (std::isfinite (meter));

    EXPECT_GT (engine.getGreenMeter(), 0.0f);
    EXPECT_TRUE (std::isfinite (EngineProbe::longWindow (engine).getSum()));
}

TEST (EffectEngine, BypassFadesToTheDelayedDrySignalAndBack)
{
    // Three engines on one noise seed hear the same material: one processes throughout, one
    // with all amounts at 0 is the dry path, and one is bypassed now and then. Each switch
    // fades over the glide; from 50 ms after it, the bypassed engine is the dry path to the
    // bit (bypass keeps the delay) and the returning one is the processed sound again, its
    // filters settled from their fresh start.
    EffectEngine processed, dry, toggled;

    for (auto* engine : { &processed, &dry, &toggled })
        engine->setNoiseSeed (11);

    const test::Amounts strong { 1.0f, 1.0f, 1.0f, true };
    const int block = 2205; // 50 ms
    const auto input = test::sine (90.0, 44100.0, block * 40, 0.5f);
    auto a = input, b = input, c = input;
    auto ar = input, br = input, cr = input;
    int checked = 0;

    for (int k = 0; k < 40; ++k)
    {
        const auto start = (std::size_t) (k * block);
        const bool bypassed = (k % 7) >= 4; // several switches each way, at block boundaries
        const bool justSwitched = k > 0 && bypassed != (((k - 1) % 7) >= 4);
        test::processBlock (processed, strong, a.data() + start, ar.data() + start, block);
        test::processBlock (dry, {}, b.data() + start, br.data() + start, block);
        toggled.setBypassed (bypassed);
        test::processBlock (toggled, strong, c.data() + start, cr.data() + start, block);

        if (justSwitched)
            continue;

        ++checked;

        for (std::size_t i = start; i < start + block; ++i)
        {
            if (bypassed)
            {
                ASSERT_EQ (c[i], b[i]) << "bypassed block " << k << ", sample " << i;
                ASSERT_EQ (cr[i], br[i]);
            }
            else
            {
                ASSERT_NEAR (c[i], a[i], 1.0e-6f) << "processed block " << k << ", sample " << i;
                ASSERT_NEAR (cr[i], ar[i], 1.0e-6f);
            }
        }
    }

    EXPECT_GT (checked, 25);

    // The dry path really is the input, a delay later, and the processed one is not.
    for (std::size_t i = 512; i < input.size(); ++i)
        ASSERT_NEAR (b[i], input[i - 512], 2.0e-7f) << i;

    EXPECT_GT (std::abs (a[10000] - b[10000]), 0.01f);

    // The analysis went on while bypassed: its meters and history match those of the engine
    // that processed throughout.
    EXPECT_EQ (toggled.getRedMeter(), processed.getRedMeter());
    EXPECT_EQ (toggled.getGreenMeter(), processed.getGreenMeter());
    EXPECT_EQ (toggled.getBlueMeter(), processed.getBlueMeter());

    juce::Array<float> toggledLevels, processedLevels;
    juce::Array<int> toggledColours, processedColours;

    for (auto* array : { &toggledLevels, &processedLevels })
        array->resize (399);

    for (auto* array : { &toggledColours, &processedColours })
        array->resize (400);

    ASSERT_TRUE (toggled.copyHistory (toggledLevels, toggledColours));
    ASSERT_TRUE (processed.copyHistory (processedLevels, processedColours));
    EXPECT_EQ (toggledLevels, processedLevels);
    EXPECT_EQ (toggledColours, processedColours);
}
