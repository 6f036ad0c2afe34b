#include "FocusMark.h"

void FocusMark::drawAround (juce::Graphics& g, juce::Rectangle<float> bounds, bool round)
{
    const auto outline = [&] (juce::Rectangle<float> area, float thickness) {
        if (round)
            g.drawEllipse (area, thickness);
        else
            g.drawRoundedRectangle (area, 3.0f, thickness);
    };

    g.setColour (juce::Colours::black.withAlpha (0.6f));
    outline (bounds.reduced (0.75f), 1.5f);
    g.setColour (juce::Colour (255, 214, 120));
    outline (bounds.reduced (1.5f), 1.0f);
}
