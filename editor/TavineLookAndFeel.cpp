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

    if (knob == nullptr || ! knob->knobStrip.isValid() || knob->knobStrip.getWidth() < 1)
        return;

    const int frameSize = knob->knobStrip.getWidth();
    const int lastFrame = knob->knobStrip.getHeight() / frameSize - 1;

    if (lastFrame < 0)
        return;

    const auto drawFrame = [&] (const juce::Image& strip, const juce::Image& strip2x, int frame) {
        ScaledArtwork::draw (g, strip, strip2x, { 0, frame * frameSize, frameSize, frameSize }, { x, y, width, height });
    };

    drawFrame (knob->knobStrip, knob->knobStrip2x, frameFor (sliderPosProportional, lastFrame));

    // The ring strip is cut with the knob strip's geometry.
    if (knob->ringStrip.isValid())
        drawFrame (knob->ringStrip, knob->ringStrip2x, frameFor (knob->ringLevel, lastFrame));
}
