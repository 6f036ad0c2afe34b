#pragma once

namespace test
{
    /** Counts heap allocations and frees made by the current thread while an instance lives.

        The test binary replaces malloc, calloc, realloc, free and the aligned variants (and so
        every operator new and delete built on them) with counting versions that forward to the
        C library; on Windows, where the C library cannot be replaced, the linker wraps malloc,
        calloc, realloc and free instead. Counting is off in sanitizer builds, whose runtimes own
        the allocator: there `isAvailable` is false.
    */
    class ScopedAllocationCounter
    {
    public:
        ScopedAllocationCounter() noexcept;
        ~ScopedAllocationCounter() noexcept;

        long getAllocations() const noexcept;
        long getFrees() const noexcept;

        static bool isAvailable() noexcept;

    private:
        long allocationsAtStart, freesAtStart;
        bool wasCounting;
    };
} // namespace test
