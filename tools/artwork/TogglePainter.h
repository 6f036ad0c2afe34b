#pragma once

#include "Lettering.h"
#include "editor/EditorLayout.h"

/** Draws the x2 toggle: a 32 x 32 image holding two 32 x 16 looks of the same
    small plate, off (light grey) above and on (light blue) below. Each look is
    the size of the toggle's place in the window. */
namespace TogglePainter
{
    constexpr int width = EditorLayout::toggleWidth;
    constexpr int stateHeight = EditorLayout::toggleHeight;

    /** At a scale above 1, the same image drawn that many times larger. */
    juce::Image paint (const Lettering& lettering, int scale = 1);
} // namespace TogglePainter
