#include "RingPainter.h"

#include "ArtworkStyle.h"

namespace
{
    using namespace ArtworkStyle;

    const juce::Point<float> centre { knobCentre, knobCentre };

    /** Two dot positions per frame: frame k ends at dot 2k. */
    constexpr int dotsPerFrame = (RingPainter::dotCount - 1) / lastFrame;
    static_assert (dotsPerFrame * lastFrame == RingPainter::dotCount - 1, "the arc must end on a dot in every frame");

    /** Dots this many places behind the head keep full strength; further back
        they fade towards a faint trace. */
    constexpr int fullStrengthDots = 12;
    constexpr float tailFloor = 0.16f;

    float dotAngle (int dot)
    {
        return degreesToRadians (ringStartDegrees + (ringEndDegrees - ringStartDegrees) * static_cast<float> (dot) / static_cast<float> (RingPainter::dotCount - 1));
    }

    float dotStrength (int dot, int headDot)
    {
        const auto behind = headDot - dot;

        if (behind <= fullStrengthDots)
            return 1.0f;

        const auto fadeLength = static_cast<float> (RingPainter::dotCount - 1 - fullStrengthDots);
        return 1.0f - (1.0f - tailFloor) * static_cast<float> (behind - fullStrengthDots) / fadeLength;
    }

    /** A dot that seems to glow: a soft halo, a solid core and a hot centre that
        runs towards white, as a lit LED does. The halo is kept within 2.2 px so
        that the dots stay on the ring's band of radius 25 .. 29. */
    void paintDot (juce::Graphics& g, juce::Point<float> position, juce::Colour colour, float strength)
    {
        juce::ColourGradient halo (colour.withAlpha (0.55f * strength), position, colour.withAlpha (0.0f), position.translated (2.2f, 0.0f), true);
        g.setGradientFill (halo);
        g.fillEllipse (juce::Rectangle<float> (4.4f, 4.4f).withCentre (position));

        g.setColour (colour.withAlpha (strength));
        g.fillEllipse (juce::Rectangle<float> (3.0f, 3.0f).withCentre (position));

        g.setColour (colour.interpolatedWith (juce::Colours::white, 0.3f).withAlpha (strength));
        g.fillEllipse (juce::Rectangle<float> (1.2f, 1.2f).withCentre (position));
    }
} // namespace

juce::Image RingPainter::paintStrip (juce::Colour colour, int scale)
{
    return paintFilmstrip (frameSize * scale, frameCount, [&] (juce::Graphics& g, int frame) {
        scaleDrawing (g, scale);

        const auto headDot = frame * dotsPerFrame;

        for (int dot = 0; dot <= headDot; ++dot)
            paintDot (g, polar (centre, ringRadius, dotAngle (dot)), colour, dotStrength (dot, headDot));
    });
}
