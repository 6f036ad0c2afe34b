#include "AllocationCounter.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAVINE_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define TAVINE_COUNT_ALLOCATIONS 0
#endif
#endif

#ifndef TAVINE_COUNT_ALLOCATIONS
#define TAVINE_COUNT_ALLOCATIONS 1
#endif

namespace
{
    thread_local bool counting = false;
    thread_local long allocations = 0;
    thread_local long frees = 0;
} // namespace

#if TAVINE_COUNT_ALLOCATIONS

// glibc's own entry points, which the replacements forward to.
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);
    void __libc_free (void*);
    void* __libc_memalign (std::size_t, std::size_t);

    void* malloc (std::size_t size)
    {
        if (counting)
            ++allocations;

        return __libc_malloc (size);
    }

    void* calloc (std::size_t count, std::size_t size)
    {
        if (counting)
            ++allocations;

        return __libc_calloc (count, size);
    }

    void* realloc (void* pointer, std::size_t size)
    {
        if (counting)
            ++allocations;

        return __libc_realloc (pointer, size);
    }

    void free (void* pointer)
    {
        if (counting && pointer != nullptr)
            ++frees;

        __libc_free (pointer);
    }

    void* memalign (std::size_t alignment, std::size_t size)
    {
        if (counting)
            ++allocations;

        return __libc_memalign (alignment, size);
    }

    void* aligned_alloc (std::size_t alignment, std::size_t size)
    {
        return memalign (alignment, size);
    }

    int posix_memalign (void** result, std::size_t alignment, std::size_t size)
    {
        *result = memalign (alignment, size);
        return *result != nullptr ? 0 : 12; // ENOMEM
    }
}

#endif

namespace test
{
    ScopedAllocationCounter::ScopedAllocationCounter() noexcept
        : allocationsAtStart (allocations)
        , freesAtStart (frees)
        , wasCounting (counting)
    {
        counting = true;
    }

    ScopedAllocationCounter::~ScopedAllocationCounter() noexcept
    {
        counting = wasCounting;
    }

    long ScopedAllocationCounter::getAllocations() const noexcept { return allocations - allocationsAtStart; }
    long ScopedAllocationCounter::getFrees() const noexcept { return frees - freesAtStart; }
    bool ScopedAllocationCounter::isAvailable() noexcept { return TAVINE_COUNT_ALLOCATIONS != 0; }
} // namespace test
