#pragma once

#include "engine/EffectEngine.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tavine
{
    struct EditorProbe;
}

/** The history panel: one bar per display point, newest at the right, scrolling left. A bar's
    height is its level on a decibel range that follows the recent material; its colour shows
    how the three meters shared the point.

    Message thread only. The engine is read through copyHistory alone, which never waits: a
    tick that finds the audio thread busy keeps the last picture.
*/
class Visualisation : public juce::Component, public juce::Timer
{
public:
    explicit Visualisation (tavine::EffectEngine& engine);
    ~Visualisation() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;

    /** A picture to screen readers, described once: it changes ten times a second, and
        announcing that would drown everything else. */
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

    /** The opaque ARGB colour in which a point with this colour code is drawn. */
    static juce::uint32 colourForCode (int code) noexcept;

private:
    friend struct tavine::EditorProbe;

    tavine::EffectEngine* engine;

    // Bar heights 0..1 and colours after the last successful tick, newest first.
    juce::Array<float> levels;
    juce::Array<int> colours;

    // The decibel range the bars span, which follows the recent material.
    float rangeLowDb = -30.0f;
    float rangeHighDb = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Visualisation)
};
