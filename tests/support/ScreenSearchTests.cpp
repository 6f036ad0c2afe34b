// The window tests stand on the screen search: if it found a picture where there is none, or
// never looked at the screen's last rows and columns, they would pass for a window that shows
// something else, or fail for one that shows the editor at the edge of the screen.
#include "support/ScreenSearch.h"

#include <gtest/gtest.h>

namespace
{
    /** A picture with no two pixels alike, so that it fits in one place only. */
    juce::Image pattern (int width, int height)
    {
        juce::Image image (juce::Image::ARGB, width, height, false, juce::SoftwareImageType());

        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixelAt (x, y, juce::Colour ((juce::uint8) (x * 40), (juce::uint8) (y * 40), (juce::uint8) 200));

        return image;
    }

    /** A grey screen without alpha, as a screenshot is, showing the picture at a place. */
    juce::Image screenShowing (const juce::Image& picture, juce::Point<int> at)
    {
        juce::Image screen (juce::Image::RGB, 20, 16, false, juce::SoftwareImageType());
        screen.clear (screen.getBounds(), juce::Colours::grey);

        for (int y = 0; y < picture.getHeight(); ++y)
            for (int x = 0; x < picture.getWidth(); ++x)
                screen.setPixelAt (at.x + x, at.y + y, picture.getPixelAt (x, y));

        return screen;
    }
} // namespace

TEST (ScreenSearch, FindsThePictureAnywhereUpToTheScreensEdges)
{
    const auto picture = pattern (5, 4);

    // The last place is flush with the screen's right and bottom edges.
    for (const auto at : { juce::Point<int> { 0, 0 }, juce::Point<int> { 7, 3 }, juce::Point<int> { 15, 12 } })
        EXPECT_EQ (test::findOnScreen (picture, screenShowing (picture, at)), std::optional (at)) << at.toString();
}

TEST (ScreenSearch, FindsNothingWhereOnePixelDiffersOrThePictureDoesNotFit)
{
    const auto picture = pattern (5, 4);
    auto screen = screenShowing (picture, { 7, 3 });

    // The picture's last pixel, which a search stopping a row or a column short never compares.
    screen.setPixelAt (7 + 4, 3 + 3, juce::Colours::grey);
    EXPECT_FALSE (test::findOnScreen (picture, screen).has_value());

    EXPECT_FALSE (test::findOnScreen (pattern (21, 4), screenShowing (picture, { 0, 0 })).has_value());
}
