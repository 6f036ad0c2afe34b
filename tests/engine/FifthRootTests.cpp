// The engine's own power of 0.2f must give the C library's powf to the bit: it replaces the
// library call in the steadiness target, whose value the steadiness meter and the history carry.
#include "engine/FifthRoot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace tavine;

namespace
{
    std::uint32_t bitsOf (float v)
    {
        std::uint32_t b;
        std::memcpy (&b, &v, sizeof (b));
        return b;
    }

    float fromBits (std::uint32_t b)
    {
        float v;
        std::memcpy (&v, &b, sizeof (v));
        return v;
    }

    // The library's answer, with NaN compared as NaN.
    bool matchesLibrary (float level, float power)
    {
        const float expected = ::powf (level, 0.2f);
        return std::isnan (expected) ? std::isnan (power) : bitsOf (power) == bitsOf (expected);
    }
} // namespace

// Every level from 0 to 1 when TAVINE_EXHAUSTIVE_POWERS is set (about a billion, some seconds
// in a release build: run it after a C library update), otherwise every 97th bit pattern.
TEST (FifthRoot, MatchesTheLibraryAcrossAllLevels)
{
    const std::uint32_t stride = std::getenv ("TAVINE_EXHAUSTIVE_POWERS") != nullptr ? 1u : 97u;
    const std::uint32_t last = bitsOf (1.0f);
    constexpr int batch = 4096;
    std::vector<float> levels (batch), powers (batch);
    long mismatches = 0;

    for (std::uint64_t start = 0; start <= last; start += (std::uint64_t) stride * batch)
    {
        int n = 0;

        for (; n < batch && start + (std::uint64_t) n * stride <= last; ++n)
            levels[(std::size_t) n] = fromBits ((std::uint32_t) (start + (std::uint64_t) n * stride));

        fifthRoot::powersOf (levels.data(), powers.data(), n);

        for (int i = 0; i < n; ++i)
        {
            if (! matchesLibrary (levels[(std::size_t) i], powers[(std::size_t) i]) && ++mismatches <= 5)
                ADD_FAILURE() << std::hexfloat << levels[(std::size_t) i] << " gives " << powers[(std::size_t) i] << ", the library " << ::powf (levels[(std::size_t) i], 0.2f);
        }
    }

    EXPECT_EQ (mismatches, 0);
}

// Values the fast path must hand over, and counts that leave a partial register or block.
TEST (FifthRoot, HandsTheEdgesToTheLibraryAndCoversEveryCount)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::vector<float> edges { 0.0f, -0.0f, 1.0f, std::nextafter (1.0f, 0.0f), std::nextafter (1.0f, 2.0f), 2.0f, inf, -1.0f, -inf, nan, std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::min(), 0x1p-100f, std::nextafter (0x1p-100f, 0.0f), 1.0e-30f, 0.5f };
    std::vector<float> powers (edges.size());
    fifthRoot::powersOf (edges.data(), powers.data(), (int) edges.size());

    for (std::size_t i = 0; i < edges.size(); ++i)
        EXPECT_TRUE (matchesLibrary (edges[i], powers[i])) << edges[i];

    std::mt19937 random (17);
    std::uniform_real_distribution<float> uniform (0.0f, 1.0f);

    for (int count : { 0, 1, 3, 4, 5, 63, 64, 65, 130, 511 })
    {
        std::vector<float> levels ((std::size_t) count + 1), out ((std::size_t) count + 1, -7.0f);

        for (auto& level : levels)
            level = uniform (random);

        fifthRoot::powersOf (levels.data(), out.data(), count);

        for (int i = 0; i < count; ++i)
            EXPECT_TRUE (matchesLibrary (levels[(std::size_t) i], out[(std::size_t) i])) << count << " " << i;

        EXPECT_EQ (out[(std::size_t) count], -7.0f) << "wrote past " << count;
    }
}
