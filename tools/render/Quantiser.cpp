#include "Quantiser.h"

#include <cmath>

Quantiser::Quantiser (int bits, bool shouldDither, std::uint32_t seed)
    : scale (bits > 0 ? std::ldexp (1.0, bits - 1) : 1.0)
    , lowest (bits > 0 ? -(std::int64_t) scale : 0)
    , highest (bits > 0 ? (std::int64_t) scale - 1 : 0)
    , dither (shouldDither && bits > 0)
    , random (seed)
{
}

void Quantiser::quantise (const float* samples, int* wholeNumbers, std::size_t count) noexcept
{
    for (std::size_t i = 0; i < count; ++i)
    {
        const float sample = samples[i];
        peak = std::max (peak, std::abs (sample));

        // The difference of two uniform draws: triangular over -1..1 steps, which makes the
        // rounding error independent of the signal and leaves no distortion behind.
        double value = (double) sample * scale;

        if (dither)
            value += uniform (random) - uniform (random);

        auto step = (std::int64_t) std::floor (value + 0.5);

        if (step < lowest || step > highest)
        {
            ++clipped;
            step = step < lowest ? lowest : highest;
        }

        wholeNumbers[i] = (int) step;
    }

    seen += (std::int64_t) count;
}

void Quantiser::inspect (const float* samples, std::size_t count) noexcept
{
    for (std::size_t i = 0; i < count; ++i)
    {
        const float magnitude = std::abs (samples[i]);
        peak = std::max (peak, magnitude);
        clipped += magnitude > 1.0f ? 1 : 0;
    }

    seen += (std::int64_t) count;
}
