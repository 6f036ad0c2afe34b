#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>

/** Where everything sits in Tavine's window, in pixels from its top left corner.

    The editor places its children here and the artwork generator (tools/artwork) draws the
    background for exactly these places: the history panel covers the display window pixel for
    pixel, and each knob and its ring are drawn 1:1 from 64 x 64 filmstrip frames. Moving
    anything means redrawing the artwork.
*/
namespace EditorLayout
{
    /** The window, whatever size a host asks for. */
    inline constexpr int width = 450;
    inline constexpr int height = 300;

    /** A knob and its level ring share one square, the size of a filmstrip frame. */
    inline constexpr int knobSize = 64;

    inline const juce::Rectangle<int> redKnob { 65, 221, knobSize, knobSize };
    inline const juce::Rectangle<int> greenKnob { 193, 221, knobSize, knobSize };
    inline const juce::Rectangle<int> blueKnob { 321, 221, knobSize, knobSize };

    /** The three knobs in the order of ParameterIds::knobs. */
    inline const std::array<juce::Rectangle<int>, 3> knobs { redKnob, greenKnob, blueKnob };

    /** The rounded panel the knobs and their labels sit on. */
    inline const juce::Rectangle<int> knobPanel { 25, 198, 400, 98 };

    /** The x2 toggle, between the two logos; its image holds a look of this size per state. */
    inline constexpr int toggleWidth = 32;
    inline constexpr int toggleHeight = 16;
    inline const juce::Rectangle<int> x2Toggle { 209, 7, toggleWidth, toggleHeight };

    /** The flat dark window in the background that the history panel covers, one history
        column per pixel. */
    inline const juce::Rectangle<int> displayWindow { 31, 35, 388, 150 };
} // namespace EditorLayout
