#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <vector>

namespace tavine
{
    /** A fixed-capacity ring of display-point entries (float levels or int colour codes). */
    template <typename Entry>
    class HistoryRing
    {
    public:
        explicit HistoryRing (int initialCapacity) { setCapacity (initialCapacity); }

        /** Re-sizes and zeroes the ring; 0 or less, or the current capacity, is ignored. */
        void setCapacity (int n)
        {
            if (n <= 0 || n == capacity)
                return;

            items.assign ((std::size_t) n, Entry {});
            capacity = n;
            position = 0;
        }

        /** Zeroes every entry and starts again at slot 0, keeping the capacity. */
        void clear() noexcept
        {
            std::fill (items.begin(), items.end(), Entry {});
            position = 0;
        }

        void push (Entry value) noexcept
        {
            items[(std::size_t) position] = value;

            if (++position == capacity)
                position = 0;
        }

        /** Copies the n newest entries into dest, newest first. n must not exceed the capacity
            nor the size of dest: the caller checks both, so nothing here can allocate. */
        void copyNewestFirst (juce::Array<Entry>& dest, int n) const noexcept
        {
            auto* out = dest.getRawDataPointer();

            for (int i = 0; i < n; ++i)
            {
                int k = position - 1 - i;

                if (k < 0)
                    k += capacity;

                out[i] = items[(std::size_t) k];
            }
        }

        int getCapacity() const noexcept { return capacity; }
        int getPosition() const noexcept { return position; }

    private:
        int capacity = 0;
        std::vector<Entry> items;
        int position = 0;
    };
} // namespace tavine
