#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The mark a control wears while it has the keyboard focus, given from the keyboard: a thin
    light outline with a dark edge, which shows on the light panel and on the dark knob skirt
    alike. Drawn as vector shapes, so it is sharp at every display scale. */
namespace FocusMark
{
    /** Outlines `bounds`: as a circle inscribed in them, or as a rounded rectangle. */
    void drawAround (juce::Graphics& g, juce::Rectangle<float> bounds, bool round);

    /** Whether a control wears the mark: from focus given by the keyboard until the focus
        goes or the control is clicked. The control passes on its focus and mouse calls. */
    class State
    {
    public:
        bool isShown() const noexcept { return shown; }

        void focusGained (juce::Component& control, juce::Component::FocusChangeType cause) { show (control, cause == juce::Component::focusChangedByTabKey); }
        void focusLost (juce::Component& control) { show (control, false); }
        void clicked (juce::Component& control) { show (control, false); }

    private:
        void show (juce::Component& control, bool shouldShow)
        {
            if (shown != shouldShow)
            {
                shown = shouldShow;
                control.repaint();
            }
        }

        bool shown = false;
    };

    /** A control of the JUCE class `Control` that wears the mark: its focus and mouse-down calls
        pass through a State. The control draws the mark itself, in its own shape, while
        showsFocusMark() is true. */
    template <typename Control>
    class Wearer : public Control
    {
    public:
        using Control::Control;

        /** True while focus came from the keyboard, so the focus mark shows. */
        bool showsFocusMark() const noexcept { return mark.isShown(); }

        void focusGained (juce::Component::FocusChangeType cause) override { mark.focusGained (*this, cause); }
        void focusLost (juce::Component::FocusChangeType) override { mark.focusLost (*this); }

        void mouseDown (const juce::MouseEvent& event) override
        {
            // A click takes the mark away even when the focus stays.
            mark.clicked (*this);
            Control::mouseDown (event);
        }

    private:
        State mark;
    };
} // namespace FocusMark
