#include "AllocationCounter.h"

#include <cstddef>
#include <cstdint>

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

#if defined(_WIN32)

#include <windows.h>

namespace
{
    /** One per-thread number in a Windows thread-local slot.

        The compiler's own thread-local variables allocate their storage with malloc on first
        use in a thread on MinGW, which would re-enter the counting malloc below; Windows' slots
        never call malloc. Until the slot exists (early in static initialisation) it reads 0.
    */
    class ThreadNumber
    {
    public:
        ThreadNumber() noexcept
        {
            if (const auto index = TlsAlloc(); index != TLS_OUT_OF_INDEXES)
                slot = index + 1;
        }

        operator long() const noexcept
        {
            return slot == 0 ? 0 : static_cast<long> (reinterpret_cast<std::intptr_t> (TlsGetValue (slot - 1)));
        }

        ThreadNumber& operator= (long value) noexcept
        {
            if (slot != 0)
                TlsSetValue (slot - 1, reinterpret_cast<void*> (static_cast<std::intptr_t> (value)));

            return *this;
        }

        ThreadNumber& operator++() noexcept { return *this = *this + 1; }

    private:
        // The slot's index plus one, so that the zero every static object holds before its
        // constructor runs means "no slot yet".
        DWORD slot = 0;
    };

    ThreadNumber counting;
    ThreadNumber allocations;
    ThreadNumber frees;
} // namespace

#else

namespace
{
    thread_local bool counting = false;
    thread_local long allocations = 0;
    thread_local long frees = 0;
} // namespace

#endif

namespace
{
    [[maybe_unused]] void noteAllocation() noexcept
    {
        if (counting)
            ++allocations;
    }

    [[maybe_unused]] void noteFree (void* pointer) noexcept
    {
        if (counting && pointer != nullptr)
            ++frees;
    }
} // namespace

#if TAVINE_COUNT_ALLOCATIONS && defined(_WIN32)

// Windows' C library lives in a DLL whose functions a program cannot replace by defining its
// own. The test binary is linked with --wrap for each of them (tests/CMakeLists.txt), which
// sends every call from the program's code, JUCE and the statically linked C++ library here.
extern "C"
{
    void* __real_malloc (std::size_t);
    void* __real_calloc (std::size_t, std::size_t);
    void* __real_realloc (void*, std::size_t);
    void __real_free (void*);

    void* __wrap_malloc (std::size_t size)
    {
        noteAllocation();

        return __real_malloc (size);
    }

    void* __wrap_calloc (std::size_t count, std::size_t size)
    {
        noteAllocation();

        return __real_calloc (count, size);
    }

    void* __wrap_realloc (void* pointer, std::size_t size)
    {
        noteAllocation();

        return __real_realloc (pointer, size);
    }

    void __wrap_free (void* pointer)
    {
        noteFree (pointer);

        __real_free (pointer);
    }
}

#elif TAVINE_COUNT_ALLOCATIONS

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
        noteAllocation();

        return __libc_malloc (size);
    }

    void* calloc (std::size_t count, std::size_t size)
    {
        noteAllocation();

        return __libc_calloc (count, size);
    }

    void* realloc (void* pointer, std::size_t size)
    {
        noteAllocation();

        return __libc_realloc (pointer, size);
    }

    void free (void* pointer)
    {
        noteFree (pointer);

        __libc_free (pointer);
    }

    void* memalign (std::size_t alignment, std::size_t size)
    {
        noteAllocation();

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
        , wasCounting (counting != 0)
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
