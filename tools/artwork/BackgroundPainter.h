#pragma once

#include "Lettering.h"

/** Draws the editor's 450 x 300 background: the grey panel with the two logos,
    the bevelled display window that the history panel covers, and the knob panel
    with the stage labels.

    The result is an opaque RGB image, so that it is stored without an alpha
    channel and the editor can blit it without blending.
*/
namespace BackgroundPainter
{
    constexpr int width = 450;
    constexpr int height = 300;

    /** The flat dark window under the history panel, in pixels, right and bottom
        exclusive. The history panel is placed exactly over it. */
    const juce::Rectangle<int> displayWindow { 31, 35, 388, 150 };

    juce::Image paint (const Lettering& lettering);
} // namespace BackgroundPainter
