#pragma once

#include "TavineLookAndFeel.h"
#include "ValueBubble.h"
#include "Visualisation.h"
#include "X2Button.h"
#include "ZarivirSlider.h"
#include "plugin/ZarivirAudioProcessor.h"

namespace tavine
{
    struct EditorProbe;
}

/** Tavine's window: a fixed background with three filmstrip knobs and their level rings, the
    x2 toggle and the history panel, each where EditorLayout puts it. Ten times a second it
    hands the engine's meter values to the rings, repainting only a knob whose level changed.

    Everything sits on `face`, 450 x 300, which the user's zoom (100, 125, 150 or 200 %, from a
    right-click on the background, remembered in EditorSettings) enlarges as a whole; the window
    takes the zoomed size, which hosts follow. A host's own display scale applies on top, to the
    whole window, as JUCE's wrappers apply it. */
class ZarivirAudioProcessorEditor : public juce::AudioProcessorEditor, public juce::Timer
{
public:
    explicit ZarivirAudioProcessorEditor (ZarivirAudioProcessor& processor);
    ~ZarivirAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;
    void mouseDown (const juce::MouseEvent& event) override;

    /** Zooms the window to one of EditorSettings::zooms (others are ignored), and with
        `remember` keeps the choice for the next window. */
    void setZoom (float zoom, bool remember);
    float getZoom() const noexcept { return zoom; }

    /** The zoom menu the background's right-click opens. */
    juce::PopupMenu createZoomMenu();

    /** For a caller that ticks the window in step with processed audio rather than the wall
        clock: stops both of its timers, the window's own and the history panel's. */
    void stopTimers();

    /** Does what one round of both timers does: the rings take the meters, and the history
        panel its newest points. */
    void tickTimers();

private:
    friend struct tavine::EditorProbe;

    /** The window's contents at their own size: the background, and the controls on it. */
    class Face : public juce::Component
    {
    public:
        explicit Face (ZarivirAudioProcessorEditor& owner);
        void paint (juce::Graphics& g) override;

    private:
        ZarivirAudioProcessorEditor& editor;
    };

    // Members in the order they must be built; destruction runs in reverse.
    ZarivirAudioProcessor& processor;
    juce::Image backgroundImage;
    juce::Image backgroundImage2x;
    Face face;
    ZarivirSlider redKnob;
    ZarivirSlider greenKnob;
    ZarivirSlider blueKnob;
    X2Button x2Button;
    Visualisation visualisation;
    ValueBubble valueBubble;
    juce::SharedResourcePointer<TavineLookAndFeel> sharedLookAndFeel;
    float zoom = 1.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZarivirAudioProcessorEditor)
};
