#include "Interruption.h"

#include <atomic>
#include <csignal>

namespace Interruption
{
    namespace
    {
        // Written by the handler, read by every render thread: a lock-free atomic is all a
        // signal handler may touch.
        std::atomic<int> received { 0 };
        static_assert (std::atomic<int>::is_always_lock_free);

        extern "C" void noteSignal (int signalNumber)
        {
            int none = 0;
            received.compare_exchange_strong (none, signalNumber);
        }

        const char* nameOf (int signalNumber)
        {
            switch (signalNumber)
            {
                case SIGINT:
                    return "interrupted";
                case SIGTERM:
                    return "terminated";
                case SIGHUP:
                    return "hung up";
                default:
                    return "stopped by a signal";
            }
        }
    } // namespace

    void install()
    {
        struct sigaction action
        {
        };
        action.sa_handler = noteSignal;
        sigemptyset (&action.sa_mask);

        // Reads and writes carry on when a signal arrives; the render stops at its next block.
        action.sa_flags = SA_RESTART;

        for (const auto signalNumber : { SIGINT, SIGTERM, SIGHUP })
            sigaction (signalNumber, &action, nullptr);
    }

    int signalReceived() noexcept
    {
        return received.load (std::memory_order_relaxed);
    }

    int exitStatus() noexcept
    {
        return 128 + signalReceived();
    }

    juce::Result check()
    {
        if (const auto signalNumber = signalReceived(); signalNumber != 0)
            return juce::Result::fail (juce::String (nameOf (signalNumber)) + ": nothing was written");

        return juce::Result::ok();
    }
} // namespace Interruption
