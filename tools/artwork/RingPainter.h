#pragma once

#include <juce_graphics/juce_graphics.h>

/** Draws a level-ring filmstrip: 15 frames of 64 x 64, transparent apart from
    glowing dots on a circle just outside the knob.

    Frame 0 holds one dot at the lower left; every further frame extends the arc
    clockwise by two dots, and in the long arcs the oldest dots fade, so the
    ring reads as a level that sweeps round rather than as a closed circle.
*/
namespace RingPainter
{
    /** Number of dot positions along the full arc (frame 14 shows all of them). */
    constexpr int dotCount = 29;

    /** At a scale above 1, the same strip drawn that many times larger. */
    juce::Image paintStrip (juce::Colour colour, int scale = 1);
} // namespace RingPainter
