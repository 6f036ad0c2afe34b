// The window on high-density displays: painted at twice the scale it is composed from the 2x
// images pixel for pixel, and at 1.5 and 2 it is clearly sharper than the 1x picture enlarged.

#include "BinaryData.h"
#include "editor/EditorLayout.h"
#include "editor/ZarivirAudioProcessorEditor.h"
#include "plugin/ParameterIds.h"
#include "support/Images.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    juce::Image resource (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }

    /** What the window should show at twice the scale, outside the history panel: the 2x
        background with each knob's and ring's 2x frame and the x2 toggle's 2x look laid over it
        where the layout puts them. */
    juce::Image composeDoubled (int knobFrame, int ringFrame, bool x2On)
    {
        constexpr int scale = 2;
        juce::Image image (juce::Image::ARGB, EditorLayout::width * scale, EditorLayout::height * scale, true, juce::SoftwareImageType());
        juce::Graphics g (image);
        g.drawImageAt (resource (BinaryData::background_2x_png, BinaryData::background_2x_pngSize), 0, 0);

        const struct
        {
            const char* knob;
            int knobSize;
            const char* ring;
            int ringSize;
            juce::Rectangle<int> place;
        } knobs[] = {
            { BinaryData::red_2x_png, BinaryData::red_2x_pngSize, BinaryData::vu_red_2x_png, BinaryData::vu_red_2x_pngSize, EditorLayout::redKnob },
            { BinaryData::green_2x_png, BinaryData::green_2x_pngSize, BinaryData::vu_green_2x_png, BinaryData::vu_green_2x_pngSize, EditorLayout::greenKnob },
            { BinaryData::blue_2x_png, BinaryData::blue_2x_pngSize, BinaryData::vu_blue_2x_png, BinaryData::vu_blue_2x_pngSize, EditorLayout::blueKnob },
        };

        constexpr int frame = EditorLayout::knobSize * scale;

        for (const auto& knob : knobs)
        {
            const auto at = knob.place.getPosition() * scale;
            g.drawImageAt (resource (knob.knob, knob.knobSize).getClippedImage ({ 0, knobFrame * frame, frame, frame }), at.x, at.y);
            g.drawImageAt (resource (knob.ring, knob.ringSize).getClippedImage ({ 0, ringFrame * frame, frame, frame }), at.x, at.y);
        }

        const auto toggle = resource (BinaryData::x2button_2x_png, BinaryData::x2button_2x_pngSize);
        const int half = toggle.getHeight() / 2;
        g.drawImageAt (toggle.getClippedImage ({ 0, x2On ? half : 0, toggle.getWidth(), half }), EditorLayout::x2Toggle.getX() * scale, EditorLayout::x2Toggle.getY() * scale);
        return image;
    }

    /** The artwork that lies outside the history panel, in the window's pixels: the knob
        panel with its knobs and words, and the top strip with the logos and the toggle. */
    const juce::Rectangle<int> knobArea = EditorLayout::knobPanel;
    const juce::Rectangle<int> logoArea { 0, 0, EditorLayout::width, 30 };

    class ScaledEditor : public testing::Test
    {
    protected:
        void SetUp() override
        {
            // Off the ends of the knobs' travel, and x2 on: each part shows a look it has
            // nowhere else.
            processor.getValueTreeState().getParameter (ParameterIds::red)->setValueNotifyingHost (0.0f);
            processor.getValueTreeState().getParameter (ParameterIds::green)->setValueNotifyingHost (0.0f);
            processor.getValueTreeState().getParameter (ParameterIds::blue)->setValueNotifyingHost (0.0f);
            processor.getValueTreeState().getParameter (ParameterIds::x2)->setValueNotifyingHost (1.0f);
            editor = std::make_unique<ZarivirAudioProcessorEditor> (processor);
        }

        juce::Image snapshot (float scale)
        {
            return editor->createComponentSnapshot (editor->getLocalBounds(), true, scale);
        }

        ZarivirAudioProcessor processor;
        std::unique_ptr<ZarivirAudioProcessorEditor> editor;
    };
} // namespace

TEST_F (ScaledEditor, AtTwiceTheScaleIsTheDoubledArtworkPixelForPixel)
{
    const auto picture = snapshot (2.0f);
    ASSERT_EQ (picture.getWidth(), EditorLayout::width * 2);
    ASSERT_EQ (picture.getHeight(), EditorLayout::height * 2);

    // Every knob at frame 0, every ring at frame 0 (the meters rest), x2 lit.
    const auto expected = composeDoubled (0, 0, true);

    for (const auto area : { knobArea, logoArea, EditorLayout::x2Toggle, EditorLayout::redKnob, EditorLayout::blueKnob })
        EXPECT_EQ (test::differingPixels (picture, expected, area * 2), 0) << area.toString();

    // The history panel alone is drawn by the panel itself, as vector shapes.
    EXPECT_GT (test::differingPixels (picture, expected, EditorLayout::displayWindow * 2), 0);
}

TEST_F (ScaledEditor, IsSharperThanTheNormalPictureEnlarged)
{
    const auto normal = snapshot (1.0f);

    for (const float scale : { 1.5f, 2.0f })
    {
        const auto picture = snapshot (scale);
        const auto blown = test::enlarged (normal, picture.getWidth(), picture.getHeight());

        for (const auto area : { knobArea, logoArea })
        {
            const auto physical = (area.toFloat() * scale).toNearestInt().reduced (2);
            const auto sharp = test::edgeEnergy (picture, physical);
            const auto soft = test::edgeEnergy (blown, physical);

            // Measured: 1.9 (knob panel) and 2.0 (logos) times at 1.5, 2.6 and 3.2 times at 2.
            // An editor that drew from the 1x images would come out near 1.
            EXPECT_GT (sharp, 1.4 * soft) << "scale " << scale << ", " << area.toString();
        }
    }
}

TEST_F (ScaledEditor, AtNormalScaleDrawsTheNormalArtworkAsBefore)
{
    // The 1x images exactly where the layout puts them: the background in the strip between
    // the logos and the history panel, and the red knob's and ring's first frames.
    const auto picture = snapshot (1.0f);
    const auto background = resource (BinaryData::background_png, BinaryData::background_pngSize);
    EXPECT_EQ (test::differingPixels (picture, background, { 0, 30, EditorLayout::width, 4 }), 0);

    juce::Image expected (juce::Image::ARGB, EditorLayout::width, EditorLayout::height, true, juce::SoftwareImageType());
    {
        juce::Graphics g (expected);
        g.drawImageAt (background, 0, 0);
        const auto knob = resource (BinaryData::red_png, BinaryData::red_pngSize).getClippedImage ({ 0, 0, 64, 64 });
        const auto ring = resource (BinaryData::vu_red_png, BinaryData::vu_red_pngSize).getClippedImage ({ 0, 0, 64, 64 });
        g.drawImageAt (knob, EditorLayout::redKnob.getX(), EditorLayout::redKnob.getY());
        g.drawImageAt (ring, EditorLayout::redKnob.getX(), EditorLayout::redKnob.getY());
    }

    EXPECT_EQ (test::differingPixels (picture, expected, EditorLayout::redKnob), 0);
}
