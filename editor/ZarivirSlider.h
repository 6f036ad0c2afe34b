#pragma once

#include "FocusMark.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <memory>
#include <optional>

namespace tavine
{
    struct EditorProbe;
}

/** A rotary knob bound to one parameter, drawn from two filmstrips by TavineLookAndFeel: the
    knob at its position, and over it a ring of dots whose length follows the meter level the
    editor gives it. Each strip comes at the window's scale and, optionally, at twice it for
    high-density displays (see ScaledArtwork).

    From the keyboard: up and right step by 0.01, down and left back, Page Up and Page Down by
    0.1, Home and End go to 0 and 1, Delete and Backspace reset to 0 as a double click does.
    Every change, by mouse or key, reaches the host as one gesture. A focus mark is drawn only
    while focus came from the keyboard. */
class ZarivirSlider : public FocusMark::Wearer<juce::Slider>
{
public:
    /** The filmstrips the knob is drawn from: at the window's scale, and at twice it when
        given. Without a ring strip the knob is drawn without its ring. */
    struct Strips
    {
        juce::Image knob;
        juce::Image ring;
        juce::Image knob2x = {};
        juce::Image ring2x = {};
    };

    /** What TavineLookAndFeel draws the knob from: its strips, and the level whose frame the
        ring shows. */
    struct Drawing
    {
        const Strips& strips;
        float ringLevel;
    };

    ZarivirSlider (Strips strips, juce::AudioProcessorValueTreeState& state, const juce::String& parameterID);
    ~ZarivirSlider() override;

    /** The value a key leads to from `current`, or nothing for a key the knob does not take. */
    static std::optional<double> valueForKey (const juce::KeyPress& key, double current);

    Drawing getDrawing() const noexcept { return { strips, ringLevel }; }

    /** Shows a meter level, nominally 0..1, on the ring; the knob repaints only when the level
        changed. A level that is not a number never compares equal, so it repaints every time
        (its ring shows the first frame). */
    void setRingLevel (float level);

    // juce::Slider
    bool keyPressed (const juce::KeyPress& key) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void valueChanged() override;
    void paint (juce::Graphics& g) override;

    /** Called on the message thread whenever the user changes the value, by mouse or key, and
        when a drag ends (the editor shows the value meanwhile). */
    std::function<void()> onUserChange;

private:
    friend struct tavine::EditorProbe;

    const Strips strips;
    float ringLevel = 0.0f;

    // Declared after the strips: it is destroyed before the strips are released.
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> attachment;
    bool changingFromKey = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZarivirSlider)
};
