#include "BinaryData.h"
#include "editor/TavineLookAndFeel.h"
#include "editor/ZarivirSlider.h"
#include "plugin/ParameterIds.h"
#include "plugin/ZarivirAudioProcessor.h"
#include "support/Images.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
    juce::Image strip (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }

    // What a knob must look like: knob frame, then ring frame over it, 1:1.
    juce::Image composite (const juce::Image& knobStrip, int knobFrame, const juce::Image& ringStrip, int ringFrame)
    {
        juce::Image expected (juce::Image::ARGB, 64, 64, true);
        juce::Graphics g (expected);
        g.drawImage (knobStrip, 0, 0, 64, 64, 0, knobFrame * 64, 64, 64);
        g.drawImage (ringStrip, 0, 0, 64, 64, 0, ringFrame * 64, 64, 64);
        return expected;
    }

    struct KnobFixture : testing::Test
    {
        ZarivirAudioProcessor processor;
        TavineLookAndFeel lookAndFeel;
        juce::Image knobStrip = strip (BinaryData::green_png, BinaryData::green_pngSize);
        juce::Image ringStrip = strip (BinaryData::vu_green_png, BinaryData::vu_green_pngSize);
        ZarivirSlider knob { { knobStrip, ringStrip }, processor.getValueTreeState(), ParameterIds::green };

        KnobFixture()
        {
            knob.setLookAndFeel (&lookAndFeel);
            knob.setBounds (0, 0, 64, 64);
        }

        ~KnobFixture() override { knob.setLookAndFeel (nullptr); }

        juce::Image render() { return knob.createComponentSnapshot (knob.getLocalBounds()); }
    };
} // namespace

TEST (KnobFrames, PositionsAndLevelsChooseTheNearestFrame)
{
    EXPECT_EQ (TavineLookAndFeel::frameFor (0.0f, 14), 0);
    EXPECT_EQ (TavineLookAndFeel::frameFor (0.5f, 14), 7);
    EXPECT_EQ (TavineLookAndFeel::frameFor (0.75f, 14), 11);
    EXPECT_EQ (TavineLookAndFeel::frameFor (1.0f, 14), 14);

    EXPECT_EQ (TavineLookAndFeel::frameFor (0.035f, 14), 0);
    EXPECT_EQ (TavineLookAndFeel::frameFor (0.036f, 14), 1);
    EXPECT_EQ (TavineLookAndFeel::frameFor (1.5f, 14), 14);
    EXPECT_EQ (TavineLookAndFeel::frameFor (1.0e30f, 14), 14);
    EXPECT_EQ (TavineLookAndFeel::frameFor (-0.2f, 14), 0);
    EXPECT_EQ (TavineLookAndFeel::frameFor (-1.0e30f, 14), 0);
    EXPECT_EQ (TavineLookAndFeel::frameFor (std::numeric_limits<float>::quiet_NaN(), 14), 0);
    EXPECT_EQ (TavineLookAndFeel::frameFor (std::numeric_limits<float>::infinity(), 14), 14);
}

TEST_F (KnobFixture, DrawsTheKnobFrameWithTheRingFrameOnTop)
{
    struct Case
    {
        float position, level;
        int knobFrame, ringFrame;
    };

    for (const auto c : { Case { 0.0f, 0.0f, 0, 0 },
                          Case { 0.5f, 0.036f, 7, 1 },
                          Case { 0.75f, 0.5f, 11, 7 },
                          Case { 1.0f, 1.0f, 14, 14 },
                          Case { 0.3f, std::numeric_limits<float>::quiet_NaN(), 4, 0 } })
    {
        processor.getValueTreeState().getParameter (ParameterIds::green)->setValueNotifyingHost (c.position);
        knob.setRingLevel (c.level);
        const auto rendered = render();
        EXPECT_EQ (test::differingPixels (rendered, composite (knobStrip, c.knobFrame, ringStrip, c.ringFrame)), 0) << c.position;

        // ... and not just any frame: the neighbouring knob frame looks different.
        const int neighbour = c.knobFrame == 14 ? 13 : c.knobFrame + 1;
        EXPECT_GT (test::differingPixels (rendered, composite (knobStrip, neighbour, ringStrip, c.ringFrame)), 10);
    }
}

TEST_F (KnobFixture, BehavesLikeAPlainVerticalKnob)
{
    EXPECT_EQ (knob.getSliderStyle(), juce::Slider::RotaryVerticalDrag);
    EXPECT_EQ (knob.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_EQ (knob.getMouseDragSensitivity(), 250);
    EXPECT_FALSE (knob.getVelocityBasedMode());
    EXPECT_TRUE (knob.isDoubleClickReturnEnabled());
    EXPECT_EQ (knob.getDoubleClickReturnValue(), 0.0);
    EXPECT_EQ (knob.getMinimum(), 0.0);
    EXPECT_EQ (knob.getMaximum(), 1.0);

    // The knob follows the parameter, and the parameter follows the knob.
    processor.getValueTreeState().getParameter (ParameterIds::green)->setValueNotifyingHost (0.25f);
    EXPECT_DOUBLE_EQ (knob.getValue(), 0.25);
    knob.setValue (0.75, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor.getValueTreeState().getParameter (ParameterIds::green)->getValue(), 0.75f);
}

TEST (KnobLookAndFeel, DrawsNothingForOtherSliders)
{
    TavineLookAndFeel lookAndFeel;
    juce::Slider plain (juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox);
    plain.setLookAndFeel (&lookAndFeel);
    plain.setBounds (0, 0, 64, 64);
    const auto rendered = plain.createComponentSnapshot (plain.getLocalBounds());
    plain.setLookAndFeel (nullptr);

    EXPECT_EQ (test::differingPixels (rendered, juce::Image (juce::Image::ARGB, 64, 64, true)), 0);
}

TEST (KnobLookAndFeel, SkipsAMissingRing)
{
    ZarivirAudioProcessor processor;
    TavineLookAndFeel lookAndFeel;
    const auto knobStrip = strip (BinaryData::red_png, BinaryData::red_pngSize);
    ZarivirSlider knob ({ knobStrip, juce::Image() }, processor.getValueTreeState(), ParameterIds::red);
    knob.setLookAndFeel (&lookAndFeel);
    knob.setBounds (0, 0, 64, 64);
    const auto rendered = knob.createComponentSnapshot (knob.getLocalBounds());
    knob.setLookAndFeel (nullptr);

    juce::Image expected (juce::Image::ARGB, 64, 64, true);
    juce::Graphics g (expected);
    g.drawImage (knobStrip, 0, 0, 64, 64, 0, 0, 64, 64);
    EXPECT_EQ (test::differingPixels (rendered, expected), 0);
}
