#pragma once

#include <cmath>
#include <vector>

namespace test
{
    /** A sine of the given frequency and peak amplitude. */
    inline std::vector<float> sine (double frequency, double rate, int numSamples, float amplitude, double phase = 0.0)
    {
        std::vector<float> out ((std::size_t) numSamples);

        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = amplitude * (float) std::sin (phase + 6.283185307179586 * frequency * (double) i / rate);

        return out;
    }

    /** Root-mean-square of samples [begin, end). */
    inline double rms (const std::vector<float>& x, std::size_t begin, std::size_t end)
    {
        double sum = 0.0;

        for (std::size_t i = begin; i < end; ++i)
            sum += (double) x[i] * (double) x[i];

        return std::sqrt (sum / (double) (end - begin));
    }

    inline double decibels (double ratio) { return 20.0 * std::log10 (ratio); }
} // namespace test
