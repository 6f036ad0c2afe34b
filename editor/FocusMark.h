#pragma once

#include <juce_graphics/juce_graphics.h>

/** The mark a control wears while it has the keyboard focus, given from the keyboard: a thin
    light outline with a dark edge, which shows on the light panel and on the dark knob skirt
    alike. Drawn as vector shapes, so it is sharp at every display scale. */
namespace FocusMark
{
    /** Outlines `bounds`: as a circle inscribed in them, or as a rounded rectangle. */
    void drawAround (juce::Graphics& g, juce::Rectangle<float> bounds, bool round);
} // namespace FocusMark
