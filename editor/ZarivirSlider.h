#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** A rotary knob bound to one parameter, drawn from two filmstrips by TavineLookAndFeel: the
    knob at its position, and over it a ring of dots whose length follows `ringLevel`. Each
    strip comes at the window's scale and, optionally, at twice it for high-density displays
    (see ScaledArtwork). */
class ZarivirSlider : public juce::Slider
{
public:
    ZarivirSlider (juce::Image knobStrip,
                   juce::Image ringStrip,
                   juce::AudioProcessorValueTreeState& state,
                   const juce::String& parameterID,
                   juce::Image knobStrip2x = {},
                   juce::Image ringStrip2x = {});
    ~ZarivirSlider() override;

    const juce::Image knobStrip;
    const juce::Image ringStrip;
    const juce::Image knobStrip2x;
    const juce::Image ringStrip2x;

private:
    // Declared before ringLevel and after the strips: it is destroyed before the strips are
    // released.
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> attachment;

public:
    /** The meter level the ring shows, nominally 0..1. Written only by the editor's timer,
        which repaints the knob after changing it. */
    float ringLevel = 0.0f;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZarivirSlider)
};
