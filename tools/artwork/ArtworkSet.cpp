#include "ArtworkSet.h"

#include "ArtworkStyle.h"
#include "BackgroundPainter.h"
#include "KnobPainter.h"
#include "RingPainter.h"
#include "TogglePainter.h"

std::vector<ArtworkImage> ArtworkSet::draw (const Lettering& lettering)
{
    // The knob tints are the ring colours, strongly muted by the low opacity at
    // which KnobPainter lays them over the black base.
    return {
        { "background.png", BackgroundPainter::paint (lettering) },
        { "green.png", KnobPainter::paintStrip (ArtworkStyle::ringGreen) },
        { "blue.png", KnobPainter::paintStrip (ArtworkStyle::ringBlue) },
        { "vu_blue.png", RingPainter::paintStrip (ArtworkStyle::ringBlue) },
        { "red.png", KnobPainter::paintStrip (ArtworkStyle::ringRed) },
        { "vu_red.png", RingPainter::paintStrip (ArtworkStyle::ringRed) },
        { "vu_green.png", RingPainter::paintStrip (ArtworkStyle::ringGreen) },
        { "x2button.png", TogglePainter::paint (lettering) },
    };
}

juce::MemoryBlock ArtworkSet::encodePng (const juce::Image& image)
{
    juce::MemoryOutputStream stream;
    juce::PNGImageFormat png;

    if (! png.writeImageToStream (image, stream))
        return {};

    return stream.getMemoryBlock();
}

juce::String ArtworkSet::write (const std::vector<ArtworkImage>& artwork, const juce::File& folder)
{
    if (! folder.createDirectory())
        return "cannot create " + folder.getFullPathName();

    for (const auto& item : artwork)
    {
        const auto bytes = encodePng (item.image);
        const auto file = folder.getChildFile (item.fileName);

        if (bytes.isEmpty() || ! file.replaceWithData (bytes.getData(), bytes.getSize()))
            return "cannot write " + file.getFullPathName();
    }

    return {};
}

juce::StringArray ArtworkSet::findDifferences (const std::vector<ArtworkImage>& artwork, const juce::File& folder)
{
    juce::StringArray differences;

    for (const auto& item : artwork)
    {
        const auto file = folder.getChildFile (item.fileName);
        juce::MemoryBlock committed;

        if (! file.loadFileAsData (committed))
        {
            differences.add (item.fileName + ": missing");
            continue;
        }

        const auto drawn = encodePng (item.image);

        if (drawn != committed)
            differences.add (item.fileName + ": differs (" + juce::String (committed.getSize()) + " bytes on disk, " + juce::String (drawn.getSize()) + " bytes drawn)");
    }

    return differences;
}
