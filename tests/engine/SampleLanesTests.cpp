// The lane helpers stand in for the library's clamp, min, max, abs and sqrt in code whose output
// must not change by a bit: they have to agree with them on every value, NaN and signed zeros too.
#include "engine/SampleLanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace tavine;

namespace
{
    template <typename T>
    std::vector<T> awkwardValues()
    {
        const T nan = std::numeric_limits<T>::quiet_NaN(), inf = std::numeric_limits<T>::infinity();
        std::vector<T> v { T (0), -T (0), T (1), -T (1), T (0.5), T (2), T (-3), nan, -nan, inf, -inf, std::numeric_limits<T>::denorm_min(), std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), std::nextafter (T (1), T (2)), std::nextafter (T (0), T (-1)) };
        std::mt19937 random (3);
        std::uniform_real_distribution<T> uniform (T (-2), T (2));

        for (int i = 0; i < 200; ++i)
            v.push_back (uniform (random));

        return v;
    }

    template <typename T>
    bool sameBits (T a, T b)
    {
        return std::memcmp (&a, &b, sizeof (T)) == 0;
    }

    // Runs f on lanes filled from `values`, lane k taking values[(start + 7 * k) % size] so that
    // one vector mixes values from across the list, and compares each lane with g on the same
    // value.
    template <typename Lanes, typename T, typename LaneOp, typename ScalarOp>
    void expectLanesMatch (const std::vector<T>& values, LaneOp f, ScalarOp g, const char* what)
    {
        constexpr int width = (int) (sizeof (Lanes) / sizeof (T));

        for (std::size_t start = 0; start < values.size(); ++start)
        {
            Lanes x;

            for (int k = 0; k < width; ++k)
                x[k] = values[(start + (std::size_t) k * 7) % values.size()];

            const Lanes y = f (x);

            for (int k = 0; k < width; ++k)
                EXPECT_TRUE (sameBits ((T) y[k], g ((T) x[k]))) << what << " of " << (T) x[k] << " gives " << (T) y[k] << ", not " << g ((T) x[k]);
        }
    }
} // namespace

TEST (SampleLanes, ClampMinMaxAndMagnitudeAgreeWithTheLibraryOnEveryValue)
{
    const auto doubles = awkwardValues<double>();
    const auto floats = awkwardValues<float>();
    const lanes::Doubles zero = lanes::splat (0.0), one = lanes::splat (1.0);
    const lanes::Floats zeroF = lanes::splat (0.0f), oneF = lanes::splat (1.0f);

    expectLanesMatch<lanes::Doubles> (
        doubles,
        [&] (lanes::Doubles x) { return lanes::clamp (x, zero, one); },
        [] (double x) { return std::clamp (x, 0.0, 1.0); },
        "clamp");
    expectLanesMatch<lanes::Floats> (
        floats,
        [&] (lanes::Floats x) { return lanes::clamp (x, zeroF, oneF); },
        [] (float x) { return std::clamp (x, 0.0f, 1.0f); },
        "clamp");
    expectLanesMatch<lanes::Doubles> (
        doubles,
        [&] (lanes::Doubles x) { return lanes::greater (zero, x); },
        [] (double x) { return std::max (x, 0.0); },
        "max");
    expectLanesMatch<lanes::Floats> (
        floats,
        [&] (lanes::Floats x) { return lanes::lesser (oneF, x); },
        [] (float x) { return std::min (x, 1.0f); },
        "min");
    expectLanesMatch<lanes::Floats> (
        floats,
        [] (lanes::Floats x) { return lanes::magnitude (x); },
        [] (float x) { return std::abs (x); },
        "abs");
    expectLanesMatch<lanes::Doubles> (
        doubles,
        [] (lanes::Doubles x) { return lanes::magnitude (x); },
        [] (double x) { return std::abs (x); },
        "abs");
    expectLanesMatch<lanes::Doubles> (
        doubles,
        [] (lanes::Doubles x) { return lanes::squareRoot (x); },
        [] (double x) { return std::sqrt (x); },
        "sqrt");
    expectLanesMatch<lanes::Floats> (
        floats,
        [] (lanes::Floats x) { return lanes::squareRoot (x); },
        [] (float x) { return std::sqrt (x); },
        "sqrt");
}

TEST (SampleLanes, WideningAndNarrowingKeepLaneOrderAndValues)
{
    const lanes::Floats x { 1.5f, -0.0f, std::numeric_limits<float>::denorm_min(), 3.0e38f };
    const lanes::Doubles low = lanes::widenLow (x), high = lanes::widenHigh (x);

    for (int k = 0; k < 2; ++k)
    {
        EXPECT_TRUE (sameBits ((double) low[k], (double) x[k]));
        EXPECT_TRUE (sameBits ((double) high[k], (double) x[k + 2]));
    }

    const lanes::Doubles a { 0.1, -1.0e300 }, b { 1.0e-50, std::nextafter (1.0, 2.0) };
    const lanes::Floats narrowed = lanes::narrow (a, b);
    const float expected[] { (float) a[0], (float) a[1], (float) b[0], (float) b[1] };

    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE (sameBits ((float) narrowed[k], expected[k])) << k;

    const auto [evens, odds] = lanes::deinterleave (lanes::Floats { 0, 1, 2, 3 }, lanes::Floats { 4, 5, 6, 7 });

    for (int k = 0; k < 4; ++k)
    {
        EXPECT_EQ (evens[k], (float) (2 * k));
        EXPECT_EQ (odds[k], (float) (2 * k + 1));
    }

    float stored[2];
    lanes::storeNarrowed (stored, a);
    EXPECT_TRUE (sameBits (stored[0], (float) a[0]) && sameBits (stored[1], (float) a[1]));
}

// A loop written once runs its tail through the scalar forms: each has to give, on every value,
// the bits its lane form gives in a lane.
TEST (SampleLanes, ScalarFormsAgreeWithTheirLaneForms)
{
    const auto floats = awkwardValues<float>();
    const lanes::Floats oneF = lanes::splat (1.0f), zeroF = lanes::splat (0.0f);
    const auto asLanes = [] (float x) { return lanes::splat (x); };

    for (const float y : floats)
    {
        const lanes::Floats yLanes = asLanes (y);

        expectLanesMatch<lanes::Floats> (
            floats,
            [&] (lanes::Floats x) { return lanes::lesser (x, yLanes); },
            [&] (float x) { return lanes::lesser (x, y); },
            "lesser");
        expectLanesMatch<lanes::Floats> (
            floats,
            [&] (lanes::Floats x) { return lanes::greater (x, yLanes); },
            [&] (float x) { return lanes::greater (x, y); },
            "greater");
    }

    expectLanesMatch<lanes::Floats> (
        floats,
        [&] (lanes::Floats x) { return lanes::clamp (x, zeroF, oneF); },
        [] (float x) { return lanes::clamp (x, 0.0f, 1.0f); },
        "clamp");
    expectLanesMatch<lanes::Floats> (
        floats,
        [] (lanes::Floats x) { return lanes::magnitude (x); },
        [] (float x) { return lanes::magnitude (x); },
        "magnitude");
    expectLanesMatch<lanes::Floats> (
        floats,
        [] (lanes::Floats x) { return lanes::select (lanes::within (x, 1.0e-4f), lanes::Floats {}, x); },
        [] (float x) { return lanes::select (lanes::within (x, 1.0e-4f), 0.0f, x); },
        "dead zone");
    expectLanesMatch<lanes::Floats> (
        floats,
        [] (lanes::Floats x) { return lanes::squareRoot (x); },
        [] (float x) { return lanes::squareRoot (x); },
        "squareRoot");

    // Widening, and the pairs a loop reads back from interleaved memory.
    for (std::size_t i = 0; i + 8 <= floats.size(); i += 8)
    {
        const auto wide = lanes::widen (lanes::load<lanes::Floats> (floats.data() + i));
        double lanesOut[4];
        lanes::store (lanesOut, wide);
        const auto [firsts, seconds] = lanes::loadPairs<lanes::Floats> (floats.data() + i);

        for (std::size_t k = 0; k < 4; ++k)
        {
            EXPECT_TRUE (sameBits (lanesOut[k], lanes::widen (floats[i + k])));
            const auto [first, second] = lanes::loadPairs<float> (floats.data() + i + 2 * k);
            EXPECT_TRUE (sameBits (firsts[k], first));
            EXPECT_TRUE (sameBits (seconds[k], second));
        }
    }
}
