#pragma once

#include <juce_graphics/juce_graphics.h>

/** Draws a knob filmstrip: 15 frames of 64 x 64 stacked top to bottom.

    Each frame shows a black knob with a brushed-metal cap, a white pointer dot
    and a scale of 15 amber lamps. Frame k has the pointer at step k of the
    sweep and the lamps lit from the first up to the pointer. Outside the knob
    the frame is transparent, leaving room for the level ring.
*/
namespace KnobPainter
{
    /** tint colours the lower part of the knob's base faintly, so the three knobs
        can be told apart even before the rings light up. At a scale above 1 the
        strip is drawn that many times larger, for high-density displays: the same
        drawing with every length multiplied, not an enlargement. */
    juce::Image paintStrip (juce::Colour tint, int scale = 1);
} // namespace KnobPainter
