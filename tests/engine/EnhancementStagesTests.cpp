#include "engine/EnhancementStages.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

using namespace tavine;

namespace
{
    std::vector<float> noise (int n, float level, unsigned seed)
    {
        std::mt19937 generator (seed);
        std::uniform_real_distribution<float> draw (-level, level);
        std::vector<float> out ((std::size_t) n);

        for (auto& v : out)
            v = draw (generator);

        return out;
    }

    /** The stages worked out one sample at a time, one section after another, with the same
        building blocks: what every combination of stages, channel count and slice length must
        give to the bit, whatever the lanes, the pairing of sections and the table of compiled
        stage sets do. */
    struct PlainStages
    {
        explicit PlainStages (double rate)
        {
            EnhancementStages::designStageFilters (rate, redLeft, blueLeft);
            EnhancementStages::designStageFilters (rate, redRight, blueRight);
        }

        void process (std::vector<float>& left, std::vector<float>* right, const StageSetting& setting)
        {
            const float g = setting.greenAmount > 0.0f ? EnhancementStages::greenGain (setting.greenAmount, setting.x2Enabled) : 1.0f;
            const float mRed = EnhancementStages::redMix (setting.redAmount, setting.x2Enabled);
            const float mBlue = EnhancementStages::blueMix (setting.blueAmount, setting.x2Enabled);
            const bool redOn = setting.redAmount > 0.0f, blueOn = setting.blueAmount > 0.0f;

            // A filtered stage that was off starts its sections from silence.
            for (auto [on, wasOn, sections] : { std::tuple (redOn, redWasOn, std::array { &redLeft, &redRight }), std::tuple (blueOn, blueWasOn, std::array { &blueLeft, &blueRight }) })
                if (on && ! wasOn)
                    for (auto* section : sections)
                        section->clearState();

            redWasOn = redOn;
            blueWasOn = blueOn;

            for (std::size_t i = 0; i < left.size(); ++i)
            {
                const float l = left[i], r = right != nullptr ? (*right)[i] : l;

                peak.value *= peak.release;

                if (peak.value < 1.0e-8)
                    peak.value = 0.0;

                peak.value = std::max (peak.value, (double) (l + r) * 0.5);

                const auto stage = [&] (float x, FilterSection& red, FilterSection& blue) {
                    const float dry = std::abs (x) < 1.0e-8f ? 0.0f : x;
                    float out = setting.greenAmount > 0.0f ? dry * g : dry;

                    if (setting.redAmount > 0.0f)
                        out = out + mRed * (float) step (red, dry);

                    if (setting.blueAmount > 0.0f)
                        out = out + mBlue * (float) step (blue, dry);

                    return out;
                };

                left[i] = stage (l, redLeft, blueLeft);

                if (right != nullptr)
                    (*right)[i] = stage (r, redRight, blueRight);
            }
        }

        static double step (FilterSection& section, float x)
        {
            FilterSection::Cursor cursor (section);
            const double y = cursor.step (x);
            cursor.storeInto (section);
            return y;
        }

        FilterSection redLeft, redRight, blueLeft, blueRight;
        bool redWasOn = false, blueWasOn = false;
        Envelope peak { 0.0, 1.0 - 1.0 / 44100.0, 0.0 };
    };
} // namespace

TEST (EnhancementStages, LawsAtFullAmount)
{
    EXPECT_NEAR (EnhancementStages::greenGain (1.0f, false), 1.15478f, 1.0e-5f);
    EXPECT_NEAR (EnhancementStages::greenGain (1.0f, true), 1.32348f, 1.0e-5f);
    EXPECT_NEAR (EnhancementStages::redMix (1.0f, false), 0.11558f, 1.0e-5f);
    EXPECT_NEAR (EnhancementStages::redMix (1.0f, true), 0.23739f, 1.0e-5f);
    EXPECT_NEAR (EnhancementStages::blueMix (1.0f, false), 0.15878f, 1.0e-5f);
    EXPECT_NEAR (EnhancementStages::blueMix (1.0f, true), 0.33242f, 1.0e-5f);

    EXPECT_EQ (EnhancementStages::greenGain (0.0f, true), 1.0f);
    EXPECT_EQ (EnhancementStages::redMix (0.0f, true), 0.0f);
    // Every law goes through the square root of the amount.
    EXPECT_NEAR (EnhancementStages::greenGain (0.25f, false), std::pow (10.0f, 0.5f * 1.25f / 20.0f), 1.0e-6f);
}

// Each slice switches to another stage set, taken at once, so every compiled stage set runs and a
// stage that was off has to start its sections from silence. The slice lengths leave every
// remainder of a vector of four floats, and two of them run past the stages' 512-sample chunk.
TEST (EnhancementStages, EveryStageSetInMonoAndStereoMatchesPlainPerSampleProcessing)
{
    constexpr double rate = 48000.0;
    const std::array<int, 6> lengths { 1, 3, 4, 7, 513, 1030 };

    for (const bool stereo : { false, true })
    {
        EnhancementStages stages;
        stages.prepare (rate);
        PlainStages plain (rate);
        Envelope peak = plain.peak;
        int slice = 0;

        for (int set = 0; set < 8 * 3; ++set)
        {
            const StageSetting setting { (set & 4) != 0 ? 0.7f : 0.0f, (set & 2) != 0 ? 0.4f : 0.0f, (set & 1) != 0 ? 1.0f : 0.0f, (set / 8) == 1 };
            const int n = lengths[(std::size_t) (slice++ % (int) lengths.size())];

            auto left = noise (n, 0.3f, 17u + (unsigned) set);
            auto right = noise (n, 0.3f, 101u + (unsigned) set);
            left[0] = 1.0e-9f; // below the flush
            auto expectedLeft = left, expectedRight = right;
            std::vector<float> dryLeft ((std::size_t) n), dryRight ((std::size_t) n);

            stages.jumpToNextSetting();
            stages.process (left.data(), stereo ? right.data() : nullptr, dryLeft.data(), dryRight.data(), n, setting, peak);
            plain.process (expectedLeft, stereo ? &expectedRight : nullptr, setting);

            const auto where = ::testing::Message() << (stereo ? "stereo" : "mono") << ", set " << set << ", length " << n;
            EXPECT_EQ (left, expectedLeft) << where;
            EXPECT_EQ (dryLeft[0], 0.0f) << where;
            EXPECT_EQ (peak.value, plain.peak.value) << where;

            if (stereo)
            {
                EXPECT_EQ (right, expectedRight) << where;
            }
        }
    }
}

TEST (StageSetting, KnobsCrossMixIntoTheStageAmounts)
{
    // Each knob drives its own stage with 90 % and each other stage with 5 %; the weights sum
    // to 1, so equal knobs give exactly that amount to every stage.
    auto setting = StageSetting::fromKnobs (1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ (setting.redAmount, 0.9f);
    EXPECT_EQ (setting.greenAmount, 0.05f);
    EXPECT_EQ (setting.blueAmount, 0.05f);

    setting = StageSetting::fromKnobs (1.0f, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ (setting.redAmount, 1.0f);
    EXPECT_EQ (setting.greenAmount, 1.0f);
    EXPECT_EQ (setting.blueAmount, 1.0f);

    setting = StageSetting::fromKnobs (0.5f, 0.5f, 0.5f, 0.0f);
    EXPECT_EQ (setting.redAmount, 0.5f);
    EXPECT_EQ (setting.greenAmount, 0.5f);
    EXPECT_EQ (setting.blueAmount, 0.5f);

    // The toggle is on from one half up, exactly as its text and button show it.
    EXPECT_FALSE (StageSetting::fromKnobs (0, 0, 0, 0.49f).x2Enabled);
    EXPECT_TRUE (StageSetting::fromKnobs (0, 0, 0, 0.5f).x2Enabled);
    EXPECT_TRUE (StageSetting::fromKnobs (0, 0, 0, 1.0f).x2Enabled);
}
