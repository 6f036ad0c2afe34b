#pragma once

#include "SampleLanes.h"

#include <algorithm>
#include <cmath>

namespace tavine
{
    /** Levels raised to the power 0.2f, exactly as ::powf rounds them.

        The steadiness target takes a fifth root (strictly, the power 0.2f) of a level at every
        sample, and a library call per sample is a seventh of the engine's time. Here the power is
        worked out four levels at a time to far more than float precision, with no division: the
        inverse root by Newton's method, the root from it, times x^(0.2f - 0.2), which is
        1 + (0.2f - 0.2) ln x to within 1e-13 since 0.2f - 0.2 is only 3e-9. That value is within
        3e-11 of the true power, so when the interval 2^-31 either side of it rounds to one float,
        that float is the correctly rounded power. It is also the float ::powf returns, which works
        in double precision and whose error before its own final rounding stays inside that
        interval: the tests hold the two to the same bits over every level from 0 to 1. With an
        interval of 2^-33 they would differ for a few levels near 2^-98; 2^-31 is four times that.
        A level whose interval straddles a rounding boundary (about one in a hundred) or that lies
        outside [2^-100, 1) goes to ::powf itself.
    */
    namespace fifthRoot
    {
        /** ::powf (level, 0.2f), with the call saved for 0 (of either sign) and 1. */
        inline float exactPower (float level) noexcept
        {
            if (level == 0.0f)
                return 0.0f;

            if (level == 1.0f)
                return 1.0f;

            return ::powf (level, 0.2f);
        }

        /** Sets powers[i] = ::powf (levels[i], 0.2f), to the bit, for i in 0..count-1. */
        inline void powersOf (const float* levels, float* powers, int count) noexcept
        {
            using lanes::Doubles;
            using lanes::Floats;
            using lanes::Ints;

            // Worked in two passes over a block, each of whose iterations is short and independent
            // of the others, so that the processor overlaps many of them: one long computation per
            // register would leave it waiting on its own chain.
            constexpr int block = 64;
            alignas (16) float inverses[block], logarithms[block];

            for (int done = 0; done < count; done += block)
            {
                const int n = std::min (block, count - done);
                const int whole = n / lanes::floatWidth * lanes::floatWidth;
                const float* const x = levels + done;
                float* const power = powers + done;

                // The bits of a positive float, less those of 1, over 2^23 are its base-2 logarithm
                // to within 0.09: minus a fifth of them, added back to the bits of 1, is the
                // inverse fifth root to within 7 %. Three of Newton's steps for the inverse root in
                // single precision take that to about 1e-6. The logarithm itself is refined by a
                // cubic in the mantissa, to within 0.0014.
                for (int i = 0; i < whole; i += lanes::floatWidth)
                {
                    constexpr int oneBits = 0x3f800000;
                    const Floats level = lanes::load<Floats> (x + i);

                    // Without the sign bit, so that no lane's arithmetic can overflow: negative
                    // levels go to the library anyway.
                    const Ints bits = (Ints) lanes::magnitude (level);
                    Floats inverse = (Floats) (__builtin_convertvector(__builtin_convertvector(bits - oneBits, Floats) * -0.2f, Ints) + oneBits);

                    for (int step = 0; step < 3; ++step)
                    {
                        const Floats square = inverse * inverse;
                        inverse = inverse * (6.0f - level * (square * square * inverse)) * 0.2f;
                    }

                    const Floats fraction = (Floats) ((bits & 0x007fffff) | oneBits) - 1.0f;
                    const Floats exponent = __builtin_convertvector((bits >> 23) - 127, Floats);
                    const Floats mantissaLog = fraction * (1.4234942f + fraction * (-0.58776924f + fraction * 0.16558988f));
                    lanes::store (inverses + i, inverse);
                    lanes::store (logarithms + i, exponent + mantissaLog);
                }

                // One step in double precision takes the inverse root to 6e-12, the root (its
                // fourth power times x) to 3e-11; the exponent's excess adds its 1 + 3e-9 ln x.
                constexpr double exponentExcessPerLog2 = (double) (0.2f - 0.2) * 0.69314718055994531;

                for (int i = 0; i < whole; i += lanes::floatWidth)
                {
                    const Floats level = lanes::load<Floats> (x + i);
                    const Floats inverse = lanes::load<Floats> (inverses + i);
                    const Floats logarithm = lanes::load<Floats> (logarithms + i);
                    Doubles below[2], above[2];

                    for (int half = 0; half < 2; ++half)
                    {
                        const Doubles xd = half == 0 ? lanes::widenLow (level) : lanes::widenHigh (level);
                        Doubles s = half == 0 ? lanes::widenLow (inverse) : lanes::widenHigh (inverse);
                        Doubles square = s * s;
                        s = s + s * (1.0 - xd * (square * square * s)) * 0.2;
                        square = s * s;
                        const Doubles root = xd * (square * square);
                        const Doubles log2 = half == 0 ? lanes::widenLow (logarithm) : lanes::widenHigh (logarithm);
                        const Doubles value = root + root * (log2 * exponentExcessPerLog2);
                        below[half] = value * (1.0 - 0x1p-31);
                        above[half] = value * (1.0 + 0x1p-31);
                    }

                    const Floats lowest = lanes::narrow (below[0], below[1]);
                    const Floats highest = lanes::narrow (above[0], above[1]);
                    const auto sure = (lowest == highest) & (level >= lanes::splat (0x1p-100f)) & (level < lanes::splat (1.0f));

                    lanes::store (power + i, lowest);

                    // Only the lanes that are not sure go to the library.
                    if (! lanes::all (sure))
                    {
                        for (int k = 0; k < lanes::floatWidth; ++k)
                            if (sure[k] == 0)
                                power[i + k] = exactPower (x[i + k]);
                    }
                }

                for (int i = whole; i < n; ++i)
                    power[i] = exactPower (x[i]);
            }
        }
    } // namespace fifthRoot
} // namespace tavine
