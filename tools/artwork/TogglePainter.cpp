#include "TogglePainter.h"

#include "ArtworkStyle.h"

namespace
{
    using namespace ArtworkStyle;

    struct PlateLook
    {
        juce::Colour top, bottom, highlight, shade, ink;
    };

    /** "x" and "2", each scaled to exactly 6 px of height and set on a common
        baseline with a gap between them, centred on the plate. Whole-pixel top
        and bottom edges keep such small letters crisp. */
    juce::Path legend (const Lettering& lettering)
    {
        constexpr float letterHeight = 6.0f;
        constexpr float gap = 2.0f;
        constexpr float top = 5.0f;

        auto fitHeight = [&] (const juce::String& glyph) {
            auto path = lettering.outline (glyph, 100.0f);
            const auto bounds = path.getBounds();
            const auto scale = letterHeight / bounds.getHeight();
            path.applyTransform (juce::AffineTransform::translation (-bounds.getX(), -bounds.getY()).scaled (scale).translated (0.0f, top));
            return path;
        };

        auto x = fitHeight ("x");
        auto two = fitHeight ("2");
        const auto xWidth = x.getBounds().getWidth();
        const auto total = xWidth + gap + two.getBounds().getWidth();
        const auto left = std::round (static_cast<float> (TogglePainter::width) * 0.5f - total * 0.5f);

        x.applyTransform (juce::AffineTransform::translation (left, 0.0f));
        two.applyTransform (juce::AffineTransform::translation (left + xWidth + gap, 0.0f));
        x.addPath (two);
        return x;
    }

    void paintPlate (juce::Graphics& g, const juce::Path& letters, const PlateLook& look)
    {
        constexpr float corner = 3.0f;
        const juce::Rectangle<float> plate { 1.0f, 0.0f, 30.0f, 15.0f };

        // A faint shadow under the plate: it shows as the outermost columns and
        // the last row, where the plate does not cover it.
        g.setColour (juce::Colours::black.withAlpha (0.16f));
        g.fillRoundedRectangle (juce::Rectangle<float> { 0.0f, 0.5f, 32.0f, 15.5f }, corner + 1.0f);

        // Soft, partly transparent rim.
        g.setColour (juce::Colour (40, 40, 44).withAlpha (0.55f));
        g.fillRoundedRectangle (plate, corner);

        const auto face = plate.reduced (0.8f);
        g.setGradientFill ({ look.top, 0.0f, face.getY(), look.bottom, 0.0f, face.getBottom(), false });
        g.fillRoundedRectangle (face, corner - 0.8f);

        // Bevel lit from the top left: highlight along the top and left edges,
        // shade along the bottom and right.
        const auto inner = face.reduced (1.0f);
        g.setColour (look.shade);
        g.fillRect (juce::Rectangle<float> (inner.getX() + 1.0f, inner.getBottom() - 1.0f, inner.getWidth() - 1.0f, 1.0f));
        g.fillRect (juce::Rectangle<float> (inner.getRight() - 1.0f, inner.getY() + 1.0f, 1.0f, inner.getHeight() - 1.0f));
        g.setColour (look.highlight);
        g.fillRect (juce::Rectangle<float> (inner.getX(), inner.getY(), inner.getWidth() - 1.0f, 1.0f));
        g.fillRect (juce::Rectangle<float> (inner.getX(), inner.getY(), 1.0f, inner.getHeight() - 1.0f));

        g.setColour (look.ink);
        g.fillPath (letters);
    }
} // namespace

juce::Image TogglePainter::paint (const Lettering& lettering, int scale)
{
    juce::Image image (juce::Image::ARGB, width * scale, stateHeight * 2 * scale, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    scaleDrawing (g, scale);
    const auto letters = legend (lettering);

    const PlateLook off { grey (222), grey (190), juce::Colours::white.withAlpha (0.9f), juce::Colours::black.withAlpha (0.14f), grey (40) };
    const PlateLook on { juce::Colour (146, 160, 241), juce::Colour (128, 142, 232), juce::Colour (214, 222, 255).withAlpha (0.9f), juce::Colour (40, 50, 140).withAlpha (0.22f), juce::Colour (22, 28, 70) };

    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (0, 0, width, stateHeight);
        paintPlate (g, letters, off);
    }

    g.reduceClipRegion (0, stateHeight, width, stateHeight);
    g.setOrigin (0, stateHeight);
    paintPlate (g, letters, on);
    return image;
}
