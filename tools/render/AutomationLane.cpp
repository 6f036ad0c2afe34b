#include "AutomationLane.h"

#include "plugin/ParameterIds.h"

#include <algorithm>

AutomationLane::AutomationLane (const juce::String& parameterName, std::vector<Point> lanePoints)
    : parameter (parameterName)
    , points (std::move (lanePoints))
{
    jassert (! points.empty());
}

bool AutomationLane::isSwitch (const juce::String& parameterName) noexcept
{
    return parameterName == bypass || parameterName == ParameterIds::x2;
}

float AutomationLane::valueAt (double seconds) const noexcept
{
    // The first point later than `seconds`: of two points at one time, the second is then
    // the one behind, so a jump has happened by the time it names.
    const auto next = std::upper_bound (points.begin(), points.end(), seconds, [] (double time, const Point& point) { return time < point.seconds; });

    if (next == points.begin())
        return points.front().value;

    if (next == points.end())
        return points.back().value;

    const auto& previous = *(next - 1);

    if (isSwitch (parameter))
        return previous.value;

    const auto fraction = (seconds - previous.seconds) / (next->seconds - previous.seconds);
    return (float) ((double) previous.value + fraction * ((double) next->value - (double) previous.value));
}
