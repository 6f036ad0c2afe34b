#include "WindowSnapshot.h"

#include "EditorPicture.h"
#include "plugin/ParameterIds.h"
#include "plugin/ZarivirAudioProcessor.h"

juce::Image WindowSnapshot::draw() const
{
    ZarivirAudioProcessor processor;
    const double rate = DemoPhrase::sampleRate;
    const int block = 441;
    processor.setRateAndBufferSizeDetails (rate, block);
    processor.prepareToPlay (rate, block);

    for (size_t k = 0; k < knobs.size(); ++k)
        processor.getValueTreeState().getParameter (ParameterIds::knobs[k])->setValueNotifyingHost (knobs[k]);

    processor.getValueTreeState().getParameter (ParameterIds::x2)->setValueNotifyingHost (x2 ? 1.0f : 0.0f);

    // The phrase in whole blocks of 10 ms, so that the last tick falls right after the last
    // block and the picture shows the window as that tick left it.
    EditorPicture picture (processor);
    auto audio = makeDemoPhrase (rate, seconds);
    juce::MidiBuffer midi;

    for (int start = 0; start + block <= audio.getNumSamples(); start += block)
    {
        juce::AudioBuffer<float> view (audio.getArrayOfWritePointers(), 2, start, block);
        processor.processBlock (view, midi);
        picture.advance (block);
    }

    return picture.draw (scale);
}
