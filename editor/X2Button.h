#pragma once

#include "FocusMark.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** The x2 toggle, drawn from one image holding both looks: the upper half when off, the
    lower half when on or while held down. It has no hover look.

    Space and Return toggle it, as one host gesture like a click; a screen reader meets a
    toggle button named "x2" whose value reads "On" or "Off", as hosts show it, and can set
    it. A focus mark is drawn only while focus came from the keyboard. */
class X2Button : public FocusMark::Wearer<juce::Button>
{
public:
    X2Button (juce::AudioProcessorValueTreeState& state, const juce::String& parameterID);
    ~X2Button() override;

    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

    /** Switches the parameter to `on` as one complete gesture. */
    void setAsGesture (bool on);

    /** The parameter's value as hosts show it: "On" or "Off". */
    juce::String getValueText() const;

    /** Sets the parameter from a text as hosts read it ("On", "off", "1"), as one gesture. */
    void setFromText (const juce::String& valueText);

    bool keyPressed (const juce::KeyPress& key) override;
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

private:
    juce::RangedAudioParameter& parameter;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> attachment;
    juce::Image buttonImage;
    juce::Image buttonImage2x;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (X2Button)
};
