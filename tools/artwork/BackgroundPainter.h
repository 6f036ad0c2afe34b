#pragma once

#include "Lettering.h"

/** Draws the editor's background, the size of its window: the grey panel with the
    two logos, the bevelled display window that the history panel covers, and the
    knob panel with the stage labels, all where EditorLayout places them.

    The result is an opaque RGB image, so that it is stored without an alpha
    channel and the editor can blit it without blending.
*/
namespace BackgroundPainter
{
    /** At a scale above 1, the same image drawn that many times larger. */
    juce::Image paint (const Lettering& lettering, int scale = 1);
} // namespace BackgroundPainter
