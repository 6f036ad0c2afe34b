#include "ArtworkSet.h"

#include "ArtworkStyle.h"
#include "BackgroundPainter.h"
#include "KnobPainter.h"
#include "RingPainter.h"
#include "TogglePainter.h"

std::vector<ArtworkImage> ArtworkSet::draw (const Lettering& lettering)
{
    std::vector<ArtworkImage> artwork;

    for (const int scale : scales)
    {
        const juce::String suffix = scale == 1 ? ".png" : "_" + juce::String (scale) + "x.png";

        // The knob tints are the ring colours, strongly muted by the low opacity at
        // which KnobPainter lays them over the black base.
        artwork.push_back ({ "background" + suffix, BackgroundPainter::paint (lettering, scale) });
        artwork.push_back ({ "green" + suffix, KnobPainter::paintStrip (ArtworkStyle::ringGreen, scale) });
        artwork.push_back ({ "blue" + suffix, KnobPainter::paintStrip (ArtworkStyle::ringBlue, scale) });
        artwork.push_back ({ "vu_blue" + suffix, RingPainter::paintStrip (ArtworkStyle::ringBlue, scale) });
        artwork.push_back ({ "red" + suffix, KnobPainter::paintStrip (ArtworkStyle::ringRed, scale) });
        artwork.push_back ({ "vu_red" + suffix, RingPainter::paintStrip (ArtworkStyle::ringRed, scale) });
        artwork.push_back ({ "vu_green" + suffix, RingPainter::paintStrip (ArtworkStyle::ringGreen, scale) });
        artwork.push_back ({ "x2button" + suffix, TogglePainter::paint (lettering, scale) });
    }

    return artwork;
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
