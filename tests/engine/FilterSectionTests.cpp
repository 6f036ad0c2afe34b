#include "engine/FilterSection.h"
#include "support/EngineProbe.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace tavine;

namespace
{
    // Steady-state gain in dB of a section at one frequency: the RMS over one second, after a
    // first second in which the transient dies away.
    double gainAt (FilterSection& section, double frequency, double rate)
    {
        const int settle = (int) rate;  // one second
        const int measure = (int) rate; // one more second
        auto x = test::sine (frequency, rate, settle + measure, 0.5f);
        auto y = x;
        EngineProbe::processInPlace (section, y.data(), (int) y.size());
        return test::decibels (test::rms (y, (std::size_t) settle, y.size()) / test::rms (x, (std::size_t) settle, x.size()));
    }
} // namespace

TEST (FilterSection, IdentityPassesSamplesButFlushesTinyOnes)
{
    FilterSection section;
    std::vector<float> x { 0.5f, -0.25f, 9.0e-9f, -9.0e-9f, 1.1e-8f, 0.0f, 1.0f };
    auto y = x;
    EngineProbe::processInPlace (section, y.data(), (int) y.size());

    EXPECT_EQ (y[0], 0.5f);
    EXPECT_EQ (y[1], -0.25f);
    EXPECT_EQ (y[2], 0.0f);
    EXPECT_EQ (y[3], 0.0f);
    EXPECT_EQ (y[4], 1.1e-8f); // just above the threshold is kept
    EXPECT_EQ (y[6], 1.0f);
}

class FilterSectionAtRate : public testing::TestWithParam<double>
{
};

TEST_P (FilterSectionAtRate, BandPassHasUnityGainAndZeroPhaseAtItsCentre)
{
    const double rate = GetParam();
    FilterSection section;
    section.setDesignRate (rate);
    section.design (FilterShape::bandPass, 80.0, 0.5);

    EXPECT_NEAR (gainAt (section, 80.0, rate), 0.0, 0.001);

    // Zero phase: after settling, output and input coincide sample by sample.
    FilterSection again;
    again.setDesignRate (rate);
    again.design (FilterShape::bandPass, 80.0, 0.5);
    auto x = test::sine (80.0, rate, (int) rate * 2, 0.5f);
    auto y = x;
    EngineProbe::processInPlace (again, y.data(), (int) y.size());

    for (std::size_t i = (std::size_t) rate; i < y.size(); i += 97)
        EXPECT_NEAR (y[i], x[i], 1.0e-4);

    // Half-power points of a Q of 0.5 around 80 Hz.
    EXPECT_NEAR (gainAt (section, 33.14, rate), -3.01, 0.05);
    EXPECT_NEAR (gainAt (section, 193.14, rate), -3.01, 0.05);
}

TEST_P (FilterSectionAtRate, HighPassCornerSitsAtTenKilohertz)
{
    const double rate = GetParam();
    FilterSection section;
    section.setDesignRate (rate);
    section.design (FilterShape::highPass1, 10000.0, 0.5);

    EXPECT_NEAR (gainAt (section, 10000.0, rate), -3.0103, 0.01);
    EXPECT_LT (gainAt (section, 1000.0, rate), -19.0);
}

INSTANTIATE_TEST_SUITE_P (Rates, FilterSectionAtRate, testing::Values (44100.0, 48000.0, 96000.0, 192000.0));

TEST (FilterSection, HighPassBlocksDcAndPassesNyquist)
{
    FilterSection section;
    section.design (FilterShape::highPass1, 10000.0, 0.5);

    std::vector<float> dc (20000, 0.75f);
    EngineProbe::processInPlace (section, dc.data(), (int) dc.size());
    EXPECT_EQ (dc.back(), 0.0f); // decays to exactly 0 through the output flush

    FilterSection nyquist;
    nyquist.design (FilterShape::highPass1, 10000.0, 0.5);
    std::vector<float> alternating (2000);

    for (std::size_t i = 0; i < alternating.size(); ++i)
        alternating[i] = (i % 2 == 0) ? 1.0f : -1.0f;

    EngineProbe::processInPlace (nyquist, alternating.data(), (int) alternating.size());
    EXPECT_NEAR (std::abs (alternating.back()), 1.0f, 1.0e-5f);
}

TEST (FilterSection, KeepsItsMemoryAcrossRedesignAndReachesExactSilence)
{
    const auto input = test::sine (80.0, 44100.0, 4000, 0.5f);

    FilterSection reference;
    reference.design (FilterShape::bandPass, 80.0, 0.5);
    auto expected = input;
    EngineProbe::processInPlace (reference, expected.data(), (int) expected.size());

    // The same design applied again halfway leaves the output sequence unchanged.
    FilterSection redesigned;
    redesigned.design (FilterShape::bandPass, 80.0, 0.5);
    auto actual = input;
    EngineProbe::processInPlace (redesigned, actual.data(), 2000);
    redesigned.design (FilterShape::bandPass, 80.0, 0.5);
    EngineProbe::processInPlace (redesigned, actual.data() + 2000, 2000);
    EXPECT_EQ (actual, expected);

    // Silence after signal: the output reaches exact zero within the silence and stays there.
    std::vector<float> silence (200000, 0.0f);
    EngineProbe::processInPlace (redesigned, silence.data(), (int) silence.size());
    const auto lastNonZero = std::find_if (silence.rbegin(), silence.rend(), [] (float v) { return v != 0.0f; });
    ASSERT_NE (lastNonZero, silence.rend()) << "the memory rings on into the silence";
    EXPECT_LT (std::distance (lastNonZero, silence.rend()), (std::ptrdiff_t) silence.size() / 2) << "exact zero well within the silence, and for good";
}

TEST (FilterSection, ClearStateForgetsThePast)
{
    FilterSection a, b;
    a.design (FilterShape::bandPass, 80.0, 0.5);
    b.design (FilterShape::bandPass, 80.0, 0.5);

    auto warmUp = test::sine (80.0, 44100.0, 1000, 0.5f);
    EngineProbe::processInPlace (a, warmUp.data(), (int) warmUp.size());
    a.clearState();

    auto x = test::sine (200.0, 44100.0, 500, 0.3f);
    auto ya = x, yb = x;
    EngineProbe::processInPlace (a, ya.data(), (int) ya.size());
    EngineProbe::processInPlace (b, yb.data(), (int) yb.size());
    EXPECT_EQ (ya, yb);
}

TEST (FilterSection, UnknownShapeKeepsTheCoefficients)
{
    FilterSection section;
    section.design (FilterShape::highPass1, 10000.0, 0.5);
    const auto before = section.getCoefficients();
    section.design (static_cast<FilterShape> (42), 500.0, 2.0);
    const auto after = section.getCoefficients();

    EXPECT_EQ (before.b0, after.b0);
    EXPECT_EQ (before.b1, after.b1);
    EXPECT_EQ (before.a1, after.a1);
}
