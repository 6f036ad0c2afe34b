#include "TavineLookAndFeel.h"

#include "ScaledArtwork.h"
#include "ZarivirSlider.h"

#include <cmath>

int TavineLookAndFeel::frameFor (float value, int lastFrame) noexcept
{
    const float position = (float) lastFrame * value + 0.5f;

    // Compared as floats first: converting NaN or a huge value to int is undefined.
    if (! (position >= 1.0f))
        return 0;

    if (position >= (float) lastFrame)
        return lastFrame;

    return (int) position;
}

void TavineLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPosProportional, float, float, juce::Slider& slider)
{
    auto* knob = dynamic_cast<ZarivirSlider*> (&slider);

    if (knob == nullptr)
        return;

    const auto drawing = knob->getDrawing();
    const auto& strips = drawing.strips;

    if (! strips.knob.isValid() || strips.knob.getWidth() < 1)
        return;

    const int frameSize = strips.knob.getWidth();
    const int lastFrame = strips.knob.getHeight() / frameSize - 1;

    if (lastFrame < 0)
        return;

    const auto drawFrame = [&] (const juce::Image& strip, const juce::Image& strip2x, int frame) {
        ScaledArtwork::draw (g, strip, strip2x, { 0, frame * frameSize, frameSize, frameSize }, { x, y, width, height });
    };

    drawFrame (strips.knob, strips.knob2x, frameFor (sliderPosProportional, lastFrame));

    // The ring strip is cut with the knob strip's geometry.
    if (strips.ring.isValid())
        drawFrame (strips.ring, strips.ring2x, frameFor (drawing.ringLevel, lastFrame));
}
