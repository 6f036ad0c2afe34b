#include "Lettering.h"

Lettering::Lettering (const juce::File& fontFile)
{
    juce::MemoryBlock fontData;

    if (fontFile.loadFileAsData (fontData) && fontData.getSize() > 0)
    {
        auto loaded = juce::Typeface::createSystemTypefaceFor (fontData.getData(), fontData.getSize());

        // A file that is not a font still yields a typeface object, but one without
        // glyphs; treat that as a failure instead of drawing blank labels.
        if (loaded != nullptr && loaded->getName().isNotEmpty())
            typeface = loaded;
    }
}

juce::Path Lettering::outline (const juce::String& text, float fontHeight, float tracking) const
{
    juce::Path path;

    if (typeface == nullptr)
        return path;

    juce::Font font (typeface);
    font.setHeight (fontHeight);
    font.setExtraKerningFactor (tracking);

    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (font, text, 0.0f, 0.0f);
    glyphs.createPath (path);
    return path;
}

juce::File Lettering::defaultFontFile()
{
    return juce::File ("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
}
