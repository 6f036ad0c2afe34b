#include "MeterRecorder.h"

namespace
{
    // copyHistory hands out at most 399 levels; leave a margin.
    constexpr int maximumPointsPerCapture = 384;
} // namespace

MeterRecorder::MeterRecorder (tavine::EffectEngine& engineToRecord, int engineLatency)
    : engine (engineToRecord)
    , latency (engineLatency)
    , lastPosition (engineToRecord.getHistory().getColourRing().getPosition())
{
}

int MeterRecorder::getMaximumSamplesBetweenCaptures() const noexcept
{
    return maximumPointsPerCapture * juce::jmax (1, engine.getHistory().getSamplesPerPoint());
}

void MeterRecorder::capture()
{
    // The colour ring advances by one slot per point; how far it moved is how many points are
    // new. The render and the engine share one thread here, so the ring is still.
    const auto& ring = engine.getHistory().getColourRing();
    const int position = ring.getPosition();
    const int newPoints = (position - lastPosition + ring.getCapacity()) % ring.getCapacity();
    lastPosition = position;

    if (newPoints == 0)
        return;

    levels.resize (newPoints);
    colours.resize (newPoints);

    if (! engine.copyHistory (levels, colours))
        return;

    const auto samplesPerPoint = (double) engine.getHistory().getSamplesPerPoint();
    const auto rate = engine.getSampleRate();

    // Oldest first in the file; copyHistory hands them out newest first.
    for (int i = newPoints; --i >= 0;)
    {
        ++pointsSoFar;
        const auto time = ((double) pointsSoFar * samplesPerPoint - latency) / rate;

        // The first points of a render can lie wholly in the engine's delay, before the input.
        if (time > 0.0)
            points.push_back ({ time, levels[i], colours[i] });
    }
}

juce::String MeterRecorder::toCsv() const
{
    juce::String text;
    text.preallocateBytes (points.size() * 40 + 64);
    text << "time,level,steadiness,density,transients\n";

    const auto share = [] (int outOf255) { return juce::String ((double) outOf255 / 255.0, 4); };

    for (const auto& point : points)
    {
        const auto shares = tavine::SignalAnalysis::unpackColourCode (point.colourCode);
        text << juce::String (point.time, 4) << ','
             << juce::String (point.level, 7) << ','
             << share (shares.steadiness) << ','
             << share (shares.density) << ','
             << share (shares.transients) << '\n';
    }

    return text;
}
