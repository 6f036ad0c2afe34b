// The allocation counter is what the "never allocates" tests stand on: if it missed a way of
// allocating, they would pass for code that allocates. Each way is made here, where the
// compiler cannot see through it and leave the allocation out.

#include "support/AllocationCounter.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace
{
    // Where each allocation escapes to, so that it must really happen.
    void* volatile escaped = nullptr;
} // namespace

TEST (AllocationCounter, CountsEveryWayOfAllocatingOnItsOwnThreadOnly)
{
    if (! test::ScopedAllocationCounter::isAvailable())
        GTEST_SKIP() << "allocation counting is off under sanitizers";

    const test::ScopedAllocationCounter counter;

    void* block = std::malloc (24);
    escaped = block;
    std::free (escaped);

    block = std::calloc (3, 8);
    escaped = block;
    block = std::realloc (escaped, 4096);
    escaped = block;
    std::free (escaped);

    auto owned = std::make_unique<double> (1.0);
    escaped = owned.get();
    owned.reset();

    {
        std::vector<float> samples (1000);
        escaped = samples.data();
    }

    juce::HeapBlock<float> heapBlock (512);
    escaped = heapBlock.get();
    heapBlock.free();

    EXPECT_GE (counter.getAllocations(), 6);
    EXPECT_GE (counter.getFrees(), 5);

    // Another thread's allocations are its own business.
    const auto before = counter.getAllocations();
    std::thread ([] {
        for (int i = 0; i < 10; ++i)
            escaped = std::make_unique<char[]> (100).get();
    }).join();
    EXPECT_LE (counter.getAllocations() - before, 2) << "the counter saw another thread's work";
}
