// The engine at every rate a host may run it at, judged against the outside world rather than
// against its own design: where the filters' poles lie, and what gain a tone really gets
// compared with the analogue filters the stages stand for.

#include "engine/EffectEngine.h"
#include "support/EngineDriver.h"
#include "support/EngineProbe.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

using namespace tavine;

using test::Amounts;

namespace
{
    constexpr double pi = 3.141592653589793;

    /** The largest pole radius of a section: the roots of z^2 + a1 z + a2. */
    double largestPoleRadius (const FilterSection& section)
    {
        const auto& c = section.getCoefficients();
        const auto root = std::sqrt (std::complex<double> (c.a1 * c.a1 - 4.0 * c.a2, 0.0));
        const auto first = (-c.a1 + root) * 0.5;
        const auto second = (-c.a1 - root) * 0.5;
        return std::max (std::abs (first), std::abs (second));
    }

    /** How far inside the unit circle the poles must stay: the analogue filter's slowest pole
        at -2 pi f0 maps to exp (-2 pi f0 / rate), and a sound design keeps at least half of
        that distance (at 1 MHz the 80 Hz band-pass's poles sit 5e-4 inside, as they must). */
    double requiredMargin (double slowestPoleHz, double rate)
    {
        return 0.5 * (1.0 - std::exp (-2.0 * pi * slowestPoleHz / rate));
    }

    void expectStable (const FilterSection& redSection, const FilterSection& blueSection, double rate)
    {
        // The band-pass's analogue poles (Q 0.5) coincide at -2 pi 80 Hz.
        const double red = largestPoleRadius (redSection);
        EXPECT_LT (red, 1.0 - requiredMargin (80.0, rate)) << "red band-pass at " << rate << " Hz";

        // The first-order high-pass must never ring at Nyquist: its pole stays on [0, 1). With
        // the corner at a quarter of the rate it sits at the origin, give or take a rounding.
        const auto& blue = blueSection.getCoefficients();
        const double bluePole = -blue.a1;
        EXPECT_GE (bluePole, -1.0e-12) << "blue high-pass at " << rate << " Hz";
        EXPECT_LT (bluePole, 1.0 - requiredMargin (blueSection.getFrequencyHz(), rate)) << "blue high-pass at " << rate << " Hz";
        EXPECT_EQ (blue.a2, 0.0);
    }

    /** Where the blue corner belongs: 10 kHz, or a quarter of the rate where 10 kHz would lie
        above half the Nyquist frequency. */
    double expectedBlueCorner (double rate) { return rate >= 40000.0 ? 10000.0 : rate / 4.0; }

    /** The digital response at f of a filter made by the bilinear transform, pre-warped at the
        analogue prototype's reference frequency: the prototype's response at the warped
        frequency. */
    double warped (double frequency, double reference, double rate)
    {
        return std::tan (pi * frequency / rate) / std::tan (pi * reference / rate);
    }

    /** Gain of a stage's output relative to its input at f, from the analogue prototypes: a
        band-pass with Q 0.5 around 80 Hz, and a first-order high-pass at the corner. */
    double prototypeGain (double frequency, double rate, const Amounts& a)
    {
        const std::complex<double> j (0.0, 1.0);
        const auto sRed = j * warped (frequency, 80.0, rate);
        const auto sBlue = j * warped (frequency, expectedBlueCorner (rate), rate);
        const auto bandPass = (sRed / 0.5) / (sRed * sRed + sRed / 0.5 + 1.0);
        const auto highPass = sBlue / (sBlue + 1.0);

        const double g = a.green > 0.0f ? EnhancementStages::greenGain (a.green, a.x2) : 1.0;
        const double mRed = a.red > 0.0f ? EnhancementStages::redMix (a.red, a.x2) : 0.0;
        const double mBlue = a.blue > 0.0f ? EnhancementStages::blueMix (a.blue, a.x2) : 0.0;
        return test::decibels (std::abs (g + mRed * bandPass + mBlue * highPass));
    }

    /** Peak amplitude of the tone at f in x[begin, end), by a least-squares fit of a sine and
        a cosine: exact for any length, whole cycles or not. */
    double toneAmplitude (const std::vector<float>& x, std::size_t begin, std::size_t end, double frequency, double rate)
    {
        double cc = 0.0, ss = 0.0, cs = 0.0, xc = 0.0, xs = 0.0;

        for (std::size_t i = begin; i < end; ++i)
        {
            const double phase = 2.0 * pi * frequency * (double) i / rate;
            const double c = std::cos (phase), s = std::sin (phase);
            cc += c * c;
            ss += s * s;
            cs += c * s;
            xc += x[i] * c;
            xs += x[i] * s;
        }

        const double det = cc * ss - cs * cs;
        const double a = (xc * ss - xs * cs) / det;
        const double b = (xs * cc - xc * cs) / det;
        return std::hypot (a, b);
    }

    double measuredGain (double frequency, double rate, const Amounts& amounts)
    {
        EffectEngine engine;
        engine.prepare (rate);
        const auto total = (std::size_t) rate;
        const auto input = test::sine (frequency, rate, (int) total, 0.25f);
        auto left = input, right = input;
        test::processSignal (engine, amounts, left, &right);

        // Half a second to settle (the slowest filter decays in milliseconds), then the rest.
        const auto delay = (std::size_t) engine.getDelayLength();
        const auto settled = total / 2;
        const double out = toneAmplitude (left, settled, total, frequency, rate);
        const double in = toneAmplitude (input, settled - delay, total - delay, frequency, rate);
        EXPECT_EQ (left, right);
        return test::decibels (out / in);
    }
} // namespace

TEST (EngineRates, EverySectionIsStableAtEveryIntegerRateUpTo200kHz)
{
    // Designed as prepare designs them, without re-sizing an engine's windows 199,001 times.
    FilterSection red, blue;

    for (int rate = 1000; rate <= 200000; ++rate)
    {
        EnhancementStages::designStageFilters ((double) rate, red, blue);
        expectStable (red, blue, (double) rate);

        if (HasFailure())
            return;
    }
}

TEST (EngineRates, EverySectionOfAPreparedEngineIsStableOnALogarithmicSweepTo1MHz)
{
    EffectEngine engine;
    std::vector<double> rates;

    for (double rate = 1000.0; rate < 1.0e6; rate *= 1.001)
        rates.push_back (rate);

    rates.push_back (1.0e6);

    for (const double rate : rates)
    {
        engine.prepare (rate);
        ASSERT_EQ (engine.getSampleRate(), rate);
        expectStable (EngineProbe::redFilter (engine), EngineProbe::blueFilter (engine), rate);
    }
}

TEST (EngineRates, BlueCornerStaysAtTenKilohertzWhereItCanAndFallsWithTheRateBelow)
{
    for (const double rate : { 1000.0, 8000.0, 11025.0, 16000.0, 22050.0, 32000.0, 39999.0, 40000.0, 44100.0, 192000.0 })
        EXPECT_DOUBLE_EQ (EnhancementStages::blueCornerHzAt (rate), expectedBlueCorner (rate)) << rate;
}

class EngineAtEveryRate : public testing::TestWithParam<double>
{
};

TEST_P (EngineAtEveryRate, NoiseThroughEveryStageAtFullAmountStaysFiniteAndBounded)
{
    const double rate = GetParam();
    std::mt19937 random (7);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);

    for (const Amounts amounts : { Amounts { 1.0f, 0.0f, 0.0f, true }, Amounts { 0.0f, 1.0f, 0.0f, true }, Amounts { 0.0f, 0.0f, 1.0f, true }, Amounts { 1.0f, 1.0f, 1.0f, true } })
    {
        EffectEngine engine;
        engine.prepare (rate);
        std::vector<float> left ((std::size_t) rate * 2), right (left.size());

        for (std::size_t i = 0; i < left.size(); ++i)
        {
            left[i] = uniform (random);
            right[i] = uniform (random);
        }

        test::processSignal (engine, amounts, left, &right);

        // With the input's peak at 0.5, green with x2 (1.32) gives at most 0.66, and red's and
        // blue's mixes (0.24 and 0.33) at most twice their share, since a filter with stable
        // real poles passes at most twice a signal's peak: about 1.23 in all, under 1.5.
        float peak = 0.0f;

        for (std::size_t i = 0; i < left.size(); ++i)
        {
            ASSERT_TRUE (std::isfinite (left[i]) && std::isfinite (right[i])) << "sample " << i << " at " << rate << " Hz";
            peak = std::max ({ peak, std::abs (left[i]), std::abs (right[i]) });
        }

        EXPECT_LT (peak, 1.5f) << rate << " Hz";
        EXPECT_GT (peak, 0.4f) << rate << " Hz";
    }
}

TEST_P (EngineAtEveryRate, EachStageGainMatchesItsAnaloguePrototype)
{
    const double rate = GetParam();
    const double corner = expectedBlueCorner (rate);
    const double nearNyquist = 0.45 * rate;

    struct Probe
    {
        Amounts amounts;
        std::vector<double> frequencies;
    };

    const Probe probes[] = {
        { { 1.0f, 0.0f, 0.0f, false }, { 40.0, 80.0, 200.0, 1000.0 } },
        { { 1.0f, 0.0f, 0.0f, true }, { 80.0, 300.0 } },
        { { 0.0f, 1.0f, 0.0f, true }, { 100.0, 0.3 * rate } },
        { { 0.0f, 0.0f, 1.0f, false }, { 1000.0, corner / 2.0, corner, std::min (2.0 * corner, nearNyquist) } },
        { { 0.0f, 0.0f, 1.0f, true }, { corner, nearNyquist } },
    };

    for (const auto& probe : probes)
    {
        for (const double frequency : probe.frequencies)
        {
            const double expected = prototypeGain (frequency, rate, probe.amounts);
            const double measured = measuredGain (frequency, rate, probe.amounts);
            RecordProperty (juce::String::formatted ("%s%s_at_%g_Hz",
                                                     probe.amounts.red > 0.0f ? "red" : (probe.amounts.green > 0.0f ? "green" : "blue"),
                                                     probe.amounts.x2 ? "_x2" : "",
                                                     frequency)
                                .toStdString(),
                            juce::String (measured, 4).toStdString() + " dB");
            EXPECT_NEAR (measured, expected, 0.005)
                << rate << " Hz, tone at " << frequency << " Hz, amounts " << probe.amounts.red << "/" << probe.amounts.green << "/" << probe.amounts.blue << (probe.amounts.x2 ? " x2" : "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P (Rates, EngineAtEveryRate, testing::Values (8000.0, 11025.0, 12000.0, 16000.0, 22050.0, 32000.0, 44100.0, 96000.0, 192000.0), [] (const auto& instance) { return std::to_string ((int) instance.param); });
