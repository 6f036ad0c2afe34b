#include "ZarivirSlider.h"

ZarivirSlider::ZarivirSlider (juce::Image knob, juce::Image ring, juce::AudioProcessorValueTreeState& state, const juce::String& parameterID, juce::Image knob2x, juce::Image ring2x)
    : knobStrip (std::move (knob))
    , ringStrip (std::move (ring))
    , knobStrip2x (std::move (knob2x))
    , ringStrip2x (std::move (ring2x))
{
    // The attachment gives the knob its range, value and double-click default, and turns
    // drags into parameter gestures.
    attachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (state, parameterID, *this);

    setSliderStyle (juce::Slider::RotaryVerticalDrag);
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
}

ZarivirSlider::~ZarivirSlider() = default;
