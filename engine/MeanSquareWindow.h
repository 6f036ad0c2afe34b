#pragma once

#include <cstddef>
#include <vector>

/** The running mean of the last `length` squared values. */
class MeanSquareWindow
{
public:
    explicit MeanSquareWindow (int initialLength);

    /** Re-sizes and empties the window; a length of 0 or less, or the current one, is ignored. */
    void setLength (int newLength);

    /** Empties the window: sum, stored squares and position back to zero. */
    void clear() noexcept;

    /** Stores a square, drops the oldest one and returns the new mean. */
    double push (double square) noexcept
    {
        const double old = squares[(std::size_t) position];
        squares[(std::size_t) position] = square;

        if (++position == length)
            position = 0;

        // The order of this sum matters: it is part of the analysis' exact arithmetic.
        sum = (square + sum) - old;
        return sum / length;
    }

    int getLength() const noexcept { return length; }
    double getSum() const noexcept { return sum; }

private:
    double sum = 0.0;
    int length = 0;
    std::vector<double> squares;
    int position = 0;
};
