#pragma once

#include "Lettering.h"

/** Draws the x2 toggle: a 32 x 32 image holding two 32 x 16 looks of the same
    small plate, off (light grey) above and on (light blue) below. */
namespace TogglePainter
{
    constexpr int width = 32;
    constexpr int stateHeight = 16;

    juce::Image paint (const Lettering& lettering);
} // namespace TogglePainter
