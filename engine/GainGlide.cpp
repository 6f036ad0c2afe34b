#include "GainGlide.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace tavine
{
    namespace
    {
        void toArray (const StageGains& gains, double (&values)[3]) noexcept
        {
            values[0] = gains.green;
            values[1] = gains.red;
            values[2] = gains.blue;
        }

        /** Where the cubic Hermite segment stands at t = k / n (0..1): from `start`, leaving
            with `slope` (per sample), arriving flat at `end`. This is what every sample of a
            glide needs; how steeply it rises there (`rateAt`) only a new target does. */
        struct Segment
        {
            double shape; // smoothstep: 0 at t = 0, 1 at t = 1, flat at both ends
            double lean;  // how far the starting slope carries: n t (1 - t)², flat at t = 1

            Segment (int k, int n) noexcept
            {
                const double t = (double) k / (double) n;
                const double u = 1.0 - t;
                shape = t * t * (3.0 - 2.0 * t);
                lean = (double) n * t * u * u;
            }

            double value (double start, double slope, double end) const noexcept { return start + (end - start) * shape + slope * lean; }
        };

        /** The segment's slope per sample at t = k / n: the derivatives of shape and lean. */
        double rateAt (int k, int n, double start, double slope, double end) noexcept
        {
            const double t = (double) k / (double) n;
            const double u = 1.0 - t;
            return (end - start) * (6.0 * t * u / (double) n) + slope * (u * (1.0 - 3.0 * t));
        }
    } // namespace

    void GainGlide::prepare (double sampleRate) noexcept
    {
        lengthSamples = std::max (1, (int) std::lround (sampleRate * glideSeconds));
        jumpTo (target);
    }

    void GainGlide::jumpTo (const StageGains& gains) noexcept
    {
        target = gains;
        toArray (gains, start);
        toArray (gains, end);
        std::fill (std::begin (slope), std::end (slope), 0.0);
        step = lengthSamples;
    }

    void GainGlide::glideTo (const StageGains& gains) noexcept
    {
        if (gains == target)
            return;

        // The new glide leaves from the value and with the slope of the last sample written, so
        // that neither changes abruptly however often the target does.
        if (isGliding())
        {
            const Segment now (step, lengthSamples);

            for (int g = 0; g < 3; ++g)
            {
                const double value = now.value (start[g], slope[g], end[g]);
                slope[g] = rateAt (step, lengthSamples, start[g], slope[g], end[g]);
                start[g] = value;
            }
        }
        else
        {
            std::copy (std::begin (end), std::end (end), std::begin (start));
            std::fill (std::begin (slope), std::end (slope), 0.0);
        }

        target = gains;
        toArray (gains, end);
        step = 0;
    }

    StageGains GainGlide::getCurrent() const noexcept
    {
        if (! isGliding())
            return target;

        const Segment now (step, lengthSamples);
        return { (float) now.value (start[0], slope[0], end[0]),
                 (float) now.value (start[1], slope[1], end[1]),
                 (float) now.value (start[2], slope[2], end[2]) };
    }

    bool GainGlide::inUse (int gain) const noexcept
    {
        if (! isGliding())
            return gain == 1 ? target.red != 0.0f : target.blue != 0.0f;

        return start[gain] != 0.0 || slope[gain] != 0.0 || end[gain] != 0.0;
    }

    void GainGlide::fill (float* green, float* red, float* blue, int numSamples) noexcept
    {
        int i = 0;

        for (; i < numSamples && step < lengthSamples - 1; ++i)
        {
            const Segment now (++step, lengthSamples);
            green[i] = (float) now.value (start[0], slope[0], end[0]);
            red[i] = (float) now.value (start[1], slope[1], end[1]);
            blue[i] = (float) now.value (start[2], slope[2], end[2]);
        }

        // The glide's last sample is its target itself, and so is every sample after it.
        if (i < numSamples && step < lengthSamples)
            jumpTo (target);

        std::fill (green + i, green + numSamples, target.green);
        std::fill (red + i, red + numSamples, target.red);
        std::fill (blue + i, blue + numSamples, target.blue);
    }
} // namespace tavine
