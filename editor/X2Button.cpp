#include "X2Button.h"

#include "BinaryData.h"
#include "ScaledArtwork.h"

X2Button::X2Button (juce::AudioProcessorValueTreeState& state, const juce::String& parameterID)
    : juce::Button ("X2Button")
    , buttonImage (juce::ImageCache::getFromMemory (BinaryData::x2button_png, BinaryData::x2button_pngSize))
    , buttonImage2x (juce::ImageCache::getFromMemory (BinaryData::x2button_2x_png, BinaryData::x2button_2x_pngSize))
{
    // The attachment turns the button on from a parameter value of one half, and makes each
    // click set the parameter to exactly 1 or 0 as one gesture.
    attachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (state, parameterID, *this);
    setClickingTogglesState (true);
}

X2Button::~X2Button() = default;

void X2Button::paintButton (juce::Graphics& g, bool, bool isButtonDown)
{
    if (! buttonImage.isValid())
        return;

    const bool lit = getToggleState() || isButtonDown;
    const int width = buttonImage.getWidth();
    const int halfHeight = buttonImage.getHeight() / 2;

    ScaledArtwork::draw (g, buttonImage, buttonImage2x, { 0, lit ? halfHeight : 0, width, halfHeight }, { 0, 0, width, halfHeight });
}
