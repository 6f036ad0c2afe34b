#include "FilterSection.h"

#include <cmath>

namespace tavine
{
    FilterSection::FilterSection()
    {
        design (FilterShape::identity, frequency, q);
    }

    void FilterSection::setDesignRate (double newDesignRate)
    {
        designRate = newDesignRate;
        design (shape, frequency, q);
    }

    void FilterSection::design (FilterShape newShape, double newFrequencyHz, double newQ)
    {
        shape = newShape;
        frequency = newFrequencyHz;
        q = newQ;

        const double w0 = frequency * 6.283185307179586 / designRate;
        const double c = std::cos (w0);
        const double s = std::sin (w0);
        const double alpha = s / (2.0 * q);

        FilterCoefficients next = coefficients;
        double a0 = 1.0;

        switch (shape)
        {
            case FilterShape::identity:
                next = FilterCoefficients();
                break;

            case FilterShape::highPass1:
            {
                // Bilinear first-order high-pass, pre-warped so -3 dB falls exactly on `frequency`.
                const double t = std::tan (w0 / 2.0);
                const double k = (t - 1.0) / (t + 1.0);
                next.b0 = (1.0 - k) * 0.5;
                next.b1 = (k - 1.0) * 0.5;
                next.b2 = 0.0;
                next.a1 = k;
                next.a2 = 0.0;
                break;
            }

            case FilterShape::bandPass:
                // Constant 0 dB peak gain: unity gain and zero phase at the centre.
                next.b0 = alpha;
                next.b1 = 0.0;
                next.b2 = -alpha;
                next.a1 = -2.0 * c;
                next.a2 = 1.0 - alpha;
                a0 = 1.0 + alpha;
                break;

            default:
                // Unknown shapes keep the coefficients they had.
                break;
        }

        next.b0 /= a0;
        next.b1 /= a0;
        next.b2 /= a0;
        next.a1 /= a0;
        next.a2 /= a0;
        coefficients = next;
    }

    void FilterSection::clearState() noexcept
    {
        in1 = in2 = out1 = out2 = 0.0;
    }
} // namespace tavine
