#include "EditorPicture.h"

#include "CommandLineNumbers.h"

EditorPicture::EditorPicture (ZarivirAudioProcessor& processor)
    : editor (std::make_unique<ZarivirAudioProcessorEditor> (processor))
    , samplesPerTick (juce::jmax ((juce::int64) 1, (juce::int64) (processor.getSampleRate() * 0.1)))
{
    // The window at its own size, whatever zoom the user chose for it: --scale sets the size.
    editor->setZoom (1.0f, false);

    // The timers are ticked by hand, in step with the audio rather than the wall clock.
    editor->stopTimers();
}

EditorPicture::~EditorPicture() = default;

void EditorPicture::tick()
{
    editor->tickTimers();
}

void EditorPicture::advance (int numSamples)
{
    samplesSinceTick += numSamples;

    if (samplesSinceTick < samplesPerTick)
        return;

    // A block longer than 100 ms still gives one tick: the meters show where the block ended,
    // as they would on the next tick after a host delivered such a block.
    samplesSinceTick %= samplesPerTick;
    tick();
}

juce::Image EditorPicture::draw (float scale)
{
    return editor->createComponentSnapshot (editor->getLocalBounds(), true, juce::jlimit (smallestScale, largestScale, scale));
}

std::optional<float> EditorPicture::parseScale (const juce::String& text)
{
    const auto number = CommandLineNumbers::parseDecimal (text);

    if (! number.has_value() || *number < smallestScale || *number > largestScale)
        return std::nullopt;

    return (float) *number;
}

juce::MemoryBlock EditorPicture::toPng (const juce::Image& image)
{
    juce::MemoryOutputStream stream;
    juce::PNGImageFormat().writeImageToStream (image, stream);
    return stream.getMemoryBlock();
}
