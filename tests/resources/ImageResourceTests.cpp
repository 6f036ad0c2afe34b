// The editor draws its knobs, rings, toggle and background straight from these
// images at fixed positions, so their sizes, frame layout and a few landmarks
// (the display window, the knob centre, the arcs' angles) are part of the
// editor's contract. These tests read the images exactly as the editor does.

#include "editor/EditorLayout.h"

#include <BinaryData.h>
#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ostream>
#include <vector>

namespace
{
    // The editor draws every frame 1:1 into a knob's place, the toggle's looks into its place
    // and the background as the whole window.
    constexpr int frameSize = EditorLayout::knobSize;
    constexpr int frameCount = 15;
    constexpr int stripHeight = frameSize * frameCount;
    constexpr float centre = 32.0f;

    struct Resource
    {
        const char* name;
        const char* data;
        int size;
        int width;
        int height;
        int pngColourType; // 2 = RGB, 6 = RGBA
    };

    // Name the image in test output instead of dumping the struct's bytes.
    void PrintTo (const Resource& resource, std::ostream* out) { *out << resource.name; }

    const Resource resources[] = {
        { "background", BinaryData::background_png, BinaryData::background_pngSize, EditorLayout::width, EditorLayout::height, 2 },
        { "green", BinaryData::green_png, BinaryData::green_pngSize, frameSize, stripHeight, 6 },
        { "blue", BinaryData::blue_png, BinaryData::blue_pngSize, frameSize, stripHeight, 6 },
        { "vu_blue", BinaryData::vu_blue_png, BinaryData::vu_blue_pngSize, frameSize, stripHeight, 6 },
        { "red", BinaryData::red_png, BinaryData::red_pngSize, frameSize, stripHeight, 6 },
        { "vu_red", BinaryData::vu_red_png, BinaryData::vu_red_pngSize, frameSize, stripHeight, 6 },
        { "vu_green", BinaryData::vu_green_png, BinaryData::vu_green_pngSize, frameSize, stripHeight, 6 },
        { "x2button", BinaryData::x2button_png, BinaryData::x2button_pngSize, EditorLayout::toggleWidth, EditorLayout::toggleHeight * 2, 6 },
        // The same drawings at twice the size, for high-density displays.
        { "background_2x", BinaryData::background_2x_png, BinaryData::background_2x_pngSize, EditorLayout::width * 2, EditorLayout::height * 2, 2 },
        { "green_2x", BinaryData::green_2x_png, BinaryData::green_2x_pngSize, frameSize * 2, stripHeight * 2, 6 },
        { "blue_2x", BinaryData::blue_2x_png, BinaryData::blue_2x_pngSize, frameSize * 2, stripHeight * 2, 6 },
        { "vu_blue_2x", BinaryData::vu_blue_2x_png, BinaryData::vu_blue_2x_pngSize, frameSize * 2, stripHeight * 2, 6 },
        { "red_2x", BinaryData::red_2x_png, BinaryData::red_2x_pngSize, frameSize * 2, stripHeight * 2, 6 },
        { "vu_red_2x", BinaryData::vu_red_2x_png, BinaryData::vu_red_2x_pngSize, frameSize * 2, stripHeight * 2, 6 },
        { "vu_green_2x", BinaryData::vu_green_2x_png, BinaryData::vu_green_2x_pngSize, frameSize * 2, stripHeight * 2, 6 },
        { "x2button_2x", BinaryData::x2button_2x_png, BinaryData::x2button_2x_pngSize, EditorLayout::toggleWidth * 2, EditorLayout::toggleHeight * 4, 6 },
    };

    /** The first normalCount images are the 1x ones; each one's 2x drawing sits normalCount
        places further on. */
    constexpr int normalCount = 8;
    static_assert (std::size (resources) == 2 * normalCount, "every image has its 2x drawing");

    juce::Image decode (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }

    /** Clockwise angle from the top, in degrees, of a pixel's centre about the frame centre. */
    float angleOf (int x, int y)
    {
        const auto dx = static_cast<float> (x) + 0.5f - centre;
        const auto dy = static_cast<float> (y) + 0.5f - centre;
        return std::atan2 (dx, -dy) * 180.0f / juce::MathConstants<float>::pi;
    }

    float radiusOf (int x, int y)
    {
        const auto dx = static_cast<float> (x) + 0.5f - centre;
        const auto dy = static_cast<float> (y) + 0.5f - centre;
        return std::sqrt (dx * dx + dy * dy);
    }

    juce::Colour framePixel (const juce::Image& strip, int frame, int x, int y)
    {
        return strip.getPixelAt (x, frame * frameSize + y);
    }

    bool isAmberLamp (juce::Colour c)
    {
        return c.getRed() > 200 && c.getGreen() > 110 && c.getBlue() < 130 && c.getRed() > c.getGreen() + 30;
    }

    float pointerDegrees (int frame)
    {
        return -135.0f + static_cast<float> (frame) * 270.0f / 14.0f;
    }

    /** Mean red, green and blue over the pixels of an area that pass a filter. */
    struct MeanColour
    {
        float channel[3] {};
        int count = 0;
    };

    template <typename Filter>
    MeanColour meanColour (const juce::Image& image, juce::Rectangle<int> area, Filter include)
    {
        MeanColour mean;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (const auto c = image.getPixelAt (x, y); include (c))
                {
                    mean.channel[0] += c.getRed();
                    mean.channel[1] += c.getGreen();
                    mean.channel[2] += c.getBlue();
                    ++mean.count;
                }

        for (auto& value : mean.channel)
            value /= static_cast<float> (std::max (1, mean.count));

        return mean;
    }

    bool anyPixel (juce::Colour) { return true; }
} // namespace

//==============================================================================
class ImageResourceFormat : public testing::TestWithParam<Resource>
{
};

TEST_P (ImageResourceFormat, DecodesToItsPixelSize)
{
    const auto& resource = GetParam();
    const auto image = decode (resource.data, resource.size);

    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), resource.width);
    EXPECT_EQ (image.getHeight(), resource.height);
}

TEST_P (ImageResourceFormat, StoresItsPngColourType)
{
    const auto& resource = GetParam();
    const auto* bytes = reinterpret_cast<const unsigned char*> (resource.data);

    // Signature, then the IHDR chunk: length, "IHDR", width, height, bit depth, colour type.
    ASSERT_GT (resource.size, 33);
    ASSERT_EQ (std::memcmp (bytes, "\x89PNG\r\n\x1a\n", 8), 0);
    ASSERT_EQ (std::memcmp (bytes + 12, "IHDR", 4), 0);
    EXPECT_EQ (bytes[24], 8) << "bits per channel";
    EXPECT_EQ (bytes[25], resource.pngColourType);
}

INSTANTIATE_TEST_SUITE_P (AllImages, ImageResourceFormat, testing::ValuesIn (resources), [] (const auto& test) { return std::string (test.param.name); });

// The 2x images are drawn anew at the larger size, not enlarged, so they cannot equal the 1x
// ones; but averaged down over each 2 x 2 block they must show the same picture in the same
// place. A shape drawn at the wrong scale, or moved, shows as a large difference here.
TEST (ImageResourceScales, DoubledImagesAveragedDownShowTheNormalOnes)
{
    for (int i = 0; i < normalCount; ++i)
    {
        const auto normal = decode (resources[i].data, resources[i].size);
        const auto doubled = decode (resources[i + normalCount].data, resources[i + normalCount].size);
        ASSERT_EQ (doubled.getBounds(), normal.getBounds() * 2) << resources[i].name;

        double difference = 0.0;
        float largest = 0.0f;

        for (int y = 0; y < normal.getHeight(); ++y)
        {
            for (int x = 0; x < normal.getWidth(); ++x)
            {
                // Premultiplied, so that a transparent pixel's colour does not count.
                float averaged[4] = {}, expected[4];
                for (int dy = 0; dy < 2; ++dy)
                {
                    for (int dx = 0; dx < 2; ++dx)
                    {
                        const auto c = doubled.getPixelAt (2 * x + dx, 2 * y + dy).getPixelARGB();
                        averaged[0] += 0.25f * c.getAlpha();
                        averaged[1] += 0.25f * c.getRed();
                        averaged[2] += 0.25f * c.getGreen();
                        averaged[3] += 0.25f * c.getBlue();
                    }
                }

                const auto c = normal.getPixelAt (x, y).getPixelARGB();
                expected[0] = c.getAlpha();
                expected[1] = c.getRed();
                expected[2] = c.getGreen();
                expected[3] = c.getBlue();

                for (int k = 0; k < 4; ++k)
                {
                    const auto d = std::abs (averaged[k] - expected[k]);
                    difference += d;
                    largest = std::max (largest, d);
                }
            }
        }

        const auto mean = difference / (4.0 * normal.getWidth() * normal.getHeight());

        // Measured: means of 0.19 to 0.51 levels. The 1x images moved by one pixel give 1.2
        // (the background, mostly flat) to 19 (the toggle).
        EXPECT_LT (mean, 1.0) << resources[i].name << ", largest difference " << largest;
    }
}

TEST (ImageResourceStrips, HoldFifteenSquareFramesWithAlpha)
{
    int strips = 0;

    for (const auto& resource : resources)
    {
        // The knob and ring strips, at both scales: the only images taller than the 2x window.
        if (resource.height <= EditorLayout::height * 2)
            continue;

        const auto image = decode (resource.data, resource.size);
        EXPECT_EQ (image.getHeight(), frameCount * image.getWidth()) << resource.name;
        EXPECT_TRUE (image.hasAlphaChannel()) << resource.name;
        ++strips;
    }

    EXPECT_EQ (strips, 12);
}

//==============================================================================
class BackgroundImage : public testing::Test
{
protected:
    const juce::Image image = decode (BinaryData::background_png, BinaryData::background_pngSize);

    int brightness (int x, int y) const
    {
        const auto c = image.getPixelAt (x, y);
        return (c.getRed() + c.getGreen() + c.getBlue()) / 3;
    }
};

TEST_F (BackgroundImage, DisplayWindowIsExactlyTheHistoryPanelsBounds)
{
    const juce::Colour window (51, 51, 51);
    const auto inside = EditorLayout::displayWindow;

    for (int y = inside.getY(); y < inside.getBottom(); ++y)
        for (int x = inside.getX(); x < inside.getRight(); ++x)
            ASSERT_EQ (image.getPixelAt (x, y), window) << "at " << x << ", " << y;

    // The ring of pixels just outside belongs to the bevel.
    const auto ring = inside.expanded (1);

    for (int x = ring.getX(); x < ring.getRight(); ++x)
    {
        EXPECT_NE (image.getPixelAt (x, ring.getY()), window) << "above, at x " << x;
        EXPECT_NE (image.getPixelAt (x, ring.getBottom() - 1), window) << "below, at x " << x;
    }

    for (int y = ring.getY(); y < ring.getBottom(); ++y)
    {
        EXPECT_NE (image.getPixelAt (ring.getX(), y), window) << "left, at y " << y;
        EXPECT_NE (image.getPixelAt (ring.getRight() - 1, y), window) << "right, at y " << y;
    }
}

TEST_F (BackgroundImage, BevelIsLitFromAboveWithALightOuterLine)
{
    // The recess's upper wall is in shade, its lower wall catches the light.
    EXPECT_LT (brightness (200, 32), brightness (200, 188) - 40);
    // Outside the bevel (about 6 px wide) runs a line lighter than the panel.
    EXPECT_GT (brightness (200, 28), brightness (200, 26) + 20);
    EXPECT_GT (brightness (24, 100), brightness (21, 100) + 20);
    EXPECT_GT (brightness (425, 100), brightness (428, 100) + 20);
}

TEST_F (BackgroundImage, PanelFallsFromAbout153To104)
{
    auto rowMean = [this] (int y) {
        const auto mean = meanColour (image, { 0, y, 6, 1 }, anyPixel);
        return (mean.channel[0] + mean.channel[1] + mean.channel[2]) / 3.0f;
    };

    EXPECT_NEAR (rowMean (2), 153.0f, 5.0f);
    EXPECT_NEAR (rowMean (297), 104.0f, 5.0f);

    for (int y = 30; y < 280; y += 25)
        EXPECT_GT (rowMean (y), rowMean (y + 25)) << "at y " << y;
}

TEST_F (BackgroundImage, LogosLeaveTheTogglesPlaceFree)
{
    int makerInk = 0, productInk = 0;

    for (int y = 3; y <= 27; ++y)
    {
        for (int x = 20; x < 430; ++x)
        {
            if (brightness (x, y) >= 90)
                continue;

            const auto inMaker = x >= 47 && x <= 94;
            const auto inProduct = x >= 321 && x <= 402;
            EXPECT_TRUE (inMaker || inProduct) << "dark lettering at " << x << ", " << y;
            makerInk += inMaker ? 1 : 0;
            productInk += inProduct ? 1 : 0;
        }
    }

    EXPECT_GT (makerInk, 40);
    EXPECT_GT (productInk, 60);

    const auto toggle = EditorLayout::x2Toggle;
    const auto plain = brightness (toggle.getCentreX(), toggle.getCentreY());

    for (int y = toggle.getY(); y < toggle.getBottom(); ++y)
        for (int x = toggle.getX(); x < toggle.getRight(); ++x)
            EXPECT_NEAR (brightness (x, y), plain, 8) << "at " << x << ", " << y;
}

TEST_F (BackgroundImage, KnobPanelIsRoundedWithLightTopAndDarkBottom)
{
    const auto panel = EditorLayout::knobPanel;
    const int middle = panel.getCentreX();
    const int side = 250; // about half-way down the panel

    EXPECT_GT (brightness (middle, panel.getY() + 3), 150);
    EXPECT_LT (brightness (middle, panel.getBottom() - 3), 45);
    EXPECT_LT (brightness (middle, panel.getY()), brightness (middle, panel.getY() + 3) - 60) << "dark outline along the top";
    EXPECT_LT (brightness (panel.getX(), side), brightness (panel.getX() - 3, side) - 60) << "dark outline along the left";
    // Rounded: the very corner pixel shows the grey panel behind, not the outline.
    EXPECT_GT (brightness (panel.getX(), panel.getY()), brightness (panel.getX(), side) + 40);
}

TEST_F (BackgroundImage, StageLabelsAreCentredOverTheKnobsInTheirColours)
{
    struct Label
    {
        int knobCentreX;
        int channel; // 0 red, 1 green, 2 blue
    };

    const auto& knobs = EditorLayout::knobs;

    for (const auto label : { Label { knobs[0].getCentreX(), 0 }, Label { knobs[1].getCentreX(), 1 }, Label { knobs[2].getCentreX(), 2 } })
    {
        float sumX = 0.0f;
        int count = 0, inLabelRows = 0;
        int top = 300, bottom = 0;

        for (int y = 205; y <= 224; ++y)
        {
            for (int x = label.knobCentreX - 30; x <= label.knobCentreX + 30; ++x)
            {
                const auto c = image.getPixelAt (x, y);
                const int channels[] = { c.getRed(), c.getGreen(), c.getBlue() };
                const auto own = channels[label.channel];
                const auto others = std::max (channels[(label.channel + 1) % 3], channels[(label.channel + 2) % 3]);

                if (own - others > 40)
                {
                    sumX += static_cast<float> (x) + 0.5f;
                    ++count;
                    top = std::min (top, y);
                    bottom = std::max (bottom, y);
                    inLabelRows += (y >= 211 && y <= 219) ? 1 : 0;
                }
            }
        }

        ASSERT_GT (count, 30) << "label over x " << label.knobCentreX;
        EXPECT_NEAR (sumX / static_cast<float> (count), static_cast<float> (label.knobCentreX), 3.0f);
        // Lower-case words: ascenders reach row 211, descenders a little below 219.
        EXPECT_GE (top, 210);
        EXPECT_LE (bottom, 223);
        EXPECT_GT (inLabelRows, count * 4 / 5);
    }
}

//==============================================================================
struct KnobStrip
{
    const char* name;
    const char* data;
    int size;
    int tintChannel; // 0 red, 1 green, 2 blue
};

void PrintTo (const KnobStrip& strip, std::ostream* out) { *out << strip.name; }

class KnobFrames : public testing::TestWithParam<KnobStrip>
{
protected:
    const juce::Image strip = decode (GetParam().data, GetParam().size);
};

TEST_P (KnobFrames, AreTransparentOutsideTheKnobAndOpaqueInside)
{
    for (int frame = 0; frame < frameCount; ++frame)
    {
        for (int y = 0; y < frameSize; ++y)
        {
            for (int x = 0; x < frameSize; ++x)
            {
                const auto alpha = framePixel (strip, frame, x, y).getAlpha();
                const auto radius = radiusOf (x, y);

                if (radius >= 25.0f)
                {
                    ASSERT_EQ (alpha, 0) << "frame " << frame << " at " << x << ", " << y;
                }
                else if (radius < 22.0f)
                {
                    ASSERT_EQ (alpha, 255) << "frame " << frame << " at " << x << ", " << y;
                }
            }
        }
    }
}

TEST_P (KnobFrames, PointerTurnsClockwiseInEqualSteps)
{
    for (int frame = 0; frame < frameCount; ++frame)
    {
        float sumX = 0.0f, sumY = 0.0f;
        int count = 0;

        for (int y = 0; y < frameSize; ++y)
        {
            for (int x = 0; x < frameSize; ++x)
            {
                const auto c = framePixel (strip, frame, x, y);

                if (radiusOf (x, y) < 17.0f && c.getAlpha() == 255 && c.getRed() >= 245 && c.getGreen() >= 245 && c.getBlue() >= 245)
                {
                    sumX += static_cast<float> (x);
                    sumY += static_cast<float> (y);
                    ++count;
                }
            }
        }

        ASSERT_GT (count, 3) << "no white pointer in frame " << frame;
        const auto x = juce::roundToInt (sumX / static_cast<float> (count));
        const auto y = juce::roundToInt (sumY / static_cast<float> (count));
        EXPECT_NEAR (angleOf (x, y), pointerDegrees (frame), 6.0f) << "frame " << frame;
        EXPECT_GT (radiusOf (x, y), 8.0f) << "the pointer sits near the cap's rim";
    }
}

TEST_P (KnobFrames, LampsLightFromLowerLeftUpToThePointer)
{
    for (int frame = 0; frame < frameCount; ++frame)
    {
        for (int lamp = 0; lamp < frameCount; ++lamp)
        {
            // Look for amber along the radius at the lamp's angle.
            const auto angle = pointerDegrees (lamp) * juce::MathConstants<float>::pi / 180.0f;
            bool lit = false;

            for (float radius = 16.0f; radius <= 23.0f; radius += 0.5f)
            {
                const auto x = static_cast<int> (centre + radius * std::sin (angle));
                const auto y = static_cast<int> (centre - radius * std::cos (angle));
                lit = lit || isAmberLamp (framePixel (strip, frame, x, y));
            }

            EXPECT_EQ (lit, lamp <= frame) << "frame " << frame << ", lamp " << lamp;
        }
    }
}

TEST_P (KnobFrames, LowerBaseCarriesTheStagesTint)
{
    // Below the cap, between the two lowest lamps, in the first frame.
    const auto lowerBase = meanColour (strip, { 26, 48, 12, 7 }, anyPixel);
    const auto tint = GetParam().tintChannel;
    EXPECT_GT (lowerBase.channel[tint], lowerBase.channel[(tint + 1) % 3]);
    EXPECT_GT (lowerBase.channel[tint], lowerBase.channel[(tint + 2) % 3]);
}

const KnobStrip knobStrips[] = {
    { "red", BinaryData::red_png, BinaryData::red_pngSize, 0 },
    { "green", BinaryData::green_png, BinaryData::green_pngSize, 1 },
    { "blue", BinaryData::blue_png, BinaryData::blue_pngSize, 2 },
};

INSTANTIATE_TEST_SUITE_P (AllKnobs, KnobFrames, testing::ValuesIn (knobStrips), [] (const auto& test) { return std::string (test.param.name); });

//==============================================================================
struct RingStrip
{
    const char* name;
    const char* data;
    int size;
    juce::Colour dotColour;
};

void PrintTo (const RingStrip& strip, std::ostream* out) { *out << strip.name; }

class RingFrames : public testing::TestWithParam<RingStrip>
{
protected:
    const juce::Image strip = decode (GetParam().data, GetParam().size);

    /** Angles of the clearly visible pixels of a frame. */
    std::vector<float> litAngles (int frame) const
    {
        std::vector<float> angles;

        for (int y = 0; y < frameSize; ++y)
            for (int x = 0; x < frameSize; ++x)
                if (framePixel (strip, frame, x, y).getAlpha() > 128)
                    angles.push_back (angleOf (x, y));

        return angles;
    }
};

TEST_P (RingFrames, AreTransparentExceptOnTheRingRadius)
{
    for (int frame = 0; frame < frameCount; ++frame)
    {
        for (int y = 0; y < frameSize; ++y)
        {
            for (int x = 0; x < frameSize; ++x)
            {
                const auto radius = radiusOf (x, y);

                if (radius < 23.5f || radius > 30.5f)
                {
                    ASSERT_EQ (framePixel (strip, frame, x, y).getAlpha(), 0) << "frame " << frame << " at " << x << ", " << y;
                }
            }
        }
    }
}

TEST_P (RingFrames, ArcGrowsClockwiseFromLowerLeft)
{
    auto first = litAngles (0);
    ASSERT_FALSE (first.empty());

    for (auto angle : first)
        EXPECT_NEAR (angle, -150.0f, 6.0f) << "frame 0 shows a single dot at the lower left";

    float previousEnd = -180.0f;

    for (int frame = 0; frame < frameCount; ++frame)
    {
        const auto angles = litAngles (frame);
        ASSERT_FALSE (angles.empty()) << "frame " << frame;
        const auto end = *std::max_element (angles.begin(), angles.end());
        EXPECT_GT (end, previousEnd + 10.0f) << "frame " << frame;
        previousEnd = end;
    }

    EXPECT_NEAR (previousEnd, 157.0f, 6.0f);
}

TEST_P (RingFrames, LongArcsFadeAtTheirStart)
{
    auto strongestAlphaNear = [this] (int frame, float degrees) {
        int strongest = 0;
        for (int y = 0; y < frameSize; ++y)
            for (int x = 0; x < frameSize; ++x)
                if (std::abs (angleOf (x, y) - degrees) < 5.0f)
                    strongest = std::max (strongest, static_cast<int> (framePixel (strip, frame, x, y).getAlpha()));
        return strongest;
    };

    EXPECT_GT (strongestAlphaNear (0, -150.0f), 200);
    EXPECT_GT (strongestAlphaNear (14, 157.0f), 200);
    EXPECT_GT (strongestAlphaNear (14, -150.0f), 0);
    EXPECT_LT (strongestAlphaNear (14, -150.0f), strongestAlphaNear (14, 157.0f) / 2);
}

TEST_P (RingFrames, DotsShowTheStagesColour)
{
    // The solid cores of the dots of a half-full ring.
    const auto dots = meanColour (strip, { 0, 7 * frameSize, frameSize, frameSize }, [] (juce::Colour c) { return c.getAlpha() == 255; });
    ASSERT_GT (dots.count, 10);
    const auto expected = GetParam().dotColour;
    EXPECT_NEAR (dots.channel[0], expected.getRed(), 40.0f);
    EXPECT_NEAR (dots.channel[1], expected.getGreen(), 40.0f);
    EXPECT_NEAR (dots.channel[2], expected.getBlue(), 40.0f);
}

const RingStrip ringStrips[] = {
    { "vu_red", BinaryData::vu_red_png, BinaryData::vu_red_pngSize, juce::Colour (233, 63, 111) },
    { "vu_green", BinaryData::vu_green_png, BinaryData::vu_green_pngSize, juce::Colour (63, 233, 107) },
    { "vu_blue", BinaryData::vu_blue_png, BinaryData::vu_blue_pngSize, juce::Colour (63, 159, 233) },
};

INSTANTIATE_TEST_SUITE_P (AllRings, RingFrames, testing::ValuesIn (ringStrips), [] (const auto& test) { return std::string (test.param.name); });

//==============================================================================
TEST (X2ButtonImage, OffHalfIsLightGreyAndOnHalfLightBlue)
{
    const auto image = decode (BinaryData::x2button_png, BinaryData::x2button_pngSize);

    // A patch of bare plate left of the lettering, in each half.
    auto plateColour = [&image] (int top) { return meanColour (image, { 4, top + 5, 4, 5 }, anyPixel); };

    const auto off = plateColour (0);
    EXPECT_GT (off.channel[0], 170.0f);
    EXPECT_NEAR (off.channel[0], off.channel[1], 6.0f);
    EXPECT_NEAR (off.channel[0], off.channel[2], 6.0f);

    const auto on = plateColour (16);
    EXPECT_NEAR (on.channel[0], 135.0f, 15.0f);
    EXPECT_NEAR (on.channel[1], 150.0f, 15.0f);
    EXPECT_NEAR (on.channel[2], 237.0f, 15.0f);
}

TEST (X2ButtonImage, BothHalvesCarryDarkLetteringAndASoftRim)
{
    const auto image = decode (BinaryData::x2button_png, BinaryData::x2button_pngSize);

    for (int top : { 0, 16 })
    {
        int dark = 0, darkTop = 99, darkBottom = -1;

        for (int y = top; y < top + 16; ++y)
            for (int x = 8; x < 24; ++x)
                if (const auto c = image.getPixelAt (x, y); c.getAlpha() == 255 && c.getBrightness() < 0.35f)
                {
                    ++dark;
                    darkTop = std::min (darkTop, y - top);
                    darkBottom = std::max (darkBottom, y - top);
                }

        EXPECT_GT (dark, 12) << "half at " << top;
        EXPECT_EQ (darkBottom - darkTop + 1, 6) << "letters 6 px high, half at " << top;

        // The outermost columns are only a faint, see-through shadow.
        for (int x : { 0, 31 })
            for (int y = top + 4; y < top + 12; ++y)
            {
                const auto alpha = image.getPixelAt (x, y).getAlpha();
                EXPECT_GT (alpha, 0) << x << ", " << y;
                EXPECT_LT (alpha, 100) << x << ", " << y;
            }

        // White highlight along the top of the off plate, lighter blue on the on plate.
        EXPECT_GT (image.getPixelAt (16, top + 2).getBrightness(), image.getPixelAt (5, top + 7).getBrightness());
    }
}
