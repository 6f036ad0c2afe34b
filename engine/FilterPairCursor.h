#pragma once

#include "FilterSection.h"
#include "SampleLanes.h"

namespace tavine
{
    /** Two sections stepped side by side, one per lane of a two-double vector: each lane does
        exactly the operations of FilterSection::Cursor::step, in the same order, so each
        section's output is the same to the bit. Twice the work per instruction for two sections
        stepped together: a stage's left and right, or a mono signal's red and blue. */
    class FilterPairCursor
    {
    public:
        using Lanes = lanes::Doubles;

        FilterPairCursor (const FilterSection& first, const FilterSection& second) noexcept
            : b0 { first.coefficients.b0, second.coefficients.b0 }
            , b1 { first.coefficients.b1, second.coefficients.b1 }
            , b2 { first.coefficients.b2, second.coefficients.b2 }
            , a1 { first.coefficients.a1, second.coefficients.a1 }
            , a2 { first.coefficients.a2, second.coefficients.a2 }
            , in1 { first.in1, second.in1 }
            , in2 { first.in2, second.in2 }
            , out1 { first.out1, second.out1 }
            , out2 { first.out2, second.out2 }
        {
        }

        Lanes step (Lanes x) noexcept
        {
            Lanes y = b1 * in1 + b0 * x + b2 * in2 - a1 * out1 - a2 * out2;

            // Outputs that small are rare once a signal is present: a branch that is almost
            // never taken keeps the flush off the recursion's critical path. The magnitude
            // test is the same as -1e-8 < y < 1e-8, in fewer instructions.
            const auto small = lanes::magnitude (y) < 1.0e-8;

            if (__builtin_expect (lanes::any (small), 0))
                y = lanes::select (small, Lanes {}, y);

            in2 = in1;
            in1 = x;
            out2 = out1;
            out1 = y;
            return y;
        }

        void storeInto (FilterSection& first, FilterSection& second) const noexcept
        {
            first.in1 = in1[0];
            first.in2 = in2[0];
            first.out1 = out1[0];
            first.out2 = out2[0];
            second.in1 = in1[1];
            second.in2 = in2[1];
            second.out1 = out1[1];
            second.out2 = out2[1];
        }

    private:
        Lanes b0, b1, b2, a1, a2;
        Lanes in1, in2, out1, out2;
    };
} // namespace tavine
