#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tavine
{
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
            float* const line = buffer.data();

            // Worked in runs that end where the position wraps, so that the inner loop is a plain
            // exchange of two arrays.
            while (numSamples > 0)
            {
                const int run = std::min (numSamples, length - position);
                float* const __restrict stored = line + position;
                float* const __restrict io = samples;

                for (int i = 0; i < run; ++i)
                {
                    const float delayed = stored[i];
                    stored[i] = io[i];
                    io[i] = delayed;
                }

                samples += run;
                numSamples -= run;
                position += run;

                if (position == length)
                    position = 0;
            }
        }

    private:
        int length = 0;
        std::vector<float> buffer;
        int position = 0;
    };
} // namespace tavine
