#pragma once

#include "FocusMark.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <memory>
#include <optional>

/** A rotary knob bound to one parameter, drawn from two filmstrips by TavineLookAndFeel: the
    knob at its position, and over it a ring of dots whose length follows `ringLevel`. Each
    strip comes at the window's scale and, optionally, at twice it for high-density displays
    (see ScaledArtwork).

    From the keyboard: up and right step by 0.01, down and left back, Page Up and Page Down by
    0.1, Home and End go to 0 and 1, Delete and Backspace reset to 0 as a double click does.
    Every change, by mouse or key, reaches the host as one gesture. A focus mark is drawn only
    while focus came from the keyboard. */
class ZarivirSlider : public FocusMark::Wearer<juce::Slider>
{
public:
    ZarivirSlider (juce::Image knobStrip,
                   juce::Image ringStrip,
                   juce::AudioProcessorValueTreeState& state,
                   const juce::String& parameterID,
                   juce::Image knobStrip2x = {},
                   juce::Image ringStrip2x = {});
    ~ZarivirSlider() override;

    /** The value a key leads to from `current`, or nothing for a key the knob does not take. */
    static std::optional<double> valueForKey (const juce::KeyPress& key, double current);

    // juce::Slider
    bool keyPressed (const juce::KeyPress& key) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void valueChanged() override;
    void paint (juce::Graphics& g) override;

    // The filmstrips TavineLookAndFeel draws from: at the window's scale, and at twice it when
    // given.
    const juce::Image knobStrip;
    const juce::Image ringStrip;
    const juce::Image knobStrip2x;
    const juce::Image ringStrip2x;

    /** The meter level the ring shows, nominally 0..1. Written only by the editor's timer,
        which repaints the knob after changing it. */
    float ringLevel = 0.0f;

    /** Called on the message thread whenever the user changes the value, by mouse or key, and
        when a drag ends (the editor shows the value meanwhile). */
    std::function<void()> onUserChange;

private:
    // Declared after the strips: it is destroyed before the strips are released.
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> attachment;
    bool changingFromKey = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZarivirSlider)
};
