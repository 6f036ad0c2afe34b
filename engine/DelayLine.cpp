#include "DelayLine.h"

namespace tavine
{
    DelayLine::DelayLine (int initialLength)
    {
        setLength (initialLength);
    }

    void DelayLine::setLength (int newLength)
    {
        if (newLength <= 0 || newLength == length)
            return;

        length = newLength;
        buffer.assign ((std::size_t) newLength, 0.0f);
        position = 0;
    }
} // namespace tavine
