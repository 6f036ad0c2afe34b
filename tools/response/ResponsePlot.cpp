#include "ResponsePlot.h"

#include <cmath>

namespace
{
    constexpr int width = 1000;
    constexpr int height = 530;

    constexpr double lowHz = 20.0;
    constexpr double highHz = 20000.0;
    constexpr double lowDb = 0.0;
    constexpr double highDb = 3.0;

    const juce::Colour paper (0xffffffff);
    const juce::Colour ink (0xff202428);
    const juce::Colour quietInk (0xff5c6370);
    const juce::Colour gridLine (0xffe3e6ea);
    const juce::Colour zeroLine (0xffb4bac2);
    const juce::Colour frame (0xff8a929c);

    // The knobs' colours, darkened enough to read as lines on white.
    const juce::Colour knobColours[] = { juce::Colour (0xffd0342c), juce::Colour (0xff2e9a47), juce::Colour (0xff2563c9) };
    const char* knobNames[] = { "red (warm)", "green (space)", "blue (punch)" };

    enum class Align
    {
        left,
        centre,
        right
    };

    void text (juce::Graphics& g, const Lettering& lettering, const juce::String& words, float size, float x, float baseline, Align align, juce::Colour colour)
    {
        const auto outline = lettering.outline (words, size);
        const float textWidth = outline.getBounds().getRight();
        const float left = align == Align::left ? x : (align == Align::centre ? x - textWidth * 0.5f : x - textWidth);
        g.setColour (colour);
        g.fillPath (outline, juce::AffineTransform::translation (left, baseline));
    }

    juce::String hertzLabel (double hz)
    {
        return hz >= 1000.0 ? juce::String ((int) (hz / 1000.0)) + "k" : juce::String ((int) hz);
    }

    juce::String decibelLabel (double db)
    {
        if (std::abs (db) < 1.0e-9)
            return "0";

        return (db > 0.0 ? "+" : "-") + juce::String (std::abs (db), 1);
    }

    juce::Path dashed (const juce::Path& path, const juce::PathStrokeType& stroke)
    {
        const float dashes[] = { 7.0f, 5.0f };
        juce::Path result;
        stroke.createDashedStroke (result, path, dashes, 2);
        return result;
    }

    void drawLine (juce::Graphics& g, const juce::Path& path, juce::Colour colour, bool isDashed)
    {
        const juce::PathStrokeType stroke (2.2f, juce::PathStrokeType::curved, juce::PathStrokeType::butt);
        g.setColour (colour);

        if (isDashed)
            g.fillPath (dashed (path, stroke));
        else
            g.strokePath (path, stroke);
    }

    void drawPanel (juce::Graphics& g, const Lettering& lettering, juce::Rectangle<float> area, bool x2, const std::vector<double>& frequencies, const std::vector<ResponseCurve>& curves)
    {
        const auto xOf = [&] (double hz) { return area.getX() + area.getWidth() * (float) (std::log (hz / lowHz) / std::log (highHz / lowHz)); };
        const auto yOf = [&] (double db) { return area.getBottom() - area.getHeight() * (float) ((db - lowDb) / (highDb - lowDb)); };

        text (g, lettering, x2 ? "x2 on" : "x2 off", 15.0f, area.getCentreX(), area.getY() - 12.0f, Align::centre, ink);

        // Grid: every half decibel, and 1, 2 and 5 in each decade.
        for (int step = 0; step <= (int) std::lround ((highDb - lowDb) / 0.5); ++step)
        {
            const double db = lowDb + 0.5 * step;
            const float y = yOf (db);
            g.setColour (std::abs (db) < 1.0e-9 ? zeroLine : gridLine);
            g.fillRect (juce::Rectangle<float> (area.getX(), y - 0.5f, area.getWidth(), 1.0f));
            text (g, lettering, decibelLabel (db), 11.0f, area.getX() - 7.0f, y + 4.0f, Align::right, quietInk);
        }

        for (double decade = 10.0; decade <= highHz; decade *= 10.0)
        {
            for (const double multiple : { 1.0, 2.0, 5.0 })
            {
                const double hz = decade * multiple;

                if (hz < lowHz || hz > highHz)
                    continue;

                const float x = xOf (hz);
                g.setColour (gridLine);
                g.fillRect (juce::Rectangle<float> (x - 0.5f, area.getY(), 1.0f, area.getHeight()));
                text (g, lettering, hertzLabel (hz), 11.0f, x, area.getBottom() + 17.0f, Align::centre, quietInk);
            }
        }

        text (g, lettering, "dB", 11.0f, area.getX() - 7.0f, area.getY() - 12.0f, Align::right, quietInk);
        text (g, lettering, "frequency (Hz)", 12.0f, area.getCentreX(), area.getBottom() + 37.0f, Align::centre, quietInk);

        g.setColour (frame);
        g.drawRect (area.expanded (0.5f), 1.0f);

        // The half-turn curves first, so that the full-turn ones lie on top.
        g.saveState();
        g.reduceClipRegion (area.toNearestInt());

        for (const float amount : { 0.5f, 1.0f })
        {
            for (const auto& curve : curves)
            {
                if (curve.setting.x2 != x2 || curve.setting.amount != amount)
                    continue;

                juce::Path path;

                for (std::size_t i = 0; i < frequencies.size(); ++i)
                {
                    const juce::Point<float> point (xOf (frequencies[i]), yOf (curve.gainsDb[i]));

                    if (i == 0)
                        path.startNewSubPath (point);
                    else
                        path.lineTo (point);
                }

                drawLine (g, path, knobColours[curve.setting.knob], amount < 1.0f);
            }
        }

        g.restoreState();
    }

    void drawLegend (juce::Graphics& g, const Lettering& lettering, float baseline)
    {
        // Each entry: a short line, then its words; the entries sit side by side, centred.
        struct Entry
        {
            juce::Colour colour;
            bool isDashed;
            juce::String words;
        };

        std::vector<Entry> entries;

        for (int knob = 0; knob < 3; ++knob)
            entries.push_back ({ knobColours[knob], false, knobNames[knob] });

        entries.push_back ({ quietInk, false, "knob at 1" });
        entries.push_back ({ quietInk, true, "knob at 0.5" });

        constexpr float lineLength = 30.0f, gapAfterLine = 8.0f, gapAfterEntry = 30.0f, size = 13.0f;
        float total = 0.0f;

        for (const auto& entry : entries)
            total += lineLength + gapAfterLine + lettering.outline (entry.words, size).getBounds().getRight() + gapAfterEntry;

        float x = ((float) width - (total - gapAfterEntry)) * 0.5f;

        for (const auto& entry : entries)
        {
            juce::Path line;
            line.startNewSubPath (x, baseline - 4.5f);
            line.lineTo (x + lineLength, baseline - 4.5f);
            drawLine (g, line, entry.colour, entry.isDashed);
            x += lineLength + gapAfterLine;
            text (g, lettering, entry.words, size, x, baseline, Align::left, ink);
            x += lettering.outline (entry.words, size).getBounds().getRight() + gapAfterEntry;
        }
    }
} // namespace

juce::Image ResponsePlot::draw (const std::vector<double>& frequencies, const std::vector<ResponseCurve>& curves, const Lettering& lettering)
{
    juce::Image image (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.fillAll (paper);

    text (g, lettering, "Tavine's response to each knob alone, measured through the processor at 48 kHz", 17.0f, (float) width * 0.5f, 34.0f, Align::centre, ink);

    drawPanel (g, lettering, { 70.0f, 84.0f, 410.0f, 340.0f }, false, frequencies, curves);
    drawPanel (g, lettering, { 560.0f, 84.0f, 410.0f, 340.0f }, true, frequencies, curves);
    drawLegend (g, lettering, 500.0f);

    return image;
}
