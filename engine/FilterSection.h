#pragma once

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
        for (int i = 0; i < numSamples; ++i)
        {
            const double x = samples[i];

            // Direct form I, summed in exactly this order.
            double y = coefficients.b1 * in1 + coefficients.b0 * x + coefficients.b2 * in2 - coefficients.a1 * out1 - coefficients.a2 * out2;

            if (y > -1.0e-8 && y < 1.0e-8)
                y = 0.0;

            in2 = in1;
            in1 = x;
            out2 = out1;
            out1 = y;
            samples[i] = (float) y;
        }
    }

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
