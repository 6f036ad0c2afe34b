#include "Visualisation.h"

#include <cmath>

Visualisation::Visualisation (tavine::EffectEngine& engineToShow)
    : engine (&engineToShow)
{
    setOpaque (true);
    setTitle ("history of the signal's level");
    setDescription ("the last ten seconds of level, coloured by how steady, dense and sharp the sound was");
    startTimer (100);
}

std::unique_ptr<juce::AccessibilityHandler> Visualisation::createAccessibilityHandler()
{
    return std::make_unique<juce::AccessibilityHandler> (*this, juce::AccessibilityRole::image);
}

Visualisation::~Visualisation() = default;

void Visualisation::resized()
{
    // One entry per pixel column. The storage is reserved here, so that the timer and paint
    // never allocate.
    const int width = getWidth();
    levels.clearQuick();
    colours.clearQuick();
    levels.ensureStorageAllocated (width);
    colours.ensureStorageAllocated (width);

    for (int i = 0; i < width; ++i)
    {
        levels.add (0.0f);
        colours.add (0);
    }
}

juce::uint32 Visualisation::colourForCode (int code) noexcept
{
    const auto shares = tavine::SignalAnalysis::unpackColourCode (code);
    const float steadiness = (float) shares.steadiness / 255.0f;
    const float density = (float) shares.density / 255.0f;
    const float transients = (float) shares.transients / 255.0f;

    // Each meter gets its own muted hue on the dark panel: steadiness green, density red,
    // transients blue. Halved and lifted by 64, every channel stays within 64..159.
    const auto channel = [=] (float steadinessWeight, float transientsWeight, float densityWeight) {
        return (juce::uint32) ((((int) ((steadiness * steadinessWeight + transients * transientsWeight) + density * densityWeight)) >> 1) + 64);
    };

    const auto red = channel (0.0f, 0.0f, 191.0f);
    const auto green = channel (191.0f, 96.0f, 0.0f);
    const auto blue = channel (44.0f, 191.0f, 48.0f);
    return 0xff000000u | red << 16 | green << 8 | blue;
}

void Visualisation::timerCallback()
{
    if (! engine->copyHistory (levels, colours))
        return;

    const int n = levels.size();
    auto* level = levels.getRawDataPointer();
    auto* colour = colours.getRawDataPointer();

    float sum = 0.0f, count = 0.0f, low = 10.0f, high = 0.0f;

    for (int i = 0; i < n; ++i)
    {
        const float c = level[i];

        if (c < 1.0e-8f)
        {
            level[i] = -80.0f;
            continue;
        }

        count = count + 1.0f;
        sum = sum + c;
        const float mean = sum / count;

        // Recent points count fully, old ones only a fifth: the range follows what is playing
        // now. With a single column this is 0/0, and the range stays where it is.
        const float weight = std::sqrt (1.0f - (float) i / (float) (n - 1)) * 0.8f + 0.2f;
        const float lower = mean - (mean - c) * weight;
        const float upper = (c - mean) * weight + mean;

        if (lower < low)
            low = lower;

        if (upper > high)
            high = upper;

        level[i] = 10.0f * std::log10 (c);
        colour[i] = (int) colourForCode (colour[i]);
    }

    if (low < 10.0f && low > 0.0f)
    {
        const float mean = sum / count;
        const float spread = juce::jmax (juce::jmin (mean - low, high - mean), 0.01f);
        const float lowTarget = juce::jmax (juce::jmin (mean - spread, 0.9f * low), 1.0e-8f);
        const float highTarget = juce::jmax (mean + spread, 1.1f * high);

        // 5 % of the way per tick: a time constant of about two seconds.
        rangeLowDb = 10.0f * std::log10 (lowTarget) * 0.05f + rangeLowDb * 0.95f;
        rangeHighDb = 10.0f * std::log10 (highTarget) * 0.05f + rangeHighDb * 0.95f;
    }

    for (int i = 0; i < n; ++i)
    {
        const float v = (level[i] - rangeLowDb) / (rangeHighDb - rangeLowDb);
        level[i] = v < 0.0f ? 0.0f : juce::jmin (v, 1.0f);
    }

    repaint();
}

void Visualisation::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff101010));

    const int n = juce::jmin (getWidth(), levels.size(), colours.size());
    const int height = getHeight();
    const float bottom = (float) (height - 1);

    // Column 0 shows the oldest of the n points, the rightmost column the newest.
    for (int x = 0; x < n; ++x)
    {
        const int i = n - 1 - x;
        const float v = juce::jlimit (0.0f, 1.0f, levels.getUnchecked (i));
        g.setColour (juce::Colour ((juce::uint32) colours.getUnchecked (i)));
        const float top = (float) (height - 2) * (1.0f - v) + 1.0f;

        if (top < bottom)
            g.fillRect (juce::Rectangle<float> ((float) x, top, 1.0f, bottom - top));
    }
}
