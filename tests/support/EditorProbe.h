#pragma once

#include "editor/ZarivirAudioProcessorEditor.h"

namespace tavine
{
    /** The tests' one way into the editor's inner state, as EngineProbe is into the engine's. The
        window, its knobs and the history panel name this struct as their one friend; whatever a test needs
        to see or set inside them goes through here, so that their public interfaces stay what
        the product uses. */
    struct EditorProbe
    {
        // The window's parts. Everything sits on the face, which the zoom enlarges.
        static juce::Component& face (ZarivirAudioProcessorEditor& editor) noexcept { return editor.face; }
        static ZarivirSlider& redKnob (ZarivirAudioProcessorEditor& editor) noexcept { return editor.redKnob; }
        static ZarivirSlider& greenKnob (ZarivirAudioProcessorEditor& editor) noexcept { return editor.greenKnob; }
        static ZarivirSlider& blueKnob (ZarivirAudioProcessorEditor& editor) noexcept { return editor.blueKnob; }
        static X2Button& x2Button (ZarivirAudioProcessorEditor& editor) noexcept { return editor.x2Button; }
        static Visualisation& visualisation (ZarivirAudioProcessorEditor& editor) noexcept { return editor.visualisation; }
        static ValueBubble& valueBubble (ZarivirAudioProcessorEditor& editor) noexcept { return editor.valueBubble; }
        static const juce::Image& backgroundImage (const ZarivirAudioProcessorEditor& editor) noexcept { return editor.backgroundImage; }
        static TavineLookAndFeel& lookAndFeel (ZarivirAudioProcessorEditor& editor) noexcept { return editor.sharedLookAndFeel.get(); }

        // A knob's ring: the level it shows, and a level put there without the repaint that
        // ZarivirSlider::setRingLevel asks for.
        static float ringLevel (const ZarivirSlider& knob) noexcept { return knob.ringLevel; }
        static void putRingLevel (ZarivirSlider& knob, float level) noexcept { knob.ringLevel = level; }

        // The history panel after its last successful tick: the decibel range its bars span,
        // and the bars' heights 0..1, newest first.
        static float rangeLowDb (const Visualisation& panel) noexcept { return panel.rangeLowDb; }
        static float rangeHighDb (const Visualisation& panel) noexcept { return panel.rangeHighDb; }
        static const juce::Array<float>& levels (const Visualisation& panel) noexcept { return panel.levels; }
    };
} // namespace tavine
