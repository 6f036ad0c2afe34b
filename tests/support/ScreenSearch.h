#pragma once

#include <juce_graphics/juce_graphics.h>

#include <optional>

namespace test
{
    /** Where a picture appears, pixel for pixel, in a screenshot: the top left corner of the
        first place found, row by row. Alpha is ignored, since a screenshot has none. */
    inline std::optional<juce::Point<int>> findOnScreen (const juce::Image& picture, const juce::Image& screen)
    {
        const juce::Image::BitmapData wanted (picture, juce::Image::BitmapData::readOnly);
        const juce::Image::BitmapData seen (screen, juce::Image::BitmapData::readOnly);
        const auto rgb = [] (const juce::Image::BitmapData& data, int x, int y) { return data.getPixelColour (x, y).getARGB() & 0xffffffu; };

        for (int top = 0; top + picture.getHeight() <= screen.getHeight(); ++top)
        {
            for (int left = 0; left + picture.getWidth() <= screen.getWidth(); ++left)
            {
                bool same = true;

                for (int y = 0; same && y < picture.getHeight(); ++y)
                    for (int x = 0; same && x < picture.getWidth(); ++x)
                        same = rgb (wanted, x, y) == rgb (seen, left + x, top + y);

                if (same)
                    return juce::Point<int> { left, top };
            }
        }

        return {};
    }
} // namespace test
