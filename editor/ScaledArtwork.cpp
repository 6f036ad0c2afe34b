#include "ScaledArtwork.h"

bool ScaledArtwork::paintsAboveNormalScale (juce::Graphics& g)
{
    return g.getInternalContext().getPhysicalPixelScaleFactor() > 1.0f;
}

void ScaledArtwork::draw (juce::Graphics& g, const juce::Image& normal, const juce::Image& doubled, juce::Rectangle<int> source, juce::Rectangle<int> destination)
{
    if (doubled.isValid() && paintsAboveNormalScale (g))
    {
        const auto from = source * doubledScale;
        const juce::Graphics::ScopedSaveState state (g);
        g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
        g.drawImage (doubled, destination.getX(), destination.getY(), destination.getWidth(), destination.getHeight(), from.getX(), from.getY(), from.getWidth(), from.getHeight(), false);
        return;
    }

    if (normal.isValid())
        g.drawImage (normal, destination.getX(), destination.getY(), destination.getWidth(), destination.getHeight(), source.getX(), source.getY(), source.getWidth(), source.getHeight(), false);
}
