#pragma once

#include <juce_events/juce_events.h>

namespace juce
{
    // The framework's own step of its message loop. Plug-ins are built without modal loops, so
    // the tests step the queue themselves to deliver what a component posted.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace test
{
    /** Delivers every message that is waiting on the message thread's queue. */
    inline void deliverPendingMessages()
    {
        for (int i = 0; i < 1000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
        {
        }
    }
} // namespace test
