#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The editor's look: knobs drawn as filmstrip frames. One instance serves every open editor
    in the process (through juce::SharedResourcePointer); it holds no state. */
class TavineLookAndFeel : public juce::LookAndFeel_V3
{
public:
    /** Draws a ZarivirSlider: the knob frame for its position, the ring frame for its level on
        top. Other sliders are not drawn at all. The angles are ignored: the frames carry the
        geometry. */
    void drawRotarySlider (juce::Graphics& g,
                           int x,
                           int y,
                           int width,
                           int height,
                           float sliderPosProportional,
                           float rotaryStartAngle,
                           float rotaryEndAngle,
                           juce::Slider& slider) override;

    /** The nearest of frames 0..lastFrame for a value 0..1 (half-way rounds up); values below,
        above or not a number land on the first or last frame. */
    static int frameFor (float value, int lastFrame) noexcept;
};
