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
    sum = 0.0;
}

void MeanSquareWindow::clear() noexcept
{
    sum = 0.0;
    std::fill (squares.begin(), squares.end(), 0.0);
    position = 0;
}
