#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <thread>

namespace test
{
    /** Holds a lock on another thread for as long as it lives, as the audio thread holds the
        engine's lock during its analysis. (The lock is re-entrant, so holding it on the test's
        own thread would prove nothing.) */
    class LockHeldElsewhere
    {
    public:
        explicit LockHeldElsewhere (juce::CriticalSection& lock)
            : holder ([this, &lock] {
                const juce::ScopedLock scoped (lock);
                holding = true;

                while (! release)
                    std::this_thread::yield();
            })
        {
            while (! holding)
                std::this_thread::yield();
        }

        ~LockHeldElsewhere()
        {
            release = true;
            holder.join();
        }

    private:
        std::atomic<bool> holding { false }, release { false };
        std::thread holder;
    };
} // namespace test
