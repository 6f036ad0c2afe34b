#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** The x2 toggle, drawn from one image holding both looks: the upper half when off, the
    lower half when on or while held down. It has no hover look. */
class X2Button : public juce::Button
{
public:
    X2Button (juce::AudioProcessorValueTreeState& state, const juce::String& parameterID);
    ~X2Button() override;

    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> attachment;
    juce::Image buttonImage;
    juce::Image buttonImage2x;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (X2Button)
};
