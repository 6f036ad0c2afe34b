#pragma once

#include <cstddef>
#include <vector>

namespace tavine
{
    /** The running mean of the last `length` squared values. */
    class MeanSquareWindow
    {
    public:
        explicit MeanSquareWindow (int initialLength);

        /** Re-sizes and empties the window; a length of 0 or less, or the current one, is ignored. */
        void setLength (int newLength);

        /** Empties the window: sum, stored squares and position back to zero. */
        void clear() noexcept;

        int getLength() const noexcept { return length; }
        double getSum() const noexcept { return sum; }

        /** The smallest running sum whose mean, sum / length, is at least `mean` (a positive
            normal number). A correctly rounded division by a fixed positive length never
            decreases as the sum grows, so every sum from here up has a mean at least that large:
            a per-sample test of the mean against a threshold can compare the sum instead, and
            leave the division out of the window's recursion. */
        static double smallestSumWithMeanAtLeast (double mean, int length) noexcept;

        /** The window's running state copied into locals, for per-sample loops: the stores into the
            ring could otherwise alias the sum, which would then make a trip through memory on every
            sample. Take one at the start of a block, push through it, store it back at the end. */
        class Cursor
        {
        public:
            explicit Cursor (MeanSquareWindow& window) noexcept
                : squares (window.squares.data())
                , length (window.length)
                , position (window.position)
                , wrapped (window.wrapped)
                , sum (window.sum)
            {
            }

            /** Stores a square, drops the oldest one and returns the new mean. */
            double push (double square) noexcept { return pushSum (square) / length; }

            /** Like push, but returns the new sum and leaves the division to the caller. */
            double pushSum (double square) noexcept
            {
                const double old = squares[position];
                squares[position] = square;

                if (++position == length)
                {
                    position = 0;
                    wrapped = true;
                }

                // The order of this sum matters: it is part of the analysis' exact arithmetic.
                sum = (square + sum) - old;
                return sum;
            }

            int getLength() const noexcept { return length; }

            /** The same as MeanSquareWindow::clear. */
            void clear() noexcept
            {
                clearSquares (squares, wrapped ? length : position);
                sum = 0.0;
                position = 0;
                wrapped = false;
            }

            void storeInto (MeanSquareWindow& window) const noexcept
            {
                window.position = position;
                window.wrapped = wrapped;
                window.sum = sum;
            }

        private:
            double* squares;
            int length;
            int position;
            bool wrapped;
            double sum;
        };

    private:
        // Pushes start at slot 0 after every clear, so until the position first wraps only the
        // slots before it can hold anything but 0. A window that a quiet signal empties at every
        // sample then costs a few stores, not a sweep over all of its up to 0.3 s of slots.
        static void clearSquares (double* squares, int count) noexcept;

        double sum = 0.0;
        int length = 0;
        std::vector<double> squares;
        int position = 0;
        bool wrapped = false; // since the last clear
    };
} // namespace tavine
