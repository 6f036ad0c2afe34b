#include "DemoPhrase.h"

juce::AudioBuffer<float> makeDemoPhrase (double sampleRate, double seconds)
{
    juce::AudioBuffer<float> buffer (2, DemoPhrase::lengthFor (sampleRate, seconds));
    DemoPhrase::write (buffer.getWritePointer (0), buffer.getWritePointer (1), buffer.getNumSamples(), sampleRate);
    return buffer;
}
