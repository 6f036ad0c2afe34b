#include "MeanSquareWindow.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavine
{
    MeanSquareWindow::MeanSquareWindow (int initialLength)
    {
        setLength (initialLength);
    }

    void MeanSquareWindow::setLength (int newLength)
    {
        if (newLength <= 0 || newLength == length)
            return;

        length = newLength;
        squares.assign ((std::size_t) newLength, 0.0);
        position = 0;
        wrapped = false;
        sum = 0.0;
    }

    void MeanSquareWindow::clear() noexcept
    {
        clearSquares (squares.data(), wrapped ? length : position);
        sum = 0.0;
        position = 0;
        wrapped = false;
    }

    void MeanSquareWindow::clearSquares (double* squares, int count) noexcept
    {
        std::fill (squares, squares + count, 0.0);
    }

    double MeanSquareWindow::smallestSumWithMeanAtLeast (double mean, int length) noexcept
    {
        // The product is within a rounding or two of the answer: step over neighbouring doubles.
        const double n = (double) length;
        double sum = mean * n;

        while (std::nextafter (sum, 0.0) / n >= mean)
            sum = std::nextafter (sum, 0.0);

        while (sum / n < mean)
            sum = std::nextafter (sum, std::numeric_limits<double>::infinity());

        return sum;
    }
} // namespace tavine
