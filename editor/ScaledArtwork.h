#pragma once

#include <juce_graphics/juce_graphics.h>

/** How the editor draws its artwork at any display scale. tools/artwork draws every image
    twice: in the window's own pixels, and twice as large (the "_2x" resources). A paint call
    that covers more than one physical pixel per window pixel (a display at 125 % or more, a
    host's content scale, a zoomed window) draws from the larger set, so nothing is an
    enlargement of the small images. */
namespace ScaledArtwork
{
    /** The scale the larger images are drawn at. */
    inline constexpr int doubledScale = 2;

    /** True when `g` paints at more than one physical pixel per window pixel. */
    bool paintsAboveNormalScale (juce::Graphics& g);

    /** Draws `source`, a rectangle of the window-sized image, into `destination`. At a
        physical scale of 1 or less this is a plain drawImage of `normal`, pixel for pixel what
        it always was. Above 1 it draws the same part of `doubled` (when valid): 1:1 at twice
        the scale, resampled with high quality at any other. */
    void draw (juce::Graphics& g, const juce::Image& normal, const juce::Image& doubled, juce::Rectangle<int> source, juce::Rectangle<int> destination);
} // namespace ScaledArtwork
