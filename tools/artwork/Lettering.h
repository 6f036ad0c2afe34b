#pragma once

#include <juce_graphics/juce_graphics.h>

/** Turns words into outlines with a typeface loaded from a font file.

    The artwork's type comes from a file of a known package rather than from the
    system's font lookup, which picks different faces on different machines and
    would make the images differ from one machine to the next.
*/
class Lettering
{
public:
    /** Loads the typeface; check isValid() before use. */
    explicit Lettering (const juce::File& fontFile);

    bool isValid() const { return typeface != nullptr; }

    /** Outline of a line of text at the given font height, with its baseline
        at y 0 and its first glyph starting at x 0. Extra tracking is a fraction
        of the font height added between letters. */
    juce::Path outline (const juce::String& text, float fontHeight, float tracking = 0.0f) const;

    /** The font the generator uses, from the Debian package fonts-dejavu-core. */
    static juce::File defaultFontFile();

private:
    juce::Typeface::Ptr typeface;
};
