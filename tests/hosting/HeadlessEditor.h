#pragma once

// The plug-in's own editor, built and destroyed through its format's interface the way a host
// does it, with no window and no display.

#include "HostingSupport.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace test
{
    /** Opens and closes the plug-in's own editor while audio runs, without a display. JUCE's
        hosted editors embed the plug-in's window in an X11 window of their own, which needs a
        display; so this opens the editor the way a host does before it has a window to put it
        in, and closes it again. */
    class HeadlessEditor
    {
    public:
        virtual ~HeadlessEditor() = default;

        /** Builds the plug-in's editor; false if it cannot, or is open already. */
        virtual bool open() = 0;

        /** Destroys the editor, if it is open. */
        virtual void close() = 0;

        /** The size the open editor asks the host for, in the host's pixels, after the host has
            given it a display scale where the format has one (VST3's content scale); empty when
            it is not open, or the format cannot take the scale. */
        virtual juce::Rectangle<int> sizeForHost (float displayScale) = 0;
    };

    /** The editor host for the hosted instance's format; null for LV2, whose editor is only
        ever instantiated into a parent X11 window. */
    std::unique_ptr<HeadlessEditor> makeHeadlessEditor (Format format, juce::AudioPluginInstance& plugin);
} // namespace test
