#pragma once

#include <juce_core/juce_core.h>

/** Ctrl-C, SIGTERM and SIGHUP while rendering. The handler only notes the signal; every render
    looks at its next block, stops, and its temporary files go with the objects that own them.
    The program then exits with 128 plus the signal's number, as shells expect (130 for
    Ctrl-C, 143 for SIGTERM, 129 for SIGHUP). */
namespace Interruption
{
    /** Catches the three signals from now on. */
    void install();

    /** The signal that asked the program to stop, or 0. */
    int signalReceived() noexcept;

    /** The exit status for the signal received: 128 plus its number. */
    int exitStatus() noexcept;

    /** Fails once a signal has come, saying which ("interrupted: nothing was written" for
        Ctrl-C, "terminated: ..." or "hung up: ..."). */
    juce::Result check();
} // namespace Interruption
