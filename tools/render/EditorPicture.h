#pragma once

#include "editor/ZarivirAudioProcessorEditor.h"

#include <memory>

/** Tavine's window, open while a render runs, for a picture of how it looks at the end.

    The window's two timers run on the message thread ten times a second while a host plays;
    here the render calls advance() after each block, which ticks them once for every 100 ms
    of audio, so the rings and the history panel see what they would have seen live.
*/
class EditorPicture
{
public:
    explicit EditorPicture (ZarivirAudioProcessor& processor);
    ~EditorPicture();

    /** Counts processed samples and ticks the timers when 100 ms of audio have gone by. */
    void advance (int numSamples);

    /** Ticks the timers once more and draws the window as it now looks. */
    juce::Image draw();

    /** The picture as PNG data. */
    static juce::MemoryBlock toPng (const juce::Image& image);

private:
    void tick();

    std::unique_ptr<ZarivirAudioProcessorEditor> editor;
    juce::int64 samplesPerTick;
    juce::int64 samplesSinceTick = 0;
};
