#include "HistoryBuffer.h"

#include <algorithm>

namespace tavine
{
    HistoryBuffer::HistoryBuffer (double windowMs, double intervalSeconds)
        : windowMilliseconds (windowMs)
        , windowLength (windowLengthFor (44100.0, windowMs))
        , powers ((std::size_t) std::max (1, windowLength), 0.0)
        , pointInterval (intervalSeconds)
    {
        windowLength = std::max (1, windowLength);
    }

    int HistoryBuffer::windowLengthFor (double rate, double windowMs) noexcept
    {
        return (int) ((rate * windowMs) * 0.001);
    }

    void HistoryBuffer::setSampleRate (double newRate)
    {
        samplesPerPoint = (int) (newRate * pointInterval);

        const int newLength = windowLengthFor (newRate, windowMilliseconds);

        if (newLength > 0 && newLength != windowLength)
        {
            windowLength = newLength;
            powers.assign ((std::size_t) newLength, 0.0);
        }

        std::fill (powers.begin(), powers.end(), 0.0);
        powerSum = 0.0;
        windowPosition = 0;
        levelRing.clear();
        samplesSincePoint = 0;
    }
} // namespace tavine
