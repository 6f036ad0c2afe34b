#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The small label that shows a knob's value ("0.25", as hosts show it) while the user
    changes it, over the knob's word on the panel; it hides itself a moment after the last
    change. It takes no clicks and is not announced: the knob itself tells screen readers its
    value. */
class ValueBubble : public juce::Component, private juce::Timer
{
public:
    ValueBubble();

    /** Shows `text` centred over the horizontal middle of `knob`. With `stay`, it stays until
        the next call (a drag in progress); otherwise it hides after `hideDelayMs`. */
    void show (const juce::String& text, juce::Rectangle<int> knob, bool stay);

    const juce::String& getText() const noexcept { return text; }

    static constexpr int hideDelayMs = 1200;
    static constexpr int width = 40;
    static constexpr int height = 15;

    /** Its top row: it covers the knob's word (rows 211 .. 219, descenders to 220) and ends
        just above the knob. */
    static constexpr int top = 206;

    void paint (juce::Graphics& g) override;

private:
    void timerCallback() override;

    juce::String text;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ValueBubble)
};
