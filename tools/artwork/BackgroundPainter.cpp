#include "BackgroundPainter.h"

#include "ArtworkStyle.h"
#include "editor/EditorLayout.h"

namespace
{
    using namespace ArtworkStyle;

    constexpr float panelTopLevel = 153.0f;
    constexpr float panelBottomLevel = 104.0f;

    /** The base tone of the panel at a row (in the window's pixels, the centre of a
        row at y + 0.5): a straight fall from top to bottom. */
    float panelLevel (float y)
    {
        return panelTopLevel + (panelBottomLevel - panelTopLevel) * y / static_cast<float> (EditorLayout::height - 1);
    }

    void paintPanelGradient (juce::Image& image, int scale)
    {
        juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);

        for (int y = 0; y < image.getHeight(); ++y)
        {
            // The centre of an image row, in the window's rows: row y itself at scale 1.
            const auto windowRow = (static_cast<float> (y) + 0.5f) / static_cast<float> (scale) - 0.5f;
            const auto level = juce::roundToInt (panelLevel (windowRow));

            for (int x = 0; x < image.getWidth(); ++x)
                pixels.setPixelColour (x, y, grey (level));
        }

        // The panel's edges are cut square: the top edge catches the light, the
        // bottom edge is in shade.
        juce::Graphics g (image);
        scaleDrawing (g, scale);
        g.setColour (juce::Colours::white.withAlpha (0.22f));
        g.fillRect (0, 0, EditorLayout::width, 1);
        g.setColour (juce::Colours::black.withAlpha (0.22f));
        g.fillRect (0, EditorLayout::height - 1, EditorLayout::width, 1);
    }

    /** Fills lettering as if pressed into the surface: a faint light edge below
        each letter where the lower wall of the groove faces the light. */
    void fillEngraved (juce::Graphics& g, const juce::Path& letters, juce::Colour ink, float highlight)
    {
        g.setColour (juce::Colours::white.withAlpha (highlight));
        g.fillPath (letters, juce::AffineTransform::translation (0.0f, 1.0f));
        g.setColour (ink);
        g.fillPath (letters);
    }

    /** Places a word so that its outline fills the given box horizontally and is
        centred in it vertically. A squeeze below 1 narrows the letters first, which
        lets a short word in a narrow box stand taller. */
    juce::Path fitWord (const Lettering& lettering, const juce::String& word, float tracking, float squeeze, juce::Rectangle<float> box)
    {
        auto path = lettering.outline (word, 100.0f, tracking);
        path.applyTransform (juce::AffineTransform::scale (squeeze, 1.0f));
        path.applyTransform (path.getTransformToScaleToFit (box, true, juce::Justification::centred));
        return path;
    }

    void paintLogos (juce::Graphics& g, const Lettering& lettering)
    {
        const auto ink = grey (54);

        // The maker's mark at the left, the product's name at the right; the strip
        // between them stays plain for the x2 toggle.
        fillEngraved (g, fitWord (lettering, "wemb", 0.02f, 0.8f, { 49.0f, 3.0f, 44.0f, 24.0f }), ink, 0.30f);
        fillEngraved (g, fitWord (lettering, "Tavine", 0.04f, 1.0f, { 323.0f, 3.0f, 78.0f, 24.0f }), ink, 0.30f);
    }

    void fillQuad (juce::Graphics& g, juce::Point<float> a, juce::Point<float> b, juce::Point<float> c, juce::Point<float> d, juce::ColourGradient shade)
    {
        juce::Path quad;
        quad.startNewSubPath (a);
        quad.lineTo (b);
        quad.lineTo (c);
        quad.lineTo (d);
        quad.closeSubPath();
        g.setGradientFill (shade);
        g.fillPath (quad);
    }

    /** The display window sits in a recess: its upper and left walls face away
        from the light and fall into shade, its lower and right walls catch it. */
    void paintDisplayWindow (juce::Graphics& g)
    {
        constexpr int bevel = 6;
        const auto inner = EditorLayout::displayWindow.toFloat();
        const auto outer = inner.expanded (static_cast<float> (bevel));

        // A light chamfer line around the recess.
        g.setColour (grey (196));
        g.fillRect (outer.expanded (1.0f));

        // Underlay so the anti-aliased mitres between the walls show no seam.
        g.setColour (grey (104));
        g.fillRect (outer);

        const auto oTL = outer.getTopLeft(), oTR = outer.getTopRight();
        const auto oBL = outer.getBottomLeft(), oBR = outer.getBottomRight();
        const auto iTL = inner.getTopLeft(), iTR = inner.getTopRight();
        const auto iBL = inner.getBottomLeft(), iBR = inner.getBottomRight();

        fillQuad (g, oTL, oTR, iTR, iTL, { grey (78), 0.0f, outer.getY(), grey (60), 0.0f, inner.getY(), false });
        fillQuad (g, oBL, iBL, iBR, oBR, { grey (174), 0.0f, outer.getBottom(), grey (132), 0.0f, inner.getBottom(), false });
        fillQuad (g, oTL, iTL, iBL, oBL, { grey (96), outer.getX(), 0.0f, grey (70), inner.getX(), 0.0f, false });
        fillQuad (g, iTR, oTR, oBR, iBR, { grey (156), outer.getRight(), 0.0f, grey (118), inner.getRight(), 0.0f, false });

        // The window itself is flat and exact: the history panel paints over it
        // pixel for pixel, so no anti-aliasing may leak into or out of it.
        g.setColour (grey (51));
        g.fillRect (EditorLayout::displayWindow);
    }

    void paintKnobPanel (juce::Graphics& g, const Lettering& lettering)
    {
        const auto panel = EditorLayout::knobPanel.toFloat();
        constexpr float corner = 8.0f;

        // Soft shadow on the rows below the panel.
        g.setColour (juce::Colours::black.withAlpha (0.18f));
        g.fillRoundedRectangle (panel.translated (0.0f, 1.5f).expanded (0.5f), corner);

        g.setColour (grey (30));
        g.fillRoundedRectangle (panel, corner);

        const auto face = panel.reduced (1.0f);
        juce::ColourGradient shade (grey (196), 0.0f, face.getY(), grey (16), 0.0f, face.getBottom(), false);
        shade.addColour (0.16, grey (176));
        shade.addColour (0.55, grey (84));
        shade.addColour (0.85, grey (34));
        g.setGradientFill (shade);
        g.fillRoundedRectangle (face, corner - 1.0f);

        // The panel's upper edge is rounded over and catches the light.
        g.setColour (juce::Colours::white.withAlpha (0.55f));
        g.fillRect (face.getX() + corner, face.getY(), face.getWidth() - 2.0f * corner, 1.0f);

        // Stage words centred over the knobs; the ascenders reach y 211 and the
        // baseline sits on y 220, so the words read in the rows 211 .. 219.
        struct Label
        {
            const char* word;
            juce::Rectangle<int> knob;
            juce::Colour ink;
        };

        const Label labels[] = {
            { "warm", EditorLayout::redKnob, juce::Colour (158, 50, 62) },
            { "space", EditorLayout::greenKnob, juce::Colour (48, 118, 66) },
            { "punch", EditorLayout::blueKnob, juce::Colour (50, 84, 150) },
        };

        // DejaVu's ascender is about 0.76 of the font height: 9 pixels of ascender.
        constexpr float labelHeight = 11.8f;
        constexpr float baseline = 220.0f;

        for (const auto& label : labels)
        {
            auto word = lettering.outline (label.word, labelHeight, 0.03f);
            const auto width = word.getBounds().getWidth();
            const auto centreX = static_cast<float> (label.knob.getCentreX());
            word.applyTransform (juce::AffineTransform::translation (centreX - word.getBounds().getX() - width * 0.5f, baseline));
            fillEngraved (g, word, label.ink, 0.35f);
        }
    }

    /** A small countersunk screw holding the panel, its slot turned by a
        different amount per corner as a real assembly would have them. */
    void paintScrew (juce::Graphics& g, juce::Point<float> centre, float slotAngle)
    {
        constexpr float radius = 4.0f;
        const auto bounds = juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre);

        g.setColour (juce::Colours::white.withAlpha (0.35f));
        g.fillEllipse (bounds.expanded (0.5f).translated (0.0f, 0.5f));
        g.setColour (juce::Colours::black.withAlpha (0.45f));
        g.fillEllipse (bounds.expanded (0.5f).translated (0.0f, -0.5f));

        g.setGradientFill ({ grey (206), centre.x, bounds.getY(), grey (110), centre.x, bounds.getBottom(), false });
        g.fillEllipse (bounds);

        const auto along = polar ({}, radius - 0.6f, slotAngle);
        juce::Path slot;
        slot.addLineSegment ({ centre - along, centre + along }, 1.1f);
        g.setColour (juce::Colours::white.withAlpha (0.3f));
        g.fillPath (slot, juce::AffineTransform::translation (0.0f, 0.6f));
        g.setColour (grey (62));
        g.fillPath (slot);
    }

    /** Fine grain over the finished surface, like powder coating; it also breaks
        up the banding of the long, gentle gradients. The display window is left
        untouched because its tone must be exact. */
    void addSurfaceGrain (juce::Image& image, int scale)
    {
        juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readWrite);
        const auto window = EditorLayout::displayWindow * scale;

        for (int y = 0; y < image.getHeight(); ++y)
        {
            for (int x = 0; x < image.getWidth(); ++x)
            {
                if (window.contains (x, y))
                    continue;

                const auto offset = juce::roundToInt (grain (x, y, 7u) * 1.4f);
                const auto c = pixels.getPixelColour (x, y);
                pixels.setPixelColour (x, y, juce::Colour (static_cast<juce::uint8> (juce::jlimit (0, 255, c.getRed() + offset)), static_cast<juce::uint8> (juce::jlimit (0, 255, c.getGreen() + offset)), static_cast<juce::uint8> (juce::jlimit (0, 255, c.getBlue() + offset))));
            }
        }
    }
} // namespace

juce::Image BackgroundPainter::paint (const Lettering& lettering, int scale)
{
    juce::Image image (juce::Image::RGB, EditorLayout::width * scale, EditorLayout::height * scale, true, juce::SoftwareImageType());
    paintPanelGradient (image, scale);

    {
        juce::Graphics g (image);
        scaleDrawing (g, scale);
        paintLogos (g, lettering);
        paintDisplayWindow (g);
        paintKnobPanel (g, lettering);

        paintScrew (g, { 12.0f, 15.0f }, 0.6f);
        paintScrew (g, { 438.0f, 15.0f }, 1.9f);
        paintScrew (g, { 12.0f, 285.0f }, 2.7f);
        paintScrew (g, { 438.0f, 285.0f }, 0.2f);
    }

    addSurfaceGrain (image, scale);
    return image;
}
