#pragma once

#include <cstddef>
#include <vector>

/** A fixed delay of whole samples: what goes in comes out `length` samples later. */
class DelayLine
{
public:
    explicit DelayLine (int initialLength);

    /** Re-sizes and empties the line. A length of 0 or less, or the current length, is ignored,
        so that a rate whose computed delay is 0 keeps the delay it had. */
    void setLength (int newLength);

    int getLength() const noexcept { return length; }

    /** Delays a buffer in place. */
    void process (float* samples, int numSamples) noexcept
    {
        for (int i = 0; i < numSamples; ++i)
        {
            const float delayed = buffer[(std::size_t) position];
            buffer[(std::size_t) position] = samples[i];
            samples[i] = delayed;

            if (++position == length)
                position = 0;
        }
    }

private:
    int length = 0;
    std::vector<float> buffer;
    int position = 0;
};
