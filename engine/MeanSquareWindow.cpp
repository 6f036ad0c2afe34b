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
    written = 0;
    sum = 0.0;
}

void MeanSquareWindow::clear() noexcept
{
    clearSquares (squares.data(), written);
    sum = 0.0;
    position = 0;
    written = 0;
}

void MeanSquareWindow::clearSquares (double* squares, int written) noexcept
{
    std::fill (squares, squares + written, 0.0);
}
