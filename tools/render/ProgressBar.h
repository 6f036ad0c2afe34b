#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>

/** A one-line progress bar on standard error, redrawn in place; silent when switched off. */
class ProgressBar
{
public:
    /** Shown only for long renders on a terminal: a bar in a log file or a pipe is noise, and a
        short file finishes before a bar could tell anything. */
    static bool isWanted (bool quiet, double durationSeconds);

    explicit ProgressBar (bool enabled, FILE* destination = stderr);
    ~ProgressBar();

    /** Shows the fraction done, 0 to 1; draws only when the shown percentage changes. */
    void update (double fraction);

    /** Clears the line. */
    void finish();

private:
    bool enabled;
    FILE* destination;
    int shownPercent = -1;
};
