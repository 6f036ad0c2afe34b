#include "engine/GainGlide.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace tavine;

namespace
{
    /** The next `n` samples of each gain. */
    struct GainsWritten
    {
        std::vector<float> green, red, blue;

        GainsWritten (GainGlide& glide, int n)
            : green ((std::size_t) n)
            , red ((std::size_t) n)
            , blue ((std::size_t) n)
        {
            glide.fill (green.data(), red.data(), blue.data(), n);
        }
    };

    // The 30 ms the glide takes, at any rate, and within 50 ms at every rate.
    int lengthAt (double rate)
    {
        GainGlide glide;
        glide.prepare (rate);
        return glide.getLengthSamples();
    }
} // namespace

TEST (GainGlide, LastsThirtyMillisecondsAtEveryRate)
{
    EXPECT_EQ (lengthAt (44100.0), 1323);
    EXPECT_EQ (lengthAt (48000.0), 1440);
    EXPECT_EQ (lengthAt (96000.0), 2880);
    EXPECT_EQ (lengthAt (192000.0), 5760);
    EXPECT_EQ (lengthAt (1000.0), 30);
}

TEST (GainGlide, ArrivesExactlyAtItsTargetAndStaysThere)
{
    GainGlide glide;
    glide.prepare (48000.0);
    glide.jumpTo ({ 1.0f, 0.0f, 0.0f });
    const StageGains target { 1.32348f, 0.23739f, 0.33242f };
    glide.glideTo (target);
    ASSERT_TRUE (glide.isGliding());

    const int n = glide.getLengthSamples();
    const GainsWritten run (glide, n + 100);

    // The first sample has moved already, in the block the change arrived in; each gain rises
    // without turning back and without a corner at either end.
    EXPECT_GT (run.green[0], 1.0f);
    EXPECT_LT (run.green[0], 1.0001f);

    for (std::size_t i = 1; i < run.green.size(); ++i)
    {
        EXPECT_GE (run.green[i], run.green[i - 1]) << i;
        EXPECT_GE (run.red[i], run.red[i - 1]) << i;
    }

    EXPECT_LT (run.green[(std::size_t) n - 2], target.green);

    for (std::size_t i = (std::size_t) n - 1; i < run.green.size(); ++i)
    {
        ASSERT_EQ (run.green[i], target.green) << i;
        ASSERT_EQ (run.red[i], target.red) << i;
        ASSERT_EQ (run.blue[i], target.blue) << i;
    }

    EXPECT_FALSE (glide.isGliding());
    EXPECT_EQ (glide.getCurrent(), target);

    // Halfway the glide is halfway, and at its steepest: 1.5 times a straight ramp's slope.
    const double step = target.green - 1.0;
    EXPECT_NEAR (run.green[(std::size_t) n / 2 - 1], 1.0 + step / 2.0, 1.0e-6);
    EXPECT_NEAR (run.green[(std::size_t) n / 2] - run.green[(std::size_t) n / 2 - 1], 1.5 * step / n, 1.0e-6);
}

TEST (GainGlide, ANewTargetMidwayKeepsValueAndSlopeContinuous)
{
    // Reversals and pushes at every point of a glide: the gain may never jump, and its slope
    // may change only by about what the cubic's curvature gives (6 D / n² per sample).
    for (const int when : { 1, 10, 300, 720, 1100, 1438 })
    {
        GainGlide glide;
        glide.prepare (48000.0);
        glide.jumpTo ({ 1.0f, 0.0f, 0.0f });
        glide.glideTo ({ 1.2f, 0.2f, 0.0f });
        const GainsWritten first (glide, when);
        glide.glideTo ({ 1.0f, 0.0f, 0.1f }); // back where it came from, blue newly on the way
        const GainsWritten second (glide, 2000);

        std::vector<float> green (first.green), red (first.red);
        green.insert (green.end(), second.green.begin(), second.green.end());
        red.insert (red.end(), second.red.begin(), second.red.end());
        const double n = glide.getLengthSamples();
        const double curvature = 6.0 * 0.2 / (n * n);

        for (std::size_t i = 2; i < green.size(); ++i)
        {
            for (const auto* gain : { &green, &red })
            {
                const double slope = (*gain)[i] - (*gain)[i - 1];
                const double previous = (*gain)[i - 1] - (*gain)[i - 2];
                ASSERT_LT (std::abs (slope), 1.5 * 0.2 / n * 1.5) << "after " << when << ", sample " << i;
                ASSERT_LT (std::abs (slope - previous), 2.0 * curvature + 3.0e-7) << "after " << when << ", sample " << i;
            }
        }

        EXPECT_EQ (green.back(), 1.0f);
        EXPECT_EQ (red.back(), 0.0f);
        EXPECT_EQ (second.blue.back(), 0.1f);
    }
}

TEST (GainGlide, TargetsChangingEverySampleStayBoundedAndSettle)
{
    // A host that moves a knob at random in blocks of one sample: the gains follow smoothly,
    // never run away, and end exactly on the last target.
    std::mt19937 random (3);
    std::uniform_real_distribution<float> draw (0.0f, 1.0f);
    GainGlide glide;
    glide.prepare (44100.0);
    float lowest = 1.0f, highest = 0.0f;

    for (int i = 0; i < 50000; ++i)
    {
        glide.glideTo ({ 1.0f + draw (random), draw (random), 0.0f });
        const GainsWritten run (glide, 1);
        lowest = std::min (lowest, run.red[0]);
        highest = std::max (highest, run.red[0]);
    }

    EXPECT_GT (lowest, -0.25f);
    EXPECT_LT (highest, 1.25f);

    const StageGains last { 1.5f, 0.5f, 0.0f };
    glide.glideTo (last);
    const GainsWritten settle (glide, glide.getLengthSamples());
    EXPECT_EQ (glide.getCurrent(), last);
    EXPECT_EQ (settle.red.back(), 0.5f);
}

TEST (GainGlide, JumpsAndUntouchedGainsDoNotMove)
{
    GainGlide glide;
    glide.prepare (48000.0);
    glide.glideTo ({ 1.1f, 0.0f, 0.0f });
    EXPECT_FALSE (glide.redInUse());
    EXPECT_FALSE (glide.blueInUse());

    // Red stays exactly 0 while green glides, so its stage needs no filtering.
    const GainsWritten run (glide, 100);
    EXPECT_TRUE (std::all_of (run.red.begin(), run.red.end(), [] (float v) { return v == 0.0f; }));

    glide.glideTo ({ 1.1f, 0.1f, 0.0f });
    EXPECT_TRUE (glide.redInUse());

    // A jump ends the glide at once, at the new value.
    glide.jumpTo ({ 1.2f, 0.0f, 0.3f });
    EXPECT_FALSE (glide.isGliding());
    EXPECT_FALSE (glide.redInUse());
    EXPECT_TRUE (glide.blueInUse());
    const GainsWritten after (glide, 3);
    EXPECT_EQ (after.green[0], 1.2f);
    EXPECT_EQ (after.blue[2], 0.3f);

    // Asking again for the target under way changes nothing.
    glide.glideTo ({ 1.2f, 0.0f, 0.3f });
    EXPECT_FALSE (glide.isGliding());
}
