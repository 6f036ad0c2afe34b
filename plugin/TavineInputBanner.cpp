#include "TavineInputBanner.h"

TavineInputBanner::TavineInputBanner()
    : message ({}, "Audio input muted against feedback. Unmute here, or in Options > Audio Settings > Mute audio input.")
    , unmuteButton ("Unmute")
{
    setOpaque (true);

    message.setFont (juce::Font (13.0f));
    message.setJustificationType (juce::Justification::centredLeft);
    message.setColour (juce::Label::textColourId, juce::Colours::black);
    message.setMinimumHorizontalScale (1.0f);

    unmuteButton.onClick = [this] {
        if (onUnmute != nullptr)
            onUnmute();
    };

    addAndMakeVisible (message);
    addAndMakeVisible (unmuteButton);
}

void TavineInputBanner::paint (juce::Graphics& g)
{
    // A warning's colours, as the framework's own banner has them, with a line under it to set
    // it off from the editor.
    auto area = getLocalBounds();
    g.setColour (juce::Colours::darkgoldenrod);
    g.fillRect (area.removeFromBottom (1));
    g.setColour (juce::Colours::lightgoldenrodyellow);
    g.fillRect (area);
}

void TavineInputBanner::resized()
{
    auto area = getLocalBounds().reduced (5);
    unmuteButton.setBounds (area.removeFromRight (70).withSizeKeepingCentre (70, 24));
    area.removeFromRight (5);
    message.setBounds (area);
}
