#include "KnobPainter.h"

#include "ArtworkStyle.h"

namespace
{
    using namespace ArtworkStyle;

    constexpr float capRadius = 15.5f;
    constexpr float lampRadius = 19.8f;
    constexpr float lampSize = 2.8f;
    constexpr float pointerRadius = 11.4f;
    constexpr float pointerDotRadius = 1.9f;

    const juce::Point<float> centre { knobCentre, knobCentre };

    /** Smooth 1-D noise along the radius: the concentric grooves of the brushed
        cap. Neighbouring grooves differ at random, as a real lathe leaves them. */
    float grooves (float radius)
    {
        constexpr float spacing = 0.42f;
        const auto position = radius / spacing;
        const auto index = static_cast<int> (std::floor (position));
        const auto fraction = position - static_cast<float> (index);
        const auto a = grain (index, 0, 31u);
        const auto b = grain (index + 1, 0, 31u);
        return a + (b - a) * fraction;
    }

    /** Brightness 0..1 of the cap at an offset from its centre, lit from above.
        Written with plain arithmetic on the offset rather than with angles, so the
        result does not hang on the C library's trigonometry, which may round
        differently from one version to the next. */
    float capBrightness (float dx, float dy, float radius)
    {
        // Cosine and sine of the point's clockwise angle from the top.
        const auto up = -dy / radius;
        const auto across = dx / radius;

        // Spun metal reflects the light in a bow tie across the centre, here tilted
        // about 18 degrees anticlockwise: cos (2 (angle + tilt)) by the double-angle
        // formulas. The upper lobe faces the light and is the brighter one.
        constexpr float doubleTiltCos = 0.8021f; // cos (0.64)
        constexpr float doubleTiltSin = 0.5972f; // sin (0.64)
        const auto doubleCos = up * up - across * across;
        const auto doubleSin = 2.0f * across * up;
        const auto lobe = 0.5f + 0.5f * (doubleCos * doubleTiltCos - doubleSin * doubleTiltSin);
        const auto lobeSharp = lobe * lobe * lobe * lobe;
        const auto towardsLight = 0.5f + 0.5f * up;
        auto level = 0.56f + 0.26f * lobeSharp * (0.45f + 0.55f * towardsLight);

        level += 0.07f * (-dy / capRadius);
        level += 0.045f * grooves (radius);

        // The rounded-over rim: bright where it faces up, dark where it faces down.
        constexpr float rimWidth = 1.3f;
        if (radius > capRadius - rimWidth)
        {
            const auto rim = 0.50f + 0.38f * up;
            const auto blend = (radius - (capRadius - rimWidth)) / rimWidth;
            level += (rim - level) * blend;
        }

        // Kept below the pointer's white so the pointer always stands out.
        return juce::jlimit (0.0f, 0.88f, level);
    }

    /** The cap is rendered per pixel with 4 x 4 supersampling: the brushing and
        the reflections depend on the angle and radius of every point, which no
        gradient fill can express. It is the same in every frame: a spun cap
        looks the same however far it is turned. At a larger scale it is sampled
        at every one of the finer pixels. */
    juce::Image paintCap (int scale)
    {
        const int size = frameSize * scale;
        juce::Image cap (juce::Image::ARGB, size, size, true, juce::SoftwareImageType());
        juce::Image::BitmapData pixels (cap, juce::Image::BitmapData::writeOnly);

        constexpr int subSamples = 4;
        const float subStep = 1.0f / static_cast<float> (subSamples * scale);
        const float pixelSize = 1.0f / static_cast<float> (scale);

        for (int y = 0; y < size; ++y)
        {
            for (int x = 0; x < size; ++x)
            {
                float sum = 0.0f;
                int covered = 0;

                for (int sy = 0; sy < subSamples; ++sy)
                {
                    for (int sx = 0; sx < subSamples; ++sx)
                    {
                        const auto dx = static_cast<float> (x) * pixelSize + (static_cast<float> (sx) + 0.5f) * subStep - knobCentre;
                        const auto dy = static_cast<float> (y) * pixelSize + (static_cast<float> (sy) + 0.5f) * subStep - knobCentre;
                        const auto radius = std::sqrt (dx * dx + dy * dy);

                        if (radius <= capRadius)
                        {
                            sum += capBrightness (dx, dy, radius);
                            ++covered;
                        }
                    }
                }

                if (covered == 0)
                    continue;

                const auto level = sum / static_cast<float> (covered);
                const auto alpha = static_cast<float> (covered) / static_cast<float> (subSamples * subSamples);
                // A faint cool cast, as aluminium has under white light.
                const auto red = static_cast<juce::uint8> (juce::roundToInt (level * 250.0f));
                const auto blue = static_cast<juce::uint8> (juce::roundToInt (level * 255.0f));
                pixels.setPixelColour (x, y, juce::Colour (red, red, blue).withAlpha (alpha));
            }
        }

        return cap;
    }

    void paintBase (juce::Graphics& g, juce::Colour tint)
    {
        const auto bounds = juce::Rectangle<float> (knobRadius * 2.0f, knobRadius * 2.0f).withCentre (centre);

        g.setGradientFill ({ grey (46), 0.0f, bounds.getY(), grey (6), 0.0f, bounds.getBottom(), false });
        g.fillEllipse (bounds);

        // The stage's tint gathers in the lower half of the base.
        g.setGradientFill ({ tint.withAlpha (0.0f), 0.0f, knobCentre - 2.0f, tint.withAlpha (0.22f), 0.0f, bounds.getBottom(), false });
        g.fillEllipse (bounds);

        // The base's upper rim catches the light.
        g.setGradientFill ({ juce::Colours::white.withAlpha (0.38f), 0.0f, bounds.getY(), juce::Colours::white.withAlpha (0.0f), 0.0f, knobCentre, false });
        g.drawEllipse (bounds.reduced (0.6f), 1.0f);
    }

    void paintLamp (juce::Graphics& g, float angle, bool lit)
    {
        const auto position = polar (centre, lampRadius, angle);
        const auto square = juce::Rectangle<float> (lampSize, lampSize).withCentre (position);
        const auto turn = juce::AffineTransform::rotation (angle, position.x, position.y);

        juce::Path lamp;
        lamp.addRectangle (square);
        lamp.applyTransform (turn);

        if (! lit)
        {
            g.setColour (juce::Colour (70, 48, 22));
            g.fillPath (lamp);
            return;
        }

        // Glow around the lamp, kept inside the base.
        juce::ColourGradient glow (juce::Colour (255, 166, 40).withAlpha (0.5f), position, juce::Colour (255, 166, 40).withAlpha (0.0f), position.translated (3.4f, 0.0f), true);
        g.setGradientFill (glow);
        g.fillEllipse (juce::Rectangle<float> (6.8f, 6.8f).withCentre (position));

        g.setColour (juce::Colour (255, 172, 44));
        g.fillPath (lamp);

        juce::Path core;
        core.addRectangle (juce::Rectangle<float> (lampSize * 0.45f, lampSize * 0.45f).withCentre (position));
        core.applyTransform (turn);
        g.setColour (juce::Colour (255, 232, 168));
        g.fillPath (core);
    }

    void paintCapShadow (juce::Graphics& g)
    {
        // The cap stands proud of the base and throws a soft shadow downwards.
        const auto shadowCentre = centre.translated (0.0f, 1.2f);
        constexpr float outer = capRadius + 2.2f;
        juce::ColourGradient shadow (juce::Colours::black.withAlpha (0.7f), shadowCentre, juce::Colours::black.withAlpha (0.0f), shadowCentre.translated (outer, 0.0f), true);
        shadow.addColour (static_cast<double> (capRadius / outer), juce::Colours::black.withAlpha (0.7f));
        g.setGradientFill (shadow);
        g.fillEllipse (juce::Rectangle<float> (outer * 2.0f, outer * 2.0f).withCentre (shadowCentre));
    }

    void paintPointer (juce::Graphics& g, float angle)
    {
        const auto position = polar (centre, pointerRadius, angle);
        const auto dot = juce::Rectangle<float> (pointerDotRadius * 2.0f, pointerDotRadius * 2.0f).withCentre (position);

        // The dot is set into the cap: a dark lip above it, light below.
        g.setColour (juce::Colours::black.withAlpha (0.45f));
        g.fillEllipse (dot.expanded (0.7f).translated (0.0f, -0.3f));
        g.setColour (juce::Colours::white.withAlpha (0.35f));
        g.fillEllipse (dot.expanded (0.5f).translated (0.0f, 0.5f));

        g.setColour (juce::Colours::white);
        g.fillEllipse (dot);
    }
} // namespace

juce::Image KnobPainter::paintStrip (juce::Colour tint, int scale)
{
    const auto cap = paintCap (scale);

    return paintFilmstrip (frameSize * scale, frameCount, [&] (juce::Graphics& g, int frame) {
        {
            juce::Graphics::ScopedSaveState scaled (g);
            scaleDrawing (g, scale);
            paintBase (g, tint);

            for (int lamp = 0; lamp < frameCount; ++lamp)
                paintLamp (g, pointerAngle (lamp), lamp <= frame);

            paintCapShadow (g);
        }

        // The cap is already drawn at the strip's own pixels.
        g.drawImageAt (cap, 0, 0);

        scaleDrawing (g, scale);
        paintPointer (g, pointerAngle (frame));
    });
}
