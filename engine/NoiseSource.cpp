#include "NoiseSource.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace tavine
{
    NoiseSource::NoiseSource (float levelDb)
        : level ((float) std::pow (10.0, (double) levelDb * 0.05))
    {
        // Each instance gets its own sequence, so two instances on a stereo pair never add
        // correlated noise.
        random.setSeedRandomly();
    }

    namespace
    {
        // juce::Random's linear congruential step: seed = (seed * multiplier + increment) mod 2^48.
        constexpr std::uint64_t multiplier = 0x5deece66dULL;
        constexpr std::uint64_t increment = 11;
        constexpr std::uint64_t mask = 0xffffffffffffULL;

        struct Step
        {
            std::uint64_t a, c;
        };

        // k steps at once: seed * a + c. Unsigned wrap-around is arithmetic modulo 2^64, so
        // masking once at the end gives the same residue modulo 2^48 as masking every step.
        constexpr Step stepsOf (int k)
        {
            Step s { 1, 0 };

            for (int i = 0; i < k; ++i)
                s = { s.a * multiplier, s.c * multiplier + increment };

            return s;
        }

        constexpr Step one = stepsOf (1), two = stepsOf (2), three = stepsOf (3), four = stepsOf (4);

        // Random::nextFloat on a seed already advanced: its top 32 of 48 bits over 2^32 (an exact
        // power of two, so the scaling below is the same division), with 1 itself kept out.
        inline float unitFloat (std::uint64_t seed) noexcept
        {
            const float result = (float) (std::uint32_t) (seed >> 16) * 0x1p-32f;
            return result == 1.0f ? 1.0f - std::numeric_limits<float>::epsilon() : result;
        }
    } // namespace

    void NoiseSource::fill (float* destination, int numSamples) noexcept
    {
        std::uint64_t seed = (std::uint64_t) random.getSeed();
        int i = 0;

        for (; i + 4 <= numSamples; i += 4)
        {
            const std::uint64_t s1 = (seed * one.a + one.c) & mask;
            const std::uint64_t s2 = (seed * two.a + two.c) & mask;
            const std::uint64_t s3 = (seed * three.a + three.c) & mask;
            seed = (seed * four.a + four.c) & mask;
            destination[i] = (unitFloat (s1) - 0.5f) * 2.0f * level;
            destination[i + 1] = (unitFloat (s2) - 0.5f) * 2.0f * level;
            destination[i + 2] = (unitFloat (s3) - 0.5f) * 2.0f * level;
            destination[i + 3] = (unitFloat (seed) - 0.5f) * 2.0f * level;
        }

        for (; i < numSamples; ++i)
        {
            seed = (seed * one.a + one.c) & mask;
            destination[i] = (unitFloat (seed) - 0.5f) * 2.0f * level;
        }

        random.setSeed ((juce::int64) seed);
    }
} // namespace tavine
