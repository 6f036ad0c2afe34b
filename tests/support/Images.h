#pragma once

#include <juce_graphics/juce_graphics.h>

namespace test
{
    /** How many pixels of an area differ between two images; the area defaults to the first
        image's bounds, and a pixel outside either image reads as transparent black. */
    inline int differingPixels (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area = {})
    {
        if (area.isEmpty())
            area = a.getBounds();

        int count = 0;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                count += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;

        return count;
    }

    /** Two images of one size with the same pixels. */
    inline bool sameImage (const juce::Image& a, const juce::Image& b)
    {
        return a.getBounds() == b.getBounds() && differingPixels (a, b) == 0;
    }

    /** The energy of the edges in an area: the sum of the squared differences of neighbouring
        pixels' brightness, across and down. A soft, enlarged picture has less of it. */
    inline double edgeEnergy (const juce::Image& image, juce::Rectangle<int> area)
    {
        double energy = 0.0;

        for (int y = area.getY(); y < area.getBottom() - 1; ++y)
        {
            for (int x = area.getX(); x < area.getRight() - 1; ++x)
            {
                const auto here = image.getPixelAt (x, y).getPerceivedBrightness();
                const auto across = image.getPixelAt (x + 1, y).getPerceivedBrightness() - here;
                const auto down = image.getPixelAt (x, y + 1).getPerceivedBrightness() - here;
                energy += (double) (across * across + down * down);
            }
        }

        return energy;
    }

    /** A picture enlarged to a size by the best resampling JUCE offers: what a window drawn
        only from the 1x images looks like on a high-density display. */
    inline juce::Image enlarged (const juce::Image& picture, int width, int height)
    {
        juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
        juce::Graphics g (image);
        g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
        g.drawImage (picture, 0, 0, width, height, 0, 0, picture.getWidth(), picture.getHeight());
        return image;
    }
} // namespace test
