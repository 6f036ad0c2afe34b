#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** One parameter moved over a render, as a host plays an automation lane: points of a value
    at a time, the first point's value held before it and the last one's after it. A knob goes
    in a straight line from one point to the next; a switch (x2, the bypass) holds each point's
    value until the next point, as a host plays a toggle's lane, so that it switches at the
    time its point names. Two points at the same time make a jump; from that very time on the
    later one holds. */
class AutomationLane
{
public:
    struct Point
    {
        double seconds;
        float value;
    };

    /** The name --automate takes for the host's bypass, beside the four parameter IDs. */
    static constexpr const char* bypass = "bypass";

    /** `parameter` is a parameter ID or bypass; the points are in time order, at least one. */
    AutomationLane (const juce::String& parameter, std::vector<Point> points);

    /** A parameter ID, or bypass. */
    const juce::String& getParameter() const noexcept { return parameter; }
    bool isBypass() const noexcept { return parameter == bypass; }

    /** Whether a parameter (an ID, or bypass) is a switch, x2 or the bypass: it takes on and
        off, and steps from point to point instead of moving along a line. */
    static bool isSwitch (const juce::String& parameter) noexcept;

    /** The value at a time in seconds, before the first point and after the last included. */
    float valueAt (double seconds) const noexcept;

    /** Whether a bypass lane's value means bypassed: from 0.5 on, as the processor reads x2. */
    static bool isOn (float value) noexcept { return value >= 0.5f; }

private:
    juce::String parameter;
    std::vector<Point> points;
};
