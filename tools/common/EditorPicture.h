#pragma once

#include "editor/ZarivirAudioProcessorEditor.h"

#include <memory>
#include <optional>

/** Tavine's window, open while audio is processed, for a picture of how it looks: the
    renderer's --picture and tavine_snapshot both draw it this way.

    The window's two timers run on the message thread ten times a second while a host plays;
    here the program calls advance() after each block, which ticks them once for every 100 ms
    of audio, so the rings and the history panel see what they would have seen live.
*/
class EditorPicture
{
public:
    /** Opens the window on a processor whose sample rate is set, as a host sets it. */
    explicit EditorPicture (ZarivirAudioProcessor& processor);
    ~EditorPicture();

    /** Counts processed samples and ticks the timers when 100 ms of audio have gone by. */
    void advance (int numSamples);

    /** Ticks the timers once, whatever advance() has counted. */
    void tick();

    /** The window as the last tick left it, drawn at a display scale from 1 to 3: 2 gives
        the 900 x 600 picture a display at 200 % shows, from the 2x artwork. */
    juce::Image draw (float scale = 1.0f);

    /** The display scales draw() takes. */
    static constexpr float smallestScale = 1.0f;
    static constexpr float largestScale = 3.0f;

    /** A display scale as the programs take it on the command line: a number that
        CommandLineNumbers::parseDecimal reads, from smallestScale to largestScale; nothing
        otherwise. */
    static std::optional<float> parseScale (const juce::String& text);

    /** The picture as PNG data. */
    static juce::MemoryBlock toPng (const juce::Image& image);

private:
    std::unique_ptr<ZarivirAudioProcessorEditor> editor;
    juce::int64 samplesPerTick;
    juce::int64 samplesSinceTick = 0;
};
