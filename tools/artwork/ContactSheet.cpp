#include "ContactSheet.h"

#include "ArtworkStyle.h"
#include "editor/EditorLayout.h"

namespace
{
    using namespace ArtworkStyle;

    constexpr int margin = 24;
    constexpr int gap = 8;
    constexpr int stripScale = 2;
    constexpr int titleHeight = 22;

    /** Each knob's images and where the editor places them. */
    struct KnobPlacement
    {
        const char* knob;
        const char* ring;
        juce::Rectangle<int> bounds;
    };

    const KnobPlacement knobs[] = {
        { "red.png", "vu_red.png", EditorLayout::redKnob },
        { "green.png", "vu_green.png", EditorLayout::greenKnob },
        { "blue.png", "vu_blue.png", EditorLayout::blueKnob },
    };

    juce::Image find (const std::vector<ArtworkImage>& artwork, const juce::String& name)
    {
        for (const auto& item : artwork)
            if (item.fileName == name)
                return item.image;

        return {};
    }

    juce::Image frameOf (const juce::Image& strip, int frame)
    {
        return strip.getClippedImage ({ 0, frame * frameSize, frameSize, frameSize });
    }

    void drawEnlarged (juce::Graphics& g, const juce::Image& image, int x, int y, int scale)
    {
        g.drawImage (image, x, y, image.getWidth() * scale, image.getHeight() * scale, 0, 0, image.getWidth(), image.getHeight());
    }

    void fillCheckerboard (juce::Graphics& g, juce::Rectangle<int> area)
    {
        constexpr int check = 8;
        g.setColour (grey (70));
        g.fillRect (area);
        g.setColour (grey (92));

        for (int y = 0; y < area.getHeight(); y += check)
            for (int x = ((y / check) % 2) * check; x < area.getWidth(); x += 2 * check)
                g.fillRect (juce::Rectangle<int> (area.getX() + x, area.getY() + y, check, check).getIntersection (area));
    }

    void drawTitle (juce::Graphics& g, const Lettering& lettering, const juce::String& text, int x, int y)
    {
        g.setColour (grey (200));
        g.fillPath (lettering.outline (text, 15.0f), juce::AffineTransform::translation (static_cast<float> (x), static_cast<float> (y + titleHeight - 7)));
    }

    /** The editor's window as the user will see it, with the knobs at a middle
        position, the rings at various levels and the toggle on. */
    juce::Image assembleEditor (const std::vector<ArtworkImage>& artwork)
    {
        auto editor = find (artwork, "background.png").createCopy();
        juce::Graphics g (editor);
        const int knobFrames[] = { 4, 7, 11 };
        const int ringFrames[] = { 9, 5, 13 };

        for (size_t i = 0; i < std::size (knobs); ++i)
        {
            const auto at = knobs[i].bounds.getPosition();
            g.drawImageAt (frameOf (find (artwork, knobs[i].knob), knobFrames[i]), at.x, at.y);
            g.drawImageAt (frameOf (find (artwork, knobs[i].ring), ringFrames[i]), at.x, at.y);
        }

        const auto toggle = find (artwork, "x2button.png");
        g.drawImageAt (toggle.getClippedImage ({ 0, 16, 32, 16 }), EditorLayout::x2Toggle.getX(), EditorLayout::x2Toggle.getY());
        return editor;
    }
} // namespace

juce::Image ContactSheet::compose (const std::vector<ArtworkImage>& artwork, const Lettering& lettering)
{
    constexpr int cell = frameSize * stripScale;
    constexpr int stripWidth = frameCount * cell + (frameCount - 1) * gap;
    constexpr int width = margin * 2 + stripWidth;
    constexpr int editorScale = 2;
    constexpr int topRowHeight = EditorLayout::height * editorScale;
    constexpr int stripRows = 9;
    constexpr int height = margin * 2 + titleHeight + topRowHeight + stripRows * (titleHeight + cell + gap);

    juce::Image sheet (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (sheet);
    g.fillAll (grey (38));
    // Nearest-neighbour enlargement, so that single pixels stay visible.
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);

    const auto background = find (artwork, "background.png");
    const auto toggle = find (artwork, "x2button.png");

    int y = margin;
    drawTitle (g, lettering, "editor (x2)", margin, y);
    const auto rawX = margin + EditorLayout::width * editorScale + 3 * gap;
    constexpr int toggleScale = 6;
    const auto toggleX = rawX + EditorLayout::width + 3 * gap;
    drawTitle (g, lettering, "background (x1)", rawX, y);
    drawTitle (g, lettering, "x2 toggle (x6), bare and on the background", toggleX, y);
    y += titleHeight;

    drawEnlarged (g, assembleEditor (artwork), margin, y, editorScale);
    drawEnlarged (g, background, rawX, y, 1);

    fillCheckerboard (g, { toggleX, y, toggle.getWidth() * toggleScale, toggle.getHeight() * toggleScale });
    drawEnlarged (g, toggle, toggleX, y, toggleScale);

    for (int state = 0; state < 2; ++state)
    {
        auto onPanel = background.getClippedImage (EditorLayout::x2Toggle.expanded (4)).createCopy();
        juce::Graphics panel (onPanel);
        panel.drawImageAt (toggle.getClippedImage ({ 0, state * 16, 32, 16 }), 4, 4);
        drawEnlarged (g, onPanel, toggleX, y + toggle.getHeight() * toggleScale + gap + state * (onPanel.getHeight() * toggleScale + gap), toggleScale);
    }

    y += topRowHeight + gap;

    const char* strips[] = { "red.png", "green.png", "blue.png", "vu_red.png", "vu_green.png", "vu_blue.png" };

    for (const auto* name : strips)
    {
        drawTitle (g, lettering, juce::String (name) + ", frames 0 .. 14", margin, y);
        y += titleHeight;
        const auto strip = find (artwork, name);

        for (int frame = 0; frame < frameCount; ++frame)
        {
            const auto x = margin + frame * (cell + gap);
            fillCheckerboard (g, { x, y, cell, cell });
            drawEnlarged (g, frameOf (strip, frame), x, y, stripScale);
        }

        y += cell + gap;
    }

    for (const auto& placement : knobs)
    {
        drawTitle (g, lettering, juce::String (placement.knob) + " with " + placement.ring + " on the background, frame k with frame k", margin, y);
        y += titleHeight;

        for (int frame = 0; frame < frameCount; ++frame)
        {
            auto onPanel = background.getClippedImage (placement.bounds).createCopy();
            juce::Graphics panel (onPanel);
            panel.drawImageAt (frameOf (find (artwork, placement.knob), frame), 0, 0);
            panel.drawImageAt (frameOf (find (artwork, placement.ring), frame), 0, 0);
            drawEnlarged (g, onPanel, margin + frame * (cell + gap), y, stripScale);
        }

        y += cell + gap;
    }

    return sheet;
}
