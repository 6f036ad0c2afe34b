#pragma once

#include "ArtworkSet.h"

/** One enlarged overview of the whole artwork for reviewing it by eye: the
    editor as it will look assembled, the raw background, every frame of every
    strip on a checkerboard, each knob with its ring over the background, and
    both looks of the x2 toggle. */
namespace ContactSheet
{
    juce::Image compose (const std::vector<ArtworkImage>& artwork, const Lettering& lettering);
} // namespace ContactSheet
