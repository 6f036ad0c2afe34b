#pragma once

#include "engine/EffectEngine.h"

#include <vector>

/** Collects every point of the engine's display history over a whole render, which the
    engine itself keeps for ten seconds only, and writes them as CSV.

    The engine completes a point every 25 ms of audio; capture() must be called before the ring
    has gone round, so no more than getMaximumSamplesBetweenCaptures() samples apart.
*/
class MeterRecorder
{
public:
    /** Starts recording after the engine has been prepared. `latency` is the engine's delay,
        by which each point's time in the input is earlier than in the engine. */
    MeterRecorder (tavine::EffectEngine& engine, int latency);

    /** Takes the points completed since the last capture. */
    void capture();

    int getMaximumSamplesBetweenCaptures() const noexcept;

    /** The CSV text: a header line, then per point its time, level, and the steadiness,
        density and transients meters' shares. */
    juce::String toCsv() const;

private:
    struct Point
    {
        double time; // seconds into the input at which the point's 25 ms end
        float level; // RMS of both channels over the engine's level window
        int colourCode;
    };

    tavine::EffectEngine& engine;
    int latency;
    int lastPosition;
    juce::int64 pointsSoFar = 0;
    juce::Array<float> levels;
    juce::Array<int> colours;
    std::vector<Point> points;
};
