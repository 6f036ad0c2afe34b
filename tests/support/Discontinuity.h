#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace test
{
    /** A steady tone in both channels, a sine on the left and a cosine on the right: whatever
        the phase at which something happens, one of the two channels is far from its zero
        crossing, so the size of a click measured over both does not depend on luck. */
    struct QuadratureTone
    {
        double frequency = 1000.0;
        double sampleRate = 48000.0;
        float amplitude = 0.25118864f; // -12 dBFS

        std::vector<float> channel (int numSamples, bool cosine) const
        {
            std::vector<float> out ((std::size_t) numSamples);
            const double step = 6.283185307179586 * frequency / sampleRate;

            for (std::size_t i = 0; i < out.size(); ++i)
                out[i] = amplitude * (float) (cosine ? std::cos (step * (double) i) : std::sin (step * (double) i));

            return out;
        }
    };

    /** The discontinuity of a stereo output that should carry a tone of `frequency`, in dBFS:
        the peak over samples [begin, end) of sqrt (eL² + eR²), with
        e[n] = y[n] - 2 cos (2 pi f / rate) y[n-1] + y[n-2].

        e is exactly 0 for a steady sine of that frequency at any level and phase, so it is the
        part of each sample that the tone itself does not predict: a step, a kink or a burst
        shows in full, while a level change as slow as a fade barely registers. About -60 dBFS
        is where a click on a pure tone starts to be heard. Silence gives -200. */
    inline double discontinuityDb (const std::vector<float>& left, const std::vector<float>& right, double frequency, double sampleRate, std::size_t begin, std::size_t end)
    {
        const double c = 2.0 * std::cos (6.283185307179586 * frequency / sampleRate);
        double peak = 0.0;
        end = std::min ({ end, left.size(), right.size() });

        for (std::size_t n = std::max<std::size_t> (begin, 2); n < end; ++n)
        {
            const double eL = (double) left[n] - c * (double) left[n - 1] + (double) left[n - 2];
            const double eR = (double) right[n] - c * (double) right[n - 1] + (double) right[n - 2];
            peak = std::max (peak, std::sqrt (eL * eL + eR * eR));
        }

        return peak > 1.0e-10 ? 20.0 * std::log10 (peak) : -200.0;
    }
} // namespace test
