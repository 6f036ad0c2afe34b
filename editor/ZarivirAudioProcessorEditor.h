#pragma once

#include "TavineLookAndFeel.h"
#include "ValueBubble.h"
#include "Visualisation.h"
#include "X2Button.h"
#include "ZarivirSlider.h"
#include "plugin/ZarivirAudioProcessor.h"

/** Tavine's window: a fixed background with three filmstrip knobs and their level rings, the
    x2 toggle and the history panel, each where EditorLayout puts it. Ten times a second it
    hands the engine's meter values to the rings, repainting only a knob whose level changed. */
class ZarivirAudioProcessorEditor : public juce::AudioProcessorEditor, public juce::Timer
{
public:
    explicit ZarivirAudioProcessorEditor (ZarivirAudioProcessor& processor);
    ~ZarivirAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;

    // Members in the order they must be built; destruction runs in reverse.
    ZarivirAudioProcessor& processor;
    juce::Image backgroundImage;
    juce::Image backgroundImage2x;
    ZarivirSlider redKnob;
    ZarivirSlider greenKnob;
    ZarivirSlider blueKnob;
    X2Button x2Button;
    Visualisation visualisation;
    ValueBubble valueBubble;
    juce::SharedResourcePointer<TavineLookAndFeel> sharedLookAndFeel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZarivirAudioProcessorEditor)
};
