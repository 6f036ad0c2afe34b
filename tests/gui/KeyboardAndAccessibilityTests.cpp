// The window without a mouse: the focus order, every key a knob and x2 take, the gestures a
// host sees for them, the focus mark, the value label, and what a screen reader finds, all
// through JUCE's own interfaces (key presses sent to the components, accessibility handlers
// queried and driven). JUCE makes accessibility handlers only for components in a window, so
// the editor is put on the desktop: this program runs on a (virtual) display.

#include "editor/EditorLayout.h"
#include "editor/ZarivirAudioProcessorEditor.h"
#include "plugin/ParameterIds.h"
#include "support/EditorProbe.h"
#include "support/Images.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

namespace
{
    /** What a host hears of the parameters: each gesture's begin and end and each value, by
        parameter index, in order. */
    class HostRecord : public juce::AudioProcessorListener
    {
    public:
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override { events[index].push_back ("set " + juce::String (value, 2)); }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override { events[index].push_back ("begin"); }
        void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override { events[index].push_back ("end"); }

        /** The events since the last call, for one parameter. */
        std::vector<juce::String> take (int index) { return std::exchange (events[index], {}); }

    private:
        std::map<int, std::vector<juce::String>> events;
    };

    class KeyboardEditor : public testing::Test
    {
    protected:
        KeyboardEditor()
        {
            processor.addListener (&host);
            editor.addToDesktop (0);
        }

        ~KeyboardEditor() override
        {
            editor.removeFromDesktop();
            processor.removeListener (&host);
        }

        float value (const char* id) { return processor.getValueTreeState().getParameter (id)->getValue(); }
        int index (const char* id) { return processor.getValueTreeState().getParameter (id)->getParameterIndex(); }

        void set (const char* id, float newValue)
        {
            processor.getValueTreeState().getParameter (id)->setValueNotifyingHost (newValue);
            host.take (index (id));
        }

        static std::vector<juce::String> oneGesture (float finalValue) { return { "begin", "set " + juce::String (finalValue, 2), "end" }; }

        ZarivirAudioProcessor processor;
        HostRecord host;
        ZarivirAudioProcessorEditor editor { processor };
        ZarivirSlider& redKnob = tavine::EditorProbe::redKnob (editor);
        ZarivirSlider& greenKnob = tavine::EditorProbe::greenKnob (editor);
        ZarivirSlider& blueKnob = tavine::EditorProbe::blueKnob (editor);
        X2Button& x2Button = tavine::EditorProbe::x2Button (editor);
        Visualisation& visualisation = tavine::EditorProbe::visualisation (editor);
        ValueBubble& valueBubble = tavine::EditorProbe::valueBubble (editor);
    };

    juce::KeyPress key (int code, juce::ModifierKeys modifiers = {}) { return juce::KeyPress (code, modifiers, 0); }

    /** A control's handler, as a screen reader reaches it. */
    juce::AccessibilityHandler& handlerOf (juce::Component& component)
    {
        auto* handler = component.getAccessibilityHandler();

        if (handler == nullptr)
            throw std::runtime_error ("no accessibility handler: is the editor in a window?");

        return *handler;
    }
} // namespace

TEST_F (KeyboardEditor, TabGoesRoundTheKnobsThenX2)
{
    const auto traverser = editor.createKeyboardFocusTraverser();
    const std::vector<juce::Component*> expected { &redKnob, &greenKnob, &blueKnob, &x2Button };

    EXPECT_EQ (traverser->getAllComponents (&editor), expected) << "the history panel and the value label take no focus";
    EXPECT_EQ (traverser->getDefaultComponent (&editor), &redKnob);

    for (size_t i = 0; i + 1 < expected.size(); ++i)
    {
        EXPECT_EQ (traverser->getNextComponent (expected[i]), expected[i + 1]);
        EXPECT_EQ (traverser->getPreviousComponent (expected[i + 1]), expected[i]);
    }

    // Tab itself is the window's: the controls pass it on.
    EXPECT_FALSE (redKnob.keyPressed (key (juce::KeyPress::tabKey)));
    EXPECT_FALSE (x2Button.keyPressed (key (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier)));
}

TEST_F (KeyboardEditor, KnobKeysStepJumpAndResetEachAsOneGesture)
{
    auto& knob = greenKnob;
    const auto green = index (ParameterIds::green);
    set (ParameterIds::green, 0.5f);

    const struct
    {
        int code;
        float expected;
    } presses[] = {
        { juce::KeyPress::upKey, 0.51f },
        { juce::KeyPress::rightKey, 0.52f },
        { juce::KeyPress::downKey, 0.51f },
        { juce::KeyPress::leftKey, 0.50f },
        { juce::KeyPress::pageUpKey, 0.60f },
        { juce::KeyPress::pageDownKey, 0.50f },
        { juce::KeyPress::endKey, 1.0f },
        { juce::KeyPress::homeKey, 0.0f },
        { juce::KeyPress::pageUpKey, 0.1f },
        { juce::KeyPress::deleteKey, 0.0f },
        { juce::KeyPress::endKey, 1.0f },
        { juce::KeyPress::backspaceKey, 0.0f },
    };

    for (const auto& press : presses)
    {
        EXPECT_TRUE (knob.keyPressed (key (press.code))) << press.code;
        EXPECT_NEAR (value (ParameterIds::green), press.expected, 1e-5f) << press.code;
        EXPECT_EQ (host.take (green), oneGesture (press.expected)) << press.code;
    }

    // At an end a step goes nowhere, and the host hears nothing.
    EXPECT_TRUE (knob.keyPressed (key (juce::KeyPress::downKey)));
    EXPECT_TRUE (host.take (green).empty());

    // Keys with modifiers, and keys a knob does not use, are left to the host.
    EXPECT_FALSE (knob.keyPressed (key (juce::KeyPress::upKey, juce::ModifierKeys::commandModifier)));
    EXPECT_FALSE (knob.keyPressed (key ('a')));
    EXPECT_EQ (value (ParameterIds::green), 0.0f);
    EXPECT_TRUE (host.take (green).empty());
}

TEST_F (KeyboardEditor, SpaceAndReturnToggleX2AsOneGesture)
{
    const auto x2 = index (ParameterIds::x2);
    set (ParameterIds::x2, 0.0f);

    EXPECT_TRUE (x2Button.keyPressed (key (juce::KeyPress::spaceKey)));
    EXPECT_EQ (value (ParameterIds::x2), 1.0f);
    EXPECT_TRUE (x2Button.getToggleState());
    EXPECT_EQ (host.take (x2), oneGesture (1.0f));

    EXPECT_TRUE (x2Button.keyPressed (key (juce::KeyPress::returnKey)));
    EXPECT_EQ (value (ParameterIds::x2), 0.0f);
    EXPECT_EQ (host.take (x2), oneGesture (0.0f));

    EXPECT_FALSE (x2Button.keyPressed (key (juce::KeyPress::upKey)));
    EXPECT_FALSE (x2Button.keyPressed (key (juce::KeyPress::spaceKey, juce::ModifierKeys::altModifier)));
    EXPECT_TRUE (host.take (x2).empty());
}

TEST_F (KeyboardEditor, TheFocusMarkShowsOnlyForFocusFromTheKeyboard)
{
    const auto plain = editor.createComponentSnapshot (EditorLayout::redKnob);

    redKnob.focusGained (juce::Component::focusChangedByMouseClick);
    EXPECT_FALSE (redKnob.showsFocusMark());
    EXPECT_TRUE (test::sameImage (editor.createComponentSnapshot (EditorLayout::redKnob), plain));

    redKnob.focusGained (juce::Component::focusChangedByTabKey);
    EXPECT_TRUE (redKnob.showsFocusMark());
    EXPECT_GT (test::differingPixels (editor.createComponentSnapshot (EditorLayout::redKnob), plain), 100);

    redKnob.focusLost (juce::Component::focusChangedDirectly);
    EXPECT_FALSE (redKnob.showsFocusMark());
    EXPECT_TRUE (test::sameImage (editor.createComponentSnapshot (EditorLayout::redKnob), plain));

    const auto toggle = editor.createComponentSnapshot (EditorLayout::x2Toggle);
    x2Button.focusGained (juce::Component::focusChangedByTabKey);
    EXPECT_TRUE (x2Button.showsFocusMark());
    EXPECT_GT (test::differingPixels (editor.createComponentSnapshot (EditorLayout::x2Toggle), toggle), 20);
    x2Button.focusGained (juce::Component::focusChangedByMouseClick);
    EXPECT_FALSE (x2Button.showsFocusMark());
}

TEST_F (KeyboardEditor, AKeyShowsTheValueAsHostsWriteItOverTheKnobsWord)
{
    set (ParameterIds::blue, 0.24f);
    const auto before = editor.createComponentSnapshot (editor.getLocalBounds());

    ASSERT_TRUE (blueKnob.keyPressed (key (juce::KeyPress::upKey)));
    EXPECT_TRUE (valueBubble.isVisible());
    EXPECT_EQ (valueBubble.getText(), "0.25");
    EXPECT_EQ (valueBubble.getBounds().getCentreX(), EditorLayout::blueKnob.getCentreX());
    EXPECT_TRUE (EditorLayout::knobPanel.contains (valueBubble.getBounds())) << "it sits on the knob panel";
    EXPECT_FALSE (valueBubble.getBounds().intersects (EditorLayout::blueKnob)) << "it leaves the knob itself in view";

    // It shows in the window at its own place, and leaves the history panel as it was.
    const auto after = editor.createComponentSnapshot (editor.getLocalBounds());
    EXPECT_GT (test::differingPixels (before, after, valueBubble.getBounds()), 100);
    EXPECT_EQ (test::differingPixels (before, after, EditorLayout::displayWindow), 0);
}

TEST_F (KeyboardEditor, ScreenReadersFindNamedControlsWithTheHostsValueTexts)
{
    const struct
    {
        ZarivirSlider* knob;
        const char* id;
        const char* title;
    } knobs[] = {
        { &redKnob, ParameterIds::red, "warm (red)" },
        { &greenKnob, ParameterIds::green, "space (green)" },
        { &blueKnob, ParameterIds::blue, "punch (blue)" },
    };

    for (const auto& k : knobs)
    {
        set (k.id, 0.25f);
        auto* handler = &handlerOf (*k.knob);
        EXPECT_EQ (handler->getRole(), juce::AccessibilityRole::slider);
        EXPECT_EQ (handler->getTitle(), k.title);
        EXPECT_TRUE (handler->getDescription().startsWith ("the ring around it shows")) << handler->getDescription();
        ASSERT_NE (handler->getValueInterface(), nullptr);
        EXPECT_EQ (handler->getValueInterface()->getCurrentValueAsString(), "0.25");

        // A value set by a screen reader is a host gesture like any other.
        handler->getValueInterface()->setValue (0.4);
        EXPECT_NEAR (value (k.id), 0.4f, 1e-6f);
        EXPECT_EQ (host.take (index (k.id)), oneGesture (0.4f));
    }

    set (ParameterIds::x2, 0.0f);
    auto* toggle = &handlerOf (x2Button);
    EXPECT_EQ (toggle->getRole(), juce::AccessibilityRole::toggleButton);
    EXPECT_EQ (toggle->getTitle(), "x2");
    EXPECT_TRUE (toggle->getCurrentState().isCheckable());
    EXPECT_FALSE (toggle->getCurrentState().isChecked());
    ASSERT_NE (toggle->getValueInterface(), nullptr);
    EXPECT_EQ (toggle->getValueInterface()->getCurrentValueAsString(), "Off");

    toggle->getValueInterface()->setValueAsString ("On");
    EXPECT_EQ (value (ParameterIds::x2), 1.0f);
    EXPECT_EQ (toggle->getValueInterface()->getCurrentValueAsString(), "On");
    EXPECT_TRUE (toggle->getCurrentState().isChecked());
    EXPECT_EQ (host.take (index (ParameterIds::x2)), oneGesture (1.0f));

    EXPECT_TRUE (toggle->getActions().invoke (juce::AccessibilityActionType::toggle));
    EXPECT_EQ (value (ParameterIds::x2), 0.0f);
    EXPECT_EQ (host.take (index (ParameterIds::x2)), oneGesture (0.0f));

    // The history panel is one described picture; the value label is not announced at all.
    auto* panel = &handlerOf (visualisation);
    EXPECT_EQ (panel->getRole(), juce::AccessibilityRole::image);
    EXPECT_EQ (panel->getTitle(), "history of the signal's level");
    EXPECT_EQ (panel->getValueInterface(), nullptr);
    EXPECT_FALSE (valueBubble.isAccessible());
}
