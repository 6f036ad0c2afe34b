#pragma once

#include "SampleLanes.h"

#include <cmath>

/** Shapes a FilterSection can take. The numbers are part of the design interface. */
enum FilterShape
{
    identity = 0,
    highPass1 = 1,
    lowPass = 2,
    bandPass = 3
};

/** Normalised biquad coefficients (already divided by a0). */
struct FilterCoefficients
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

/** One first- or second-order recursive filter running in place over a float buffer.

    Coefficients and memory are doubles so that the 80 Hz band-pass stays accurate at high
    sample rates; the output is flushed to exactly 0 below 1e-8 so the recursion never drifts
    into denormals once the input falls silent.
*/
class FilterSection
{
public:
    FilterSection();

    /** The sample rate the coefficients are computed for. Changing it redesigns the current
        shape at the new rate and keeps the memory. */
    void setDesignRate (double newDesignRate);

    /** Stores shape, frequency and q and recomputes the coefficients. The memory is kept, so a
        running section carries on from its last inputs and outputs. */
    void design (int newShape, double newFrequency, double newQ);

    void processInPlace (float* samples, int numSamples) noexcept
    {
        Cursor cursor (*this);

        for (int i = 0; i < numSamples; ++i)
            samples[i] = (float) cursor.step (samples[i]);

        cursor.storeInto (*this);
    }

    /** The coefficients and memory copied into locals, for loops that run several sections
        side by side: kept out of memory, the recursions of different sections overlap. Take
        one at the start of a block, step it, store it back at the end. */
    class Cursor
    {
    public:
        explicit Cursor (const FilterSection& section) noexcept
            : c (section.coefficients)
            , in1 (section.in1)
            , in2 (section.in2)
            , out1 (section.out1)
            , out2 (section.out2)
        {
        }

        double step (double x) noexcept
        {
            // Direct form I, summed in exactly this order.
            double y = c.b1 * in1 + c.b0 * x + c.b2 * in2 - c.a1 * out1 - c.a2 * out2;

            // The same test as -1e-8 < y < 1e-8, but on the magnitude: which side of zero a
            // filtered signal is on is a coin toss for the branch predictor, being tiny is not.
            if (__builtin_expect (std::abs (y) < 1.0e-8, 0))
                y = 0.0;

            in2 = in1;
            in1 = x;
            out2 = out1;
            out1 = y;
            return y;
        }

        void storeInto (FilterSection& section) const noexcept
        {
            section.in1 = in1;
            section.in2 = in2;
            section.out1 = out1;
            section.out2 = out2;
        }

    private:
        FilterCoefficients c;
        double in1, in2, out1, out2;
    };

    /** Two sections stepped side by side, one per lane of a two-double vector: each lane does
        exactly the operations of Cursor::step, in the same order, so each section's output is
        the same to the bit. Twice the work per instruction for a stereo pair. */
    class PairCursor
    {
    public:
        using Lanes = lanes::Doubles;

        PairCursor (const FilterSection& first, const FilterSection& second) noexcept
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

    void clearState() noexcept;

    double getDesignRate() const noexcept { return designRate; }
    int getShape() const noexcept { return shape; }
    double getFrequency() const noexcept { return frequency; }
    double getQ() const noexcept { return q; }
    const FilterCoefficients& getCoefficients() const noexcept { return coefficients; }

private:
    double designRate = 44100.0;
    int shape = identity;
    double frequency = 1000.0;
    double q = 0.7;
    FilterCoefficients coefficients;
    double in1 = 0.0, in2 = 0.0, out1 = 0.0, out2 = 0.0;
};
