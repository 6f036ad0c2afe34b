#include "MeanSquareWindow.h"

#include <algorithm>

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
