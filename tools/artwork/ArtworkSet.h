#pragma once

#include "Lettering.h"

#include <vector>

/** One finished image and the file it is stored in under resources/. */
struct ArtworkImage
{
    juce::String fileName;
    juce::Image image;
};

/** Draws the complete artwork of the editor and turns it into PNG files. */
namespace ArtworkSet
{
    /** The scales the artwork is drawn at: the window's own pixels, and twice as
        many each way for high-density displays ("background_2x.png"). */
    inline constexpr int scales[] = { 1, 2 };

    /** All eight images at every scale, in the order the resource list names them. */
    std::vector<ArtworkImage> draw (const Lettering& lettering);

    /** PNG bytes of an image: RGB for opaque images, RGBA for images with alpha. */
    juce::MemoryBlock encodePng (const juce::Image& image);

    /** Writes every image to the folder; returns an error message, empty on success. */
    juce::String write (const std::vector<ArtworkImage>& artwork, const juce::File& folder);

    /** Compares every image's PNG bytes with the file of the same name in the
        folder. Returns one line per file that is missing or differs. */
    juce::StringArray findDifferences (const std::vector<ArtworkImage>& artwork, const juce::File& folder);
} // namespace ArtworkSet
