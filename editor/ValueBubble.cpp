#include "ValueBubble.h"

ValueBubble::ValueBubble()
{
    setInterceptsMouseClicks (false, false);
    setAccessible (false);
    setVisible (false);
}

void ValueBubble::show (const juce::String& newText, juce::Rectangle<int> knob, bool stay)
{
    text = newText;
    setBounds (knob.getCentreX() - width / 2, top, width, height);
    setVisible (true);
    repaint();

    if (stay)
        stopTimer();
    else
        startTimer (hideDelayMs);
}

void ValueBubble::timerCallback()
{
    stopTimer();
    setVisible (false);
}

void ValueBubble::paint (juce::Graphics& g)
{
    const auto area = getLocalBounds().toFloat();
    g.setColour (juce::Colour (24, 24, 26).withAlpha (0.9f));
    g.fillRoundedRectangle (area, 4.0f);
    g.setColour (juce::Colours::white.withAlpha (0.25f));
    g.drawRoundedRectangle (area.reduced (0.5f), 4.0f, 1.0f);
    g.setColour (juce::Colour (255, 214, 120));
    g.setFont (juce::Font (11.0f, juce::Font::bold));
    g.drawText (text, getLocalBounds(), juce::Justification::centred, false);
}
