#include "BinaryData.h"
#include "editor/X2Button.h"
#include "plugin/ParameterIds.h"
#include "plugin/ZarivirAudioProcessor.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

namespace
{
    struct X2Fixture : testing::Test
    {
        ZarivirAudioProcessor processor;
        juce::RangedAudioParameter& x2 = *processor.getValueTreeState().getParameter (ParameterIds::x2);
        X2Button button { processor.getValueTreeState(), ParameterIds::x2 };
        juce::Image image = juce::ImageCache::getFromMemory (BinaryData::x2button_png, BinaryData::x2button_pngSize);

        X2Fixture() { button.setBounds (0, 0, 32, 16); }

        bool shows (int halfTop)
        {
            const auto rendered = button.createComponentSnapshot (button.getLocalBounds());

            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 32; ++x)
                    if (rendered.getPixelAt (x, y) != image.getPixelAt (x, halfTop + y))
                        return false;

            return true;
        }

        bool showsUpperHalf() { return shows (0); }
        bool showsLowerHalf() { return shows (16); }

        void click()
        {
            button.triggerClick();
            test::deliverPendingMessages();

            // A click flashes the pressed look for a moment; then the button shows its state.
            button.setState (juce::Button::buttonNormal);
        }
    };
} // namespace

TEST_F (X2Fixture, ClickTogglesTheParameterBetweenZeroAndOne)
{
    EXPECT_TRUE (showsUpperHalf());

    click();
    EXPECT_EQ (x2.getValue(), 1.0f);
    EXPECT_TRUE (button.getToggleState());
    EXPECT_TRUE (showsLowerHalf());

    click();
    EXPECT_EQ (x2.getValue(), 0.0f);
    EXPECT_TRUE (showsUpperHalf());
}

TEST_F (X2Fixture, FollowsTheParameterFromOneHalfUp)
{
    x2.setValueNotifyingHost (0.5f);
    EXPECT_TRUE (button.getToggleState());
    EXPECT_TRUE (showsLowerHalf());

    x2.setValueNotifyingHost (0.49f);
    EXPECT_FALSE (button.getToggleState());
    EXPECT_TRUE (showsUpperHalf());
    EXPECT_EQ (x2.getValue(), 0.49f); // following the parameter never writes it back
}

TEST_F (X2Fixture, PressShowsTheLitLookAndReleasingOutsideChangesNothing)
{
    // The mouse's own events, as the window delivers them: pressed on the button, dragged
    // off it and let go there. (A real mouse in a real window does the same in the
    // standalone window test.)
    button.setVisible (true);
    juce::Component& target = button; // the window calls the handlers through the component
    const auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto pressedAt = juce::Point<float> (16.0f, 8.0f);
    const auto event = [&] (juce::Point<float> position, bool dragged) {
        return juce::MouseEvent (source, position, juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &button, &button, juce::Time::getCurrentTime(), pressedAt, juce::Time::getCurrentTime(), 1, dragged);
    };

    target.mouseDown (event (pressedAt, false));
    EXPECT_TRUE (showsLowerHalf());

    const auto outside = juce::Point<float> (60.0f, 40.0f);
    target.mouseDrag (event (outside, true));
    target.mouseUp (event (outside, true));
    test::deliverPendingMessages();

    EXPECT_TRUE (showsUpperHalf());
    EXPECT_EQ (x2.getValue(), 0.0f);
    EXPECT_FALSE (button.getToggleState());

    // Let go where it was pressed, the same press is a click.
    target.mouseDown (event (pressedAt, false));
    target.mouseUp (event (pressedAt, false));
    test::deliverPendingMessages();
    EXPECT_EQ (x2.getValue(), 1.0f);
}

TEST_F (X2Fixture, HoveringChangesNothing)
{
    button.setState (juce::Button::buttonOver);
    EXPECT_TRUE (showsUpperHalf());
    EXPECT_EQ (x2.getValue(), 0.0f);

    x2.setValueNotifyingHost (1.0f);
    button.setState (juce::Button::buttonOver);
    EXPECT_TRUE (showsLowerHalf());
}

TEST_F (X2Fixture, HasNoTextOrTooltipOfItsOwn)
{
    EXPECT_EQ (button.getName(), "X2Button");
    EXPECT_EQ (button.getButtonText(), "X2Button");
    EXPECT_TRUE (button.getClickingTogglesState());
    EXPECT_EQ (button.getTooltip(), "");
}
