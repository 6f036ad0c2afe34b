#pragma once

#include <cmath>

namespace tavine
{
    /** Shapes a FilterSection can take. A value outside these designs nothing: the section
        keeps the coefficients it had. */
    enum class FilterShape : int
    {
        identity = 0,
        highPass1 = 1,
        bandPass = 3
    };

    /** Normalised biquad coefficients (already divided by a0). */
    struct FilterCoefficients
    {
        double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    };

    /** One first- or second-order recursive filter: its design and its memory, stepped a sample
        at a time through a Cursor.

        Coefficients and memory are doubles so that the 80 Hz band-pass stays accurate at high
        sample rates; an output whose magnitude is below 1e-8 is flushed to exactly 0 so the
        recursion never drifts into denormals once the input falls silent.
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
        void design (FilterShape newShape, double newFrequencyHz, double newQ);

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

        void clearState() noexcept;

        double getFrequencyHz() const noexcept { return frequency; }
        double getQ() const noexcept { return q; }
        const FilterCoefficients& getCoefficients() const noexcept { return coefficients; }

    private:
        // Steps two sections in the lanes of one vector; kept in a header of the engine's own so
        // that vector types stay out of this one.
        friend class FilterPairCursor;
        friend struct EngineProbe;

        double designRate = 44100.0;
        FilterShape shape = FilterShape::identity;
        double frequency = 1000.0; // Hz: the centre or the corner
        double q = 0.7;
        FilterCoefficients coefficients;
        double in1 = 0.0, in2 = 0.0, out1 = 0.0, out2 = 0.0;
    };
} // namespace tavine
